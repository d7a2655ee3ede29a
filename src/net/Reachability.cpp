#include "Reachability.h"

#include <QTcpSocket>

#include "BoundedWait.h"

bool tcpReachable(const QString &host, quint16 port, int timeoutMs)
{
    if (host.isEmpty() || host.endsWith(QLatin1String(".invalid"), Qt::CaseInsensitive))
        return false;
    QTcpSocket socket;
    // The lookup runs in the background too, so the limit holds for both.
    BoundedWait wait(timeoutMs, BoundedWait::Input::Excluded);
    wait.wakeOn(&socket, &QTcpSocket::connected).wakeOn(&socket, &QTcpSocket::errorOccurred);
    socket.connectToHost(host, port);
    wait.until([&socket] {
        return socket.state() == QAbstractSocket::ConnectedState
            || socket.error() != QAbstractSocket::UnknownSocketError;
    });
    const bool connected = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    return connected;
}

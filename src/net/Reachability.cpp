#include "Reachability.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

bool tcpReachable(const QString &host, quint16 port, int timeoutMs)
{
    if (host.isEmpty() || host.endsWith(QLatin1String(".invalid"), Qt::CaseInsensitive))
        return false;
    QTcpSocket socket;
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &wait, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &wait, &QEventLoop::quit);
    // The lookup runs in the background too, so the limit holds for both.
    socket.connectToHost(host, port);
    deadline.start(timeoutMs);
    if (socket.state() != QAbstractSocket::ConnectedState && socket.error() == QAbstractSocket::UnknownSocketError)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    const bool connected = socket.state() == QAbstractSocket::ConnectedState;
    socket.abort();
    return connected;
}

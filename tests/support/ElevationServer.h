#pragma once

#include <QTcpServer>
#include <QTcpSocket>

// A loopback HTTP server standing in for the elevation service: it answers
// every GET with the programmed status and body, or not at all.
class ElevationServer : public QObject {
    Q_OBJECT
public:
    int status = 200;
    QByteArray body = "123\r\n";
    bool answer = true;
    QList<QByteArray> paths;

    ElevationServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    quint16 port() const { return server_.serverPort(); }
    void stop() { server_.close(); }

private:
    void serve(QTcpSocket *socket)
    {
        buffer_ += socket->readAll();
        if (!buffer_.contains("\r\n\r\n"))
            return;
        const QByteArray requestLine = buffer_.left(buffer_.indexOf("\r\n"));
        buffer_.clear();
        paths.append(requestLine.split(' ').value(1));
        if (!answer)
            return;
        const QByteArray reason = status == 200 ? "OK" : "Error";
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + reason
                      + "\r\nContent-Type: text/plain\r\n"
                        "Content-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
    QTcpServer server_;
    QByteArray buffer_;
};

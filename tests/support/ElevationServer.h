#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A loopback HTTP server standing in for the elevation service: it answers
// every GET with the programmed status and body, or not at all, or after a
// delay, or one byte a second, or with a redirect.
class ElevationServer : public QObject {
    Q_OBJECT
public:
    int status = 200;
    QByteArray body = "123\r\n";
    bool answer = true;
    int delayMs = 0;
    bool trickle = false;
    // When set, every request is redirected there (302).
    QByteArray location;
    QList<QByteArray> paths;
    // The whole head of every request, for its header lines.
    QList<QByteArray> heads;

    explicit ElevationServer(quint16 port = 0)
    {
        server_.listen(QHostAddress::LocalHost, port);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    quint16 port() const { return server_.serverPort(); }
    bool listening() const { return server_.isListening(); }
    void stop() { server_.close(); }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = buffers_[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QByteArray requestLine = buffer.left(buffer.indexOf("\r\n"));
        heads.append(buffer.left(buffer.indexOf("\r\n\r\n")));
        buffer.clear();
        paths.append(requestLine.split(' ').value(1));
        if (!answer)
            return;
        QByteArray head;
        if (!location.isEmpty()) {
            head = "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else {
            const QByteArray reason = status == 200 ? "OK" : "Error";
            head = "HTTP/1.1 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: text/plain\r\n"
                + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
        }
        const QByteArray content = location.isEmpty() ? body : QByteArray();
        QTimer::singleShot(delayMs, socket, [this, socket, head, content] {
            socket->write(head);
            if (!trickle) {
                socket->write(content);
                socket->disconnectFromHost();
                return;
            }
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            connect(timer, &QTimer::timeout, socket, [socket, content, sent, timer] {
                if (*sent >= content.size()) {
                    timer->stop();
                    socket->disconnectFromHost();
                    return;
                }
                socket->write(content.mid((*sent)++, 1));
            });
            timer->start(1000);
        });
    }
    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> buffers_;
};

#include "tests/ui/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace nestora::test {

LoopbackHttpServer::LoopbackHttpServer() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { respond(socket); });
        }
    });
}

std::string LoopbackHttpServer::host() const {
    return "127.0.0.1:" + std::to_string(server_.serverPort());
}

void LoopbackHttpServer::respond(QTcpSocket* socket) {
    const QByteArray request = socket->readAll();
    if (!request.contains("\r\n\r\n")) {
        return;  // the rest of the head is still coming
    }
    const QByteArray path = request.split(' ').value(1);
    ++requests_[path];
    const Answer answer = answers_.value(path, Answer{Answer::Kind::Page, "404 Not Found", "missing", {}, 0, {}});
    switch (answer.kind) {
    case Answer::Kind::Silent:
        return;
    case Answer::Kind::HangUp:
        socket->abort();
        socket->deleteLater();
        return;
    case Answer::Kind::Page:
        break;
    }
    const qsizetype length = answer.body.size() + answer.laterBody.size();
    const QByteArray location = answer.location.isEmpty() ? QByteArray() : "Location: " + answer.location + "\r\n";
    socket->write("HTTP/1.1 " + answer.status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                  QByteArray::number(length) + "\r\n" + location + "Connection: close\r\n\r\n" + answer.body);
    socket->flush();
    if (answer.laterBody.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(answer.laterDelayMs, socket, [socket, later = answer.laterBody] {
        socket->write(later);
        socket->disconnectFromHost();
    });
}

}  // namespace nestora::test

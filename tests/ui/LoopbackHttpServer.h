#pragma once

// A stand-in for the maker's host on 127.0.0.1: each path answers as the
// test says (a page, silence, a hang-up, or a body sent in two pieces), and
// every request is counted.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>

#include <string>

namespace nestora::test {

class LoopbackHttpServer : public QObject {
public:
    struct Answer {
        enum class Kind {
            Page,    // status and body at once
            Silent,  // takes the request and never answers
            HangUp,  // closes the connection without a word
        };
        Kind kind = Kind::Page;
        QByteArray status = "200 OK";
        QByteArray body;
        // When set, the body is followed by this after `laterDelayMs`.
        QByteArray laterBody;
        int laterDelayMs = 0;
        QByteArray location;  // a redirect's target
    };

    LoopbackHttpServer();

    void answer(const QByteArray& path, Answer answer) { answers_[path] = std::move(answer); }
    void page(const QByteArray& path, const QByteArray& body) {
        answer(path, {Answer::Kind::Page, "200 OK", body, {}, 0, {}});
    }
    void silent(const QByteArray& path) { answer(path, {Answer::Kind::Silent, {}, {}, {}, 0, {}}); }
    void hangUp(const QByteArray& path) { answer(path, {Answer::Kind::HangUp, {}, {}, {}, 0, {}}); }
    void redirect(const QByteArray& path, const QByteArray& location) {
        answer(path, {Answer::Kind::Page, "302 Found", {}, {}, 0, location});
    }
    // The body in two pieces, the second `delayMs` after the first.
    void splitPage(const QByteArray& path, const QByteArray& first, const QByteArray& later, int delayMs) {
        answer(path, {Answer::Kind::Page, "200 OK", first, later, delayMs, {}});
    }

    // "127.0.0.1:PORT", as the ads host is configured.
    std::string host() const;
    int requestsFor(const QByteArray& path) const { return requests_.value(path); }

private:
    void respond(class QTcpSocket* socket);

    QTcpServer server_;
    QHash<QByteArray, Answer> answers_;
    QHash<QByteArray, int> requests_;
};

}  // namespace nestora::test

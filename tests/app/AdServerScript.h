#pragma once

// scripts/ad-server, the loopback stand-in for the maker's ads host that
// scripts/demo runs, started for one test and stopped after it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <string>

namespace nestora::test {

class AdServerScript {
public:
    AdServerScript() {
        process_.setProgram(QStringLiteral(NESTORA_TEST_PYTHON));
        process_.setArguments({QStringLiteral(NESTORA_TEST_SOURCE_DIR "/scripts/ad-server"), QStringLiteral("--port"),
                               QStringLiteral("0")});
        process_.start();
        const bool ready = process_.waitForStarted(10000) && process_.waitForReadyRead(10000);
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        const auto match = QRegularExpression(QStringLiteral("http://(127\\.0\\.0\\.1:\\d+)$")).match(line);
        EXPECT_TRUE(ready && match.hasMatch()) << "ad-server said: " << line.toStdString();
        host_ = match.captured(1).toStdString();
    }
    ~AdServerScript() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    AdServerScript(const AdServerScript&) = delete;
    AdServerScript& operator=(const AdServerScript&) = delete;

    // "127.0.0.1:PORT".
    const std::string& host() const { return host_; }

private:
    QProcess process_;
    std::string host_;
};

}  // namespace nestora::test

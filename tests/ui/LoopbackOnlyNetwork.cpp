#include "tests/ui/LoopbackOnlyNetwork.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QTcpServer>

#include <mutex>

namespace nestora::test {

namespace {

struct Record {
    std::mutex mutex;
    std::vector<std::string> outside;
};

Record& record() {
    static Record instance;
    return instance;
}

bool isLoopback(const QString& host) {
    // No host at all goes nowhere either.
    return host.isEmpty() || host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

// A loopback port nobody listens on: taken, then given back.
quint16 deadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

class LoopbackOnlyProxyFactory : public QNetworkProxyFactory {
public:
    LoopbackOnlyProxyFactory() : nowhere_(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), deadPort()) {}

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const QString host = query.peerHostName();
        if (isLoopback(host)) {
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        }
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string entry = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "?";
        entry += ": " + host.toStdString();
        Record& r = record();
        std::lock_guard lock(r.mutex);
        r.outside.push_back(std::move(entry));
        return {nowhere_};
    }

private:
    QNetworkProxy nowhere_;
};

class NoOutsideRequests : public ::testing::Environment {
public:
    void TearDown() override {
        for (const std::string& request : outsideRequests()) {
            ADD_FAILURE() << "a test asked for a host that is not loopback: " << request;
        }
    }
};

}  // namespace

void installLoopbackOnlyNetwork() {
    // The application takes ownership of the factory.
    QNetworkProxyFactory::setApplicationProxyFactory(new LoopbackOnlyProxyFactory);
    ::testing::AddGlobalTestEnvironment(new NoOutsideRequests);  // gtest owns it
}

std::vector<std::string> outsideRequests() {
    Record& r = record();
    std::lock_guard lock(r.mutex);
    return r.outside;
}

void forgetOutsideRequests() {
    Record& r = record();
    std::lock_guard lock(r.mutex);
    r.outside.clear();
}

}  // namespace nestora::test

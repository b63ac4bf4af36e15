// lumivod end to end: the program started on a free port with two virtual signs on TCP, driven
// by a real HTTP client.

#include "support/sign_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using lumivo::test::SignProcess;

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "service_e2e";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

std::string PortOf(const std::string& listening) {
    return listening.substr(listening.rfind(':') + 1);
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Reply {
    int status = 0;
    QByteArray body;
};

class Client {
public:
    explicit Client(std::string port)
        : m_base(QStringLiteral("http://127.0.0.1:%1").arg(QString::fromStdString(port))) {}

    Reply send(const QByteArray& method, const QString& path, const QByteArray& token,
               const QByteArray& body = {},
               const QByteArray& contentType = QByteArrayLiteral("application/json")) {
        QNetworkRequest request(QUrl(m_base + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        if (!token.isEmpty()) {
            request.setRawHeader("Authorization", "Bearer " + token);
        }
        QNetworkReply* reply = m_manager.sendCustomRequest(request, method, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        Reply answer;
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = reply->readAll();
        reply->deleteLater();
        return answer;
    }

private:
    QString m_base;
    QNetworkAccessManager m_manager;
};

TEST(ServiceEndToEnd, SendsAGroupPageToTwoVirtualSignsAndStaysOpenToOthers) {
    EnsureApplication();
    QTemporaryDir home;
    const std::string dir = home.path().toStdString();
    SignProcess front({"--listen", "127.0.0.1:0", "--state", dir + "/front.json"});
    SignProcess back({"--listen", "127.0.0.1:0", "--id", "02", "--state", dir + "/back.json"});
    const std::string frontPort = PortOf(front.firstLine());
    const std::string backPort = PortOf(back.firstLine());
    ASSERT_FALSE(frontPort.empty());
    ASSERT_FALSE(backPort.empty());
    std::ofstream(dir + "/lumivo.INI")
        << "[Sign Front]\nPort=tcp://127.0.0.1:" << frontPort << "\nID=01\nGroups=shop\n\n"
        << "[Sign Back]\nPort=tcp://127.0.0.1:" << backPort << "\nID=02\nGroups=shop\n";

    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    SignProcess service({"--listen", "127.0.0.1:0"}, LUMIVOD_PATH);
    const std::string listening = service.firstLine();
    ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
    const QByteArray token = QByteArray::fromStdString(FileText(dir + "/lumivod.token")).trimmed();
    ASSERT_EQ(token.size(), 64);
    Client client(PortOf(listening));

    const Reply sent = client.send("POST", QStringLiteral("/api/groups/shop/pages/B"), token,
                                   "{\"text\":\"Caf\xc3\xa9 open\"}");
    EXPECT_EQ(sent.status, 200) << sent.body.toStdString();
    EXPECT_NE(sent.body.indexOf("2 of 2 signs took page B"), -1) << sent.body.toStdString();
    // Each virtual sign holds the page, the é as the sign's 8-bit byte.
    EXPECT_NE(FileText(dir + "/front.json").find("Caf\\u00E9 open"), std::string::npos)
        << FileText(dir + "/front.json");
    EXPECT_NE(FileText(dir + "/back.json").find("Caf\\u00E9 open"), std::string::npos)
        << FileText(dir + "/back.json");

    // A message document as the body, told by its Content-Type.
    const Reply document = client.send("POST", QStringLiteral("/api/signs/Front/pages/C"), token,
                                       "{\\rtf1\\ansi Doc \\'e9 here}", "application/x-lumivo");
    EXPECT_EQ(document.status, 200) << document.body.toStdString();
    EXPECT_NE(FileText(dir + "/front.json").find("Doc \\u00E9 here"), std::string::npos)
        << FileText(dir + "/front.json");

    EXPECT_EQ(client.send("GET", QStringLiteral("/api/signs"), {}).status, 401);
    EXPECT_EQ(client
                  .send("GET", QStringLiteral("/api/signs"),
                        (token.startsWith('0') ? "1" : "0") + token.mid(1))
                  .status,
              401);
    EXPECT_EQ(client
                  .send("POST", QStringLiteral("/api/signs/Front/pages/A"), token,
                        QByteArray(1024 * 1024 + 1, ' '))
                  .status,
              413);

    // A hundred clients connect and send nothing; another is answered meanwhile.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 100; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QStringLiteral("127.0.0.1"),
                              static_cast<quint16>(std::stoi(PortOf(listening))));
        ASSERT_TRUE(socket->waitForConnected(3000)) << i;
        idle.push_back(std::move(socket));
    }
    QElapsedTimer timer;
    timer.start();
    const Reply listed = client.send("GET", QStringLiteral("/api/signs/back"), token);
    EXPECT_EQ(listed.status, 200);
    EXPECT_NE(listed.body.indexOf("Caf\xc3\xa9 open"), -1) << listed.body.toStdString();
    EXPECT_LT(timer.elapsed(), 3000);

    const std::string log = service.errorOutput();
    EXPECT_NE(log.find("sign \"Front\" page B: sent"), std::string::npos) << log;
    EXPECT_NE(log.find("refused GET /api/signs: no token"), std::string::npos) << log;
    EXPECT_NE(log.find("lumivod: 2 signs; token in"), std::string::npos) << log;

    timer.restart();
    EXPECT_EQ(service.stop(SIGTERM, 1000), std::optional<int>(0));
    EXPECT_LT(timer.elapsed(), 1000);
    ::unsetenv("LUMIVO_HOME");
}

} // namespace

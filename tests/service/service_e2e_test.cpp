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

    // A body announced as 64 MiB is refused once its first 2 MiB have come, not when all of it
    // has: the service never holds more than the bound of one request.
    {
        QTcpSocket large;
        large.connectToHost(QStringLiteral("127.0.0.1"),
                            static_cast<quint16>(std::stoi(PortOf(listening))));
        ASSERT_TRUE(large.waitForConnected(3000));
        large.write("POST /api/signs/Front/pages/A HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " +
                    token + "\r\nContent-Length: 67108864\r\n\r\n");
        const QByteArray chunk(64 * 1024, ' ');
        QByteArray answer;
        for (int i = 0; i < 32 && answer.isEmpty(); ++i) {
            large.write(chunk);
            large.waitForBytesWritten(1000);
            if (large.waitForReadyRead(i < 16 ? 1 : 200)) {
                answer = large.readAll();
            }
        }
        for (int i = 0; i < 20 && !answer.contains("\r\n\r\n"); ++i) {
            large.waitForReadyRead(100);
            answer += large.readAll();
        }
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << answer.toStdString();
        EXPECT_TRUE(large.state() == QAbstractSocket::UnconnectedState ||
                    large.waitForDisconnected(2000));
    }

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
    EXPECT_NE(log.find("refused a request of over"), std::string::npos) << log;

    timer.restart();
    EXPECT_EQ(service.stop(SIGTERM, 1000), std::optional<int>(0));
    EXPECT_LT(timer.elapsed(), 1000);
    ::unsetenv("LUMIVO_HOME");
}

// Waits (serving the loop) until the file holds `text`, at most `boundMs`.
bool WaitForText(const std::string& path, const std::string& text, int boundMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < boundMs) {
        if (FileText(path).find(text) != std::string::npos) {
            return true;
        }
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

// A page with a field from a file is kept and sent again when the file changes; when the file
// goes, the sign keeps its last value and its state says why.
TEST(ServiceEndToEnd, KeepsAFieldPageCurrentFromAFile) {
    EnsureApplication();
    QTemporaryDir home;
    const std::string dir = home.path().toStdString();
    SignProcess front({"--listen", "127.0.0.1:0", "--state", dir + "/front.json"});
    const std::string frontPort = PortOf(front.firstLine());
    std::ofstream(dir + "/menu.txt") << "soup\n";
    std::ofstream(dir + "/lumivo.INI")
        << "[Service]\nmin_interval=1\n\n[Sign Front]\nPort=tcp://127.0.0.1:" << frontPort
        << "\nID=01\n\n[Field menu]\nsource=file\npath=" << dir << "/menu.txt\nrefresh=1\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    SignProcess service({"--listen", "127.0.0.1:0"}, LUMIVOD_PATH);
    const std::string listening = service.firstLine();
    const QByteArray token = QByteArray::fromStdString(FileText(dir + "/lumivod.token")).trimmed();
    Client client(PortOf(listening));

    const Reply kept = client.send("POST", QStringLiteral("/api/signs/Front/pages/A"), token,
                                   "{\"text\":\"Menu: {menu}\"}");
    EXPECT_EQ(kept.status, 202) << kept.body.toStdString();
    EXPECT_TRUE(WaitForText(dir + "/front.json", "Menu: soup", 5000))
        << FileText(dir + "/front.json");
    std::ofstream(dir + "/menu.txt") << "fish <Red>\n";
    EXPECT_TRUE(WaitForText(dir + "/front.json", "Menu: fish (Red)", 5000))
        << FileText(dir + "/front.json");
    std::remove((dir + "/menu.txt").c_str());
    QElapsedTimer timer;
    timer.start();
    Reply state;
    while (timer.elapsed() < 5000 &&
           (state = client.send("GET", QStringLiteral("/api/signs/Front"), token))
                   .body.indexOf("\"ok\":false") == -1) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
    EXPECT_NE(state.body.indexOf("\"menu\":{\"error\":\"Cannot"), -1) << state.body.toStdString();
    EXPECT_NE(state.body.indexOf("\"value\":\"fish (Red)\""), -1) << state.body.toStdString();
    EXPECT_EQ(service.stop(SIGTERM, 1000), std::optional<int>(0));
    ::unsetenv("LUMIVO_HOME");
}

TEST(ServiceEndToEnd, AnAlertPreEmptsTheFallbackWhichComesBackWhenItExpires) {
    EnsureApplication();
    QTemporaryDir home;
    const std::string dir = home.path().toStdString();
    SignProcess sign({"--listen", "127.0.0.1:0", "--state", dir + "/front.json"});
    const std::string signPort = PortOf(sign.firstLine());
    ASSERT_FALSE(signPort.empty());
    std::ofstream(dir + "/lumivo.INI")
        << "[Sign Front]\nPort=tcp://127.0.0.1:" << signPort << "\nID=01\n\n"
        << "[Programme Front]\nFallback=A | Welcome\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    SignProcess service({"--listen", "127.0.0.1:0"}, LUMIVOD_PATH);
    const std::string listening = service.firstLine();
    ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
    const QByteArray token = QByteArray::fromStdString(FileText(dir + "/lumivod.token")).trimmed();
    Client client(PortOf(listening));
    const std::string state = dir + "/front.json";
    ASSERT_TRUE(WaitForText(state, "\"running_page\":\"A\"", 5000)) << FileText(state);
    EXPECT_NE(FileText(state).find("Welcome"), std::string::npos) << FileText(state);

    const Reply added = client.send("POST", QStringLiteral("/api/signs/Front/alerts"), token,
                                    R"({"text":"Fire drill","expires":2})");
    ASSERT_EQ(added.status, 201) << added.body.toStdString();
    ASSERT_TRUE(WaitForText(state, "\"running_page\":\"Z\"", 3000)) << FileText(state);
    EXPECT_NE(FileText(state).find("Fire drill"), std::string::npos) << FileText(state);
    const Reply during = client.send("GET", QStringLiteral("/api/signs/Front"), token);
    EXPECT_NE(during.body.indexOf(R"("why":"alert")"), -1) << during.body.toStdString();

    // Two seconds on, the fallback's page is put back and run.
    EXPECT_TRUE(WaitForText(state, "\"running_page\":\"A\"", 5000)) << FileText(state);
    const Reply after = client.send("GET", QStringLiteral("/api/signs/Front"), token);
    EXPECT_NE(after.body.indexOf(R"("why":"fallback")"), -1) << after.body.toStdString();
    const std::string log = service.errorOutput();
    EXPECT_NE(log.find("programme alert 1 page Z: Run page Error OK"), std::string::npos) << log;
    EXPECT_EQ(service.stop(SIGTERM, 1000), std::optional<int>(0));
    ::unsetenv("LUMIVO_HOME");
}

} // namespace

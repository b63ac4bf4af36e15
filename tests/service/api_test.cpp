// The service's API on plain requests, without sockets: every case of
// tests/data/service/api_cases.tsv, against signs on scripted lines that answer as a sign does.

#include "link/fake_port.h"
#include "service/api.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace lumivo::service {
namespace {

using lumivo::test::Split;

const QByteArray kToken = QByteArrayLiteral("0123456789abcdef0123456789abcdef");

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "service_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return application ? *application : *QCoreApplication::instance();
}

// A service on three signs, each on its own scripted line that answers every frame as a sign.
class ServiceHarness {
public:
    ServiceHarness() {
        Application();
        std::ofstream(path("lumivo.INI")) << "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\n"
                                             "Groups=shop\n\n[Sign Back]\nPort=tcp://127.0.0.1:2\n"
                                             "ID=02\nGroups=shop\n\n[Sign Lone]\n"
                                             "Port=tcp://127.0.0.1:3\nID=03\n";
        for (const char* port : {"tcp://127.0.0.1:1", "tcp://127.0.0.1:2", "tcp://127.0.0.1:3"}) {
            auto line = std::make_unique<link::FakeLine>();
            line->setResponder([](const std::string& frame) -> std::string {
                return frame.rfind("<ID><", 0) == 0 ? frame.substr(5, 2) : "ACK";
            });
            m_lines[QString::fromLatin1(port)] = std::move(line);
        }
        ServiceSetup setup;
        setup.settingsFile = QString::fromStdString(path("lumivo.INI"));
        setup.stateFile = path("signs-state.json");
        setup.graphicsFolder = path("Graphdata");
        setup.token = kToken;
        setup.openerFor = [this](const signs::Sign& sign) {
            return m_lines.at(sign.port)->opener();
        };
        setup.clockFor = [](const signs::Sign&) -> std::unique_ptr<link::Clock> {
            return std::make_unique<link::RealClock>();
        };
        m_service = std::make_unique<SignService>(std::move(setup));
    }

    std::string path(const char* name) const {
        return (m_dir.path() + QLatin1Char('/')).toStdString() + name;
    }

    // The answer, waiting for it as long as the transfer takes.
    ApiAnswer ask(const ApiRequest& request) {
        std::optional<ApiAnswer> answered;
        m_service->handle(request, [&answered](ApiAnswer answer) { answered = std::move(answer); });
        QElapsedTimer timer;
        timer.start();
        while (!answered && timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return answered.value_or(ApiAnswer{0, {}, QByteArrayLiteral("no answer in 10 s")});
    }

    link::FakeLine& line(const char* port) { return *m_lines.at(QString::fromLatin1(port)); }

    // Bytes each line has taken so far, the line's number (1..3) first.
    std::map<int, std::size_t> writtenSoFar() const {
        std::map<int, std::size_t> sizes;
        int number = 1;
        for (const auto& [port, line] : m_lines) {
            sizes[number++] = line->written().size();
        }
        return sizes;
    }
    std::string writtenSince(int number, const std::map<int, std::size_t>& before) const {
        auto it = m_lines.begin();
        std::advance(it, number - 1);
        return it->second->written().substr(before.at(number));
    }

    // Waits for a job answered with 202 to end, so its frames are not taken for a later case's.
    void waitForJob(const ApiAnswer& accepted) {
        const QString href = QJsonDocument::fromJson(accepted.body)
                                 .object()
                                 .value(QStringLiteral("href"))
                                 .toString();
        ApiRequest poll;
        poll.method = "GET";
        poll.path = href.toUtf8();
        poll.authorization = "Bearer " + kToken;
        QElapsedTimer timer;
        timer.start();
        while (!href.isEmpty() && !ask(poll).body.contains("\"done\":true") &&
               timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

private:
    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<link::FakeLine>> m_lines;
    std::unique_ptr<SignService> m_service;
};

ApiRequest Request(const std::string& method, const std::string& target, const std::string& token,
                   const std::string& body) {
    ApiRequest request;
    request.method = QByteArray::fromStdString(method);
    const std::size_t question = target.find('?');
    request.path = QByteArray::fromStdString(target.substr(0, question));
    if (question != std::string::npos) {
        request.query = QByteArray::fromStdString(target.substr(question + 1));
    }
    if (token == "good") {
        request.authorization = "Bearer " + kToken;
    } else if (token == "wrong") {
        request.authorization = "Bearer " + QByteArray(kToken).replace('f', 'e');
    }
    if (body == "@big") {
        request.body = QByteArray(kMaxBodyBytes + 1, 'x');
    } else if (body == "@lmvbig") {
        request.contentType = "application/x-lumivo";
        request.body = QByteArray(6001, 'x');
    } else if (body.rfind("@lmv:", 0) == 0) {
        request.contentType = "Application/X-Lumivo; charset=windows-1252";
        request.body = QByteArray::fromStdString(body.substr(5));
    } else if (body != "-") {
        request.body = QByteArray::fromStdString(body);
    }
    return request;
}

TEST(ServiceApi, AnswersEveryCaseOfTheTable) {
    ServiceHarness service;
    std::ifstream cases(LUMIVO_TEST_DATA_DIR "/service/api_cases.tsv");
    ASSERT_TRUE(cases) << "tests/data/service/api_cases.tsv";
    int count = 0;
    for (std::string row; std::getline(cases, row);) {
        if (row.empty() || row[0] == '#') {
            continue;
        }
        const std::vector<std::string> f = Split(row, "\t");
        ASSERT_TRUE(f.size() == 6u || f.size() == 7u) << row;
        ++count;
        const std::map<int, std::size_t> before = service.writtenSoFar();
        const ApiAnswer answer = service.ask(Request(f[0], f[1], f[2], f[3]));
        if (answer.status == 202) {
            service.waitForJob(answer);
        }
        const std::string body = answer.body.toStdString();
        // The frames the lines took: "none" for no byte on any line, else pieces "N:bytes" that
        // line N must have taken for this request.
        if (f.size() == 7u && f[6] == "none") {
            for (int number = 1; number <= 3; ++number) {
                EXPECT_EQ(service.writtenSince(number, before), "") << row << "\nline " << number;
            }
        } else if (f.size() == 7u) {
            for (const std::string& piece : Split(f[6], " ;; ")) {
                const std::string sent =
                    service.writtenSince(std::stoi(piece.substr(0, 1)), before);
                EXPECT_NE(sent.find(piece.substr(2)), std::string::npos)
                    << row << "\nwanted frame: " << piece << "\nline took: " << sent;
            }
        }
        EXPECT_EQ(answer.status, std::stoi(f[4])) << row << "\n" << body;
        if (answer.contentType == "application/json") {
            EXPECT_TRUE(QJsonDocument::fromJson(answer.body).isObject()) << row << "\n" << body;
        }
        for (const std::string& piece : Split(f[5], " ;; ")) {
            EXPECT_NE(body.find(piece), std::string::npos)
                << row << "\nwanted: " << piece << "\nin: " << body;
        }
    }
    EXPECT_GT(count, 30);
}

// A refused request sends nothing; a page to a group reaches each of its signs once, and the
// sign's picture, still and animated, then draws what it was sent.
TEST(ServiceApi, SendsOnlyWhatPassedAndDrawsWhatWasSent) {
    ServiceHarness service;
    service.ask(Request("POST", "/api/signs/Front/pages/A", "good", "{\"text\":\"\\u20ac\"}"));
    service.ask(Request("POST", "/api/signs/Front/pages/A", "wrong", "{\"text\":\"x\"}"));
    EXPECT_EQ(service.line("tcp://127.0.0.1:1").openCount(), 0);

    const ApiAnswer sent =
        service.ask(Request("POST", "/api/groups/SHOP/pages/C", "good", "{\"text\":\"Hi\"}"));
    ASSERT_EQ(sent.status, 200) << sent.body.toStdString();
    EXPECT_EQ(service.line("tcp://127.0.0.1:1").openCount(), 1);
    EXPECT_EQ(service.line("tcp://127.0.0.1:2").openCount(), 1);
    EXPECT_EQ(service.line("tcp://127.0.0.1:3").openCount(), 0);

    const ApiAnswer sign = service.ask(Request("GET", "/api/signs/Back", "good", "-"));
    EXPECT_NE(sign.body.indexOf("\"C\":{\"sent\""), -1) << sign.body.toStdString();
    const ApiAnswer picture =
        service.ask(Request("GET", "/api/signs/Back/picture.png", "good", "-"));
    EXPECT_EQ(picture.status, 200) << picture.body.toStdString();
    EXPECT_EQ(picture.contentType, "image/png");
    EXPECT_TRUE(picture.body.startsWith("\x89PNG\r\n\x1a\n"));
    const ApiAnswer animated =
        service.ask(Request("GET", "/api/signs/Back/picture.gif?page=C", "good", "-"));
    EXPECT_EQ(animated.status, 200) << animated.body.toStdString();
    EXPECT_EQ(animated.contentType, "image/gif");
    EXPECT_TRUE(animated.body.startsWith("GIF89a"));
}

} // namespace
} // namespace lumivo::service

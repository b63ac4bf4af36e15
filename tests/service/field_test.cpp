#include "service/field_pages.h"
#include "service/field_sources.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace lumivo::service {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "service_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
        text.replace(at, from.size(), to);
    }
}

// Answers by the path of the request: /json, /html, /big and /slow (which is never answered).
class TinyHttp {
public:
    TinyHttp() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                const QByteArray request = socket->readAll();
                const QByteArray path = request.split(' ').value(1);
                const auto answer = [socket](const QByteArray& type, const QByteArray& body,
                                             qint64 length) {
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type +
                                  "\r\nContent-Length: " +
                                  QByteArray::number(length < 0 ? body.size() : length) +
                                  "\r\nConnection: close\r\n\r\n" + body);
                };
                if (path == "/json") {
                    answer("application/json; charset=utf-8",
                           R"({"main":{"temp":21.5},"list":[{"name":"x"},{"name":"a<b>"}]})", -1);
                } else if (path == "/html") {
                    answer("text/html", "<html>hi</html>", -1);
                } else if (path == "/big") {
                    answer("application/json", QByteArray(6000, ' '), 10 * 1024 * 1024);
                }
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
};

TEST(FieldSources, EachSourceIsBoundedAndReportsWhyItFailed) {
    EnsureApplication();
    test::TempDir dir;
    const std::string folder = dir.path().string();
    test::WriteBytes(dir.path() / "menu.txt", "Soup <b>(hot)\ttoday\r\nsecond line\n");
    test::WriteBytes(dir.path() / "latin.txt", "caf\xE9 \xE2\x82\xAC\n");
    test::WriteBytes(dir.path() / "huge.txt", std::string(2 * 1024 * 1024, 'x'));
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    TinyHttp http;
    test::ForEachCase("service/field_sources.tsv", 4, [&](const test::CaseRow& row) {
        std::string keys = row.fields[1];
        Replace(keys, "@DIR@", folder);
        Replace(keys, "@PORT@", std::to_string(http.port()));
        Replace(keys, " ;; ", "\n");
        const std::string settings = (dir.path() / "lumivo.INI").string();
        std::ofstream(settings) << "[Field f]\n" << keys << "\n";
        const FieldSettings read = ReadFieldSettings(QString::fromStdString(settings));
        const std::string& expected = row.fields[2];
        if (expected.rfind("settings!", 0) == 0) {
            ASSERT_TRUE(read.fields.empty());
            ASSERT_EQ(read.problems.size(), 1);
            EXPECT_NE(read.problems.front().toStdString().find(expected.substr(9)),
                      std::string::npos)
                << read.problems.front().toStdString();
            return;
        }
        ASSERT_EQ(read.fields.size(), 1u) << read.problems.join(QStringLiteral("; ")).toStdString();
        FieldBoard board(nullptr);
        bool changed = false;
        QObject::connect(&board, &FieldBoard::changed, [&changed] { changed = true; });
        QElapsedTimer timer;
        timer.start();
        board.setDefinitions(read.fields);
        const qint64 bound = std::stoi(row.fields[3]) * 1000;
        while (!changed && timer.elapsed() < bound + 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        ASSERT_TRUE(changed) << "no outcome after " << timer.elapsed() << " ms";
        EXPECT_LE(timer.elapsed(), bound);
        const FieldValue* value = board.value("f");
        if (expected.front() == '=') {
            EXPECT_TRUE(value->ok) << value->error.toStdString();
            EXPECT_EQ(value->value.value_or("(none)"), test::Unescape(expected.substr(1)));
        } else {
            EXPECT_FALSE(value->ok);
            EXPECT_FALSE(value->value.has_value());
            EXPECT_NE(value->error.toStdString().find(expected.substr(1)), std::string::npos)
                << value->error.toStdString();
        }
    });
}

// A source that fails after a success keeps its value and says why.
TEST(FieldSources, AFailureKeepsTheLastValue) {
    EnsureApplication();
    FieldBoard board(nullptr);
    FieldDefinition field;
    field.name = QStringLiteral("f");
    field.kind = FieldDefinition::Kind::Mqtt; // values come only from record()
    board.setDefinitions({field});
    board.record(QStringLiteral("f"), FetchOutcome{true, "7\nmore", {}});
    board.record(QStringLiteral("f"), FetchOutcome{false, {}, QStringLiteral("gone")});
    ASSERT_NE(board.value("f"), nullptr);
    EXPECT_EQ(board.value("f")->value, Bytes("7"));
    EXPECT_FALSE(board.value("f")->ok);
    EXPECT_EQ(board.value("f")->error, QStringLiteral("gone"));
}

// A topic's payload is bounded by max_bytes and made safe; another topic is not taken.
TEST(FieldSources, AnMqttPayloadIsBoundedAndMadeSafe) {
    EnsureApplication();
    FieldBoard board(nullptr);
    FieldDefinition field;
    field.name = QStringLiteral("t");
    field.kind = FieldDefinition::Kind::Mqtt;
    field.topic = "home/temp";
    field.maxBytes = 8;
    board.setDefinitions({field});
    EXPECT_EQ(board.mqttTopics(), QList<QByteArray>{"home/temp"});
    EXPECT_FALSE(board.takeMqtt("home/other", "1"));
    ASSERT_TRUE(board.takeMqtt("home/temp", "2\xFF<b>\n9"));
    EXPECT_EQ(board.value("t")->value, Bytes("2?(b)"));
    ASSERT_TRUE(board.takeMqtt("home/temp", QByteArray(9, '1')));
    EXPECT_EQ(board.value("t")->value, Bytes("2?(b)"));
    EXPECT_NE(board.value("t")->error.indexOf(QStringLiteral("at most 8")), -1);
}

// The send-on-change rule with a fake clock: a recording of what was sent and when.
struct SendRule {
    SendRule() {
        EnsureApplication();
        FieldDefinition field;
        field.name = QStringLiteral("queue");
        field.kind = FieldDefinition::Kind::Mqtt;
        board.setDefinitions({field});
    }
    FieldPages pages(int minIntervalMs) {
        return FieldPages(
            board,
            FieldPageHooks{[this](const QString&) { return busy; },
                           [this](const QString& sign, char letter) -> std::optional<Bytes> {
                               const auto it = held.find({sign, letter});
                               return it == held.end() ? std::nullopt
                                                       : std::optional<Bytes>(it->second);
                           },
                           [this](const QString& sign, char letter, Bytes line) {
                               held[{sign, letter}] = line;
                               sent.emplace_back(now, line);
                           }},
            minIntervalMs);
    }
    void set(const std::string& value) {
        board.record(QStringLiteral("queue"), FetchOutcome{true, value, {}});
    }

    FieldBoard board{nullptr};
    QDateTime now{QDate(2026, 3, 29), QTime(0, 30), QTimeZone::utc()};
    bool busy = false;
    std::map<std::pair<QString, char>, Bytes> held;
    std::vector<std::pair<QDateTime, Bytes>> sent;
};

TEST(FieldPages, TenChangesInOneSecondSendOnceWithinTheIntervalAndTheLastValueWins) {
    SendRule rule;
    FieldPages pages = rule.pages(10000);
    pages.keep(QStringLiteral("Front"), 'A', LineTemplate::Parse("Next: {queue}").value());
    EXPECT_FALSE(pages.evaluate(rule.now)); // never had a value: nothing sent, nothing to wait for
    EXPECT_TRUE(rule.sent.empty());
    const QDateTime start = rule.now;
    for (int change = 1; change <= 10; ++change) {
        rule.set(std::to_string(change));
        pages.evaluate(rule.now);
        rule.now = rule.now.addMSecs(100);
    }
    ASSERT_EQ(rule.sent.size(), 1u);
    EXPECT_EQ(rule.sent[0].second, "Next: 1");
    // A transfer to the sign runs when the interval is over: the page waits for its end.
    rule.now = start.addMSecs(10000);
    rule.busy = true;
    pages.evaluate(rule.now);
    EXPECT_EQ(rule.sent.size(), 1u);
    rule.busy = false;
    rule.now = rule.now.addMSecs(400);
    pages.evaluate(rule.now);
    ASSERT_EQ(rule.sent.size(), 2u);
    EXPECT_EQ(rule.sent[1].second, "Next: 10");
    // The same text again is not sent; a page posted without fields leaves the rule.
    rule.now = rule.now.addSecs(60);
    rule.set("10");
    EXPECT_FALSE(pages.evaluate(rule.now));
    pages.forget(QStringLiteral("Front"), 'A');
    rule.set("11");
    pages.evaluate(rule.now);
    EXPECT_EQ(rule.sent.size(), 2u);
}

// Over a simulated hour, asked every second and whenever the rule asks to be woken, a clock line
// goes out once for each minute its text shows; the count is the figure of sends per hour.
TEST(FieldPages, AClockLineIsSentOncePerMinute) {
    SendRule rule;
    FieldPages pages = rule.pages(10000);
    pages.keep(
        QStringLiteral("Front"), 'A',
        LineTemplate::Parse("{time:%H:%M@Europe/Berlin} {date:%d.%m.@Europe/Berlin}").value());
    const QDateTime end = rule.now.addSecs(3600);
    std::optional<qint64> wake;
    while (rule.now < end) {
        wake = pages.evaluate(rule.now);
        ASSERT_TRUE(wake.has_value());
        ASSERT_LE(*wake, 60000);
        rule.now = rule.now.addMSecs(std::min<qint64>(*wake + 5, 1000));
    }
    std::cout << "[ FIGURE ] sends in one hour of a {time:%H:%M} line: " << rule.sent.size()
              << "\n";
    EXPECT_EQ(rule.sent.size(), 60u);
    // 00:30 UTC on the day summer time begins in Berlin: 01:30 there, then 03:00 after 01:59.
    EXPECT_EQ(rule.sent.front().second, "01:30 29.03.");
    EXPECT_EQ(rule.sent[30].second, "03:00 29.03.");
}

} // namespace
} // namespace lumivo::service

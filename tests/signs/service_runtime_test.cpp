// lumivod's runtime record as the editor and lumivo-cli read it, and the dispatcher's way around
// a lumivod that does not answer.

#include "signs/line_fill.h"
#include "signs/service_client.h"
#include "signs/service_runtime.h"
#include "signs/sign_commands.h"

#include "link/fake_port.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace lumivo::signs {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "signs_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

// The pid of a process that has ended (and was reaped).
qint64 EndedPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

Sign DeskSign(const std::string& port, const std::string& id) {
    Sign sign;
    sign.name = QStringLiteral("Desk");
    sign.port = QString::fromStdString(port);
    sign.id = id;
    return sign;
}

TEST(ServiceRuntime, RouteOfADeskSignFollowsTheRecord) {
    const std::string dead = std::to_string(EndedPid());
    test::ForEachCase("signs/service_runtime_cases.tsv", 5, [&](const test::CaseRow& row) {
        test::TempDir dir;
        const std::filesystem::path settings = dir.path() / "lumivo.INI";
        test::WriteBytes(settings, "[COM Ports]\nCOM1=/dev/ttyUSB7\n");
        test::WriteBytes(ServiceTokenPath(settings), "abc123\n");
        const std::string& content = row.fields[1];
        if (content == "FOLDER") {
            std::filesystem::create_directory(ServiceRuntimePath(settings));
        } else if (content != "MISSING") {
            test::WriteBytes(
                ServiceRuntimePath(settings),
                Replaced(Replaced(content, "$LIVE", std::to_string(getpid())), "$DEAD", dead));
        }
        const std::optional<ServiceRoute> route = ServiceForSigns(
            QString::fromStdString(settings.string()))(DeskSign(row.fields[2], row.fields[3]));
        const std::string& want = row.fields[4];
        if (want == "-") {
            EXPECT_FALSE(route.has_value());
            return;
        }
        ASSERT_TRUE(route.has_value());
        EXPECT_EQ(route->token.toStdString(), "abc123");
        EXPECT_EQ(route->address.toStdString(), "127.0.0.1:8686");
        if (want.starts_with("=")) {
            EXPECT_EQ(route->signName.toStdString(), want.substr(1));
        } else {
            EXPECT_TRUE(route->signName.isEmpty());
            EXPECT_EQ(route->signsOnLine.join(QStringLiteral(", ")).toStdString(),
                      want.substr(std::string("owned:").size()));
        }
    });
}

TEST(ServiceRuntime, WrittenRecordReadsBackAndOnlyItsOwnProcessRemovesIt) {
    test::TempDir dir;
    const std::filesystem::path file = dir.path() / "lumivod.run";
    ServiceRuntime runtime{getpid(), QStringLiteral("[::1]:9000"), {DeskSign("COM2", "0A")}};
    ASSERT_TRUE(WriteServiceRuntime(file, runtime));
    const std::optional<ServiceRuntime> read = ReadLiveServiceRuntime(file);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->pid, runtime.pid);
    EXPECT_EQ(read->address, runtime.address);
    ASSERT_EQ(read->signs.size(), 1u);
    EXPECT_EQ(read->signs[0].name, runtime.signs[0].name);
    EXPECT_EQ(read->signs[0].port, runtime.signs[0].port);
    EXPECT_EQ(read->signs[0].id, "0A");
    // A newer lumivod's record is not removed by one that ends after it.
    RemoveServiceRuntime(file, runtime.pid + 1);
    EXPECT_TRUE(std::filesystem::exists(file));
    RemoveServiceRuntime(file, runtime.pid);
    EXPECT_FALSE(std::filesystem::exists(file));
}

// A line with fields that lumivod keeps is answered 202 at once: the sign took it, and the
// details say it is sent filled; an answer that names the sign nowhere is still a failure.
TEST(ServiceRuntime, KeptFieldPageIsTheSignsSuccess) {
    const ServiceAnswer kept = ReadServiceAnswer(
        202,
        R"({"kept":true,"page":"A","signs":{"Front":{"template":"M {menu}","filled":"M soup"}}})",
        QStringLiteral("Front"));
    EXPECT_TRUE(kept.reached);
    EXPECT_TRUE(kept.outcome.success);
    EXPECT_NE(kept.outcome.details.find("now \"M soup\""), std::string::npos)
        << kept.outcome.details;
    const ServiceAnswer waiting = ReadServiceAnswer(
        202, R"({"kept":true,"page":"A","signs":{"Front":{"template":"M {menu}"}}})",
        QStringLiteral("Front"));
    EXPECT_TRUE(waiting.outcome.success);
    EXPECT_NE(waiting.outcome.details.find("once every field"), std::string::npos);
    EXPECT_FALSE(
        ReadServiceAnswer(202, R"({"kept":true,"page":"A","signs":{}})", QStringLiteral("Front"))
            .outcome.success);
}

// lumivod's record names a live process, but nothing listens at its address: the sign's port
// is opened here, and the outcome says lumivod did not answer. User characters, which lumivod
// has no route for, are refused on its line and write nothing.
TEST(ServiceRuntime, LumivodThatDoesNotAnswerLeavesThePortToTheDesk) {
    EnsureApplication();
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    link::FakeLine line;
    line.setResponder([](const std::string&) { return std::string("ACK"); });
    Dispatcher dispatcher([&](const Sign&) { return line.opener(); }, QString(),
                          [&](const Sign&) { return std::make_unique<link::FakeClock>(); },
                          nullptr);
    dispatcher.routeThroughService([&](const Sign&) {
        return std::optional<ServiceRoute>(ServiceRoute{address, {}, 42, QStringLiteral("F"), {}});
    });
    const Sign sign = DeskSign("tcp://127.0.0.1:1", "01");
    const SignOutcome font = dispatcher.run({sign}, FontTransferCommand({})).outcomes.at(0);
    EXPECT_EQ(font.outcome.text, "lumivod (process 42) owns the line tcp://127.0.0.1:1 and takes "
                                 "no user characters; stop lumivod to send it from here");
    EXPECT_TRUE(line.written().empty());

    const SignOutcome end = dispatcher.run({sign}, RunPageCommand('B')).outcomes.at(0);
    EXPECT_TRUE(end.outcome.success) << end.outcome.details;
    EXPECT_NE(line.written().find("<RPB>"), std::string::npos) << line.written();
    EXPECT_NE(end.outcome.details.find("lumivod at " + address.toStdString() + " did not answer"),
              std::string::npos)
        << end.outcome.details;
}

} // namespace
} // namespace lumivo::signs

namespace lumivo::signs {
namespace {

TEST(ServiceFill, TheWindowDrawsALineAsLumivodFillsIt) {
    const QDateTime now =
        QDateTime::fromString(QStringLiteral("2026-12-10T09:05:07Z"), Qt::ISODate);
    test::ForEachCase("signs/service_fill_cases.tsv", 4, [&](const test::CaseRow& row) {
        const QJsonObject state =
            QJsonDocument::fromJson(QByteArray::fromStdString(row.fields[2])).object();
        EXPECT_EQ(LineAsServiceFills(row.fields[1], FieldValuesOfState(state), now), row.fields[3]);
    });
}

} // namespace
} // namespace lumivo::signs

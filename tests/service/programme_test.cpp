// Programmes: what applies at a time and when that changes (a table with fixed times), the
// entries as the settings write them (a table), and the runner that puts them on a sign through
// a recorded job path with a hand-moved clock.

#include "service/programme.h"
#include "service/programme_runner.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace lumivo::service {
namespace {

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "programme_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return application ? *application : *QCoreApplication::instance();
}

QStringList Items(const std::string& field) {
    return QString::fromStdString(field).split(QStringLiteral(" || "), Qt::SkipEmptyParts);
}

ProgrammeEntry MustRead(const QString& name, const QString& text, const QTimeZone& zone,
                        bool fallback) {
    const EntryRead read = ReadProgrammeEntry(name, text, zone, fallback);
    EXPECT_TRUE(read.entry.has_value()) << text.toStdString() << ": " << read.error.toStdString();
    return read.entry.value_or(ProgrammeEntry{});
}

TEST(Programme, AnswersWhatAppliesAndTheNextChange) {
    test::ForEachCase("service/programme_cases.tsv", 7, [](const test::CaseRow& row) {
        const QTimeZone zone(QByteArray::fromStdString(row.fields[1]));
        ASSERT_TRUE(zone.isValid());
        Programme programme(zone);
        std::vector<ProgrammeEntry> entries;
        for (const QString& item : Items(row.fields[2])) {
            const qsizetype equals = item.indexOf(QLatin1Char('='));
            const QString key = item.left(equals);
            const bool fallback = key == QStringLiteral("Fallback");
            ProgrammeEntry entry = MustRead(key, item.mid(equals + 1), zone, fallback);
            if (fallback) {
                programme.setFallback(entry);
            } else {
                entries.push_back(entry);
            }
        }
        programme.setEntries(entries);
        std::uint64_t id = 0;
        for (const QString& item : Items(row.fields[3])) {
            ++id;
            ProgrammeEntry alert = MustRead(QStringLiteral("alert %1").arg(id), item, zone, false);
            ASSERT_TRUE(programme.addAlert(id, alert));
        }
        const QDateTime now =
            QDateTime::fromString(QString::fromStdString(row.fields[4]), Qt::ISODate);
        ASSERT_TRUE(now.isValid()) << row.fields[4];
        const std::optional<ProgrammeChoice> choice = programme.at(now);
        const std::string shown =
            choice ? QStringLiteral("%1 %2 %3")
                         .arg(choice->entry.name, QString(QLatin1Char(choice->entry.letter)),
                              ShowReasonName(choice->reason))
                         .toStdString()
                   : std::string("none");
        EXPECT_EQ(shown, row.fields[5]);
        const std::optional<QDateTime> next = programme.nextChange(now);
        EXPECT_EQ(next ? next->toString(Qt::ISODate).toStdString() : std::string("never"),
                  row.fields[6]);
    });
}

TEST(Programme, ReadsEntriesAndNamesWhatIsWrong) {
    test::ForEachCase("service/programme_entries.tsv", 3, [](const test::CaseRow& row) {
        const QString text = QString::fromUtf8(test::Unescape(row.fields[0]));
        const EntryRead read = ReadProgrammeEntry(QStringLiteral("Entry1"), text, QTimeZone::utc(),
                                                  row.fields[1] == "yes");
        if (row.fields[2].starts_with("error: ")) {
            EXPECT_FALSE(read.entry.has_value());
            EXPECT_NE(read.error.toStdString().find(row.fields[2].substr(7)), std::string::npos)
                << read.error.toStdString();
            return;
        }
        ASSERT_TRUE(read.entry.has_value()) << read.error.toStdString();
        const ProgrammeEntry& entry = *read.entry;
        const auto optional = [](const std::optional<int>& value) {
            return value ? std::to_string(*value) : std::string("-");
        };
        const std::string hours =
            entry.fromMinute ? optional(entry.fromMinute) + "-" + optional(entry.toMinute) : "-";
        const std::string got =
            std::string(1, entry.letter) + " " + std::to_string(entry.days) + " " + hours + " " +
            optional(entry.priority) + " " +
            (entry.expires ? entry.expires->toUTC().toString(Qt::ISODate).toStdString() : "-") +
            " | " + entry.line;
        EXPECT_EQ(got, test::Unescape(row.fields[2]));
    });
}

// The runner with its job path recorded: each start is kept with its end to be given by the test.
struct RecordedStarts {
    struct Start {
        QString label;
        ProgrammeRunner::Ended ended;
    };
    std::vector<Start> starts;

    void end(bool success) {
        ASSERT_FALSE(starts.empty());
        signs::DispatchResult result;
        signs::SignOutcome outcome;
        outcome.sign = QStringLiteral("Front");
        outcome.started = true;
        outcome.outcome = link::Outcome(link::BoxKind::None, std::string(), success,
                                        success ? std::string() : std::string("no reply"));
        result.outcomes.push_back(outcome);
        ProgrammeRunner::Ended ended = std::move(starts.back().ended);
        ended(result);
    }
};

TEST(ProgrammeRunner, SendsOnChangeRetriesAndPutsBackWhatWasThere) {
    Application();
    QTemporaryDir dir;
    const std::filesystem::path settingsPath = dir.path().toStdString() + "/lumivo.INI";
    std::ofstream(settingsPath) << "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\n\n"
                                << "[Programme Front]\nTimeZone=UTC\nFallback=A | Welcome\n"
                                << "Entry1=B 10:00-11:00 | Hello\nEntry9=Q Mox | x\n\n"
                                << "[Programme Nobody]\nFallback=A | x\n";
    const SettingsFile settings(settingsPath);
    const signs::SignList list = signs::ReadSignList(settings);
    QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-10T09:00:00Z"), Qt::ISODate);
    RecordedStarts recorded;
    ProgrammeRunner runner(
        [&](const signs::Sign&, signs::SignCommand command, ProgrammeRunner::Ended ended) {
            recorded.starts.push_back({command.label, std::move(ended)});
        },
        [&] { return now; }, [](const QString&) { return signs::SignRecord{}; },
        dir.path().toStdString());
    const QStringList problems = runner.reload(settings, list);
    ASSERT_EQ(problems.size(), 2) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("Programme \"Front\", Entry9: \"Mox\"")));
    EXPECT_TRUE(problems[1].startsWith(QStringLiteral("Programme \"Nobody\": no sign")));

    const auto labels = [&] {
        QStringList all;
        for (const auto& start : recorded.starts) {
            all.append(start.label);
        }
        return all.join(QStringLiteral(", ")).toStdString();
    };
    const auto programmeState = [&] {
        return QJsonDocument(runner.stateJson(QStringLiteral("front")))
            .toJson(QJsonDocument::Compact)
            .toStdString();
    };
    // One transfer at a time; a failed one is tried again after the pause, not before.
    runner.update();
    EXPECT_EQ(labels(), "programme Fallback page A");
    recorded.end(false);
    EXPECT_NE(programmeState().find("\"failures\":1"), std::string::npos) << programmeState();
    EXPECT_NE(programmeState().find("\"retry_at\":\"2026-12-10T09:00:05.000Z\""), std::string::npos)
        << programmeState();
    now = now.addSecs(4);
    runner.update();
    EXPECT_EQ(recorded.starts.size(), 1u);
    now = now.addSecs(1);
    runner.update();
    EXPECT_EQ(labels(), "programme Fallback page A, programme Fallback page A");
    recorded.end(true);
    runner.update(); // the same entry stays: nothing is sent again
    EXPECT_EQ(recorded.starts.size(), 2u);
    EXPECT_NE(programmeState().find("\"next_change\":\"2026-12-10T10:00:00.000Z\""),
              std::string::npos)
        << programmeState();

    // An alert pre-empts, expires, and the fallback comes back.
    const std::vector<signs::Sign> front{list.signs.front()};
    auto added = runner.addAlert(front, R"({"text":"Fire","expires":2})");
    ASSERT_TRUE(std::holds_alternative<QJsonObject>(added));
    EXPECT_EQ(std::get<QJsonObject>(added).value(QStringLiteral("letter")).toString(),
              QStringLiteral("Z"));
    recorded.end(true);
    EXPECT_NE(programmeState().find("\"why\":\"alert\""), std::string::npos) << programmeState();
    now = now.addSecs(2);
    runner.update();
    recorded.end(true);
    EXPECT_EQ(labels(), "programme Fallback page A, programme Fallback page A, "
                        "programme alert 1 page Z, programme Fallback page A");

    // Refused before anything is added: a bad letter, an expiry past, the limit of alerts.
    for (const char* body : {R"({"text":"x","letter":"1"})", R"({"text":"x","expires":0})",
                             R"({"text":"x","priority":1.5})", R"({"text":"x","colour":1})"}) {
        EXPECT_TRUE(std::holds_alternative<Refusal>(runner.addAlert(front, body))) << body;
    }
    for (std::size_t i = 0; i < kMaxAlertsPerSign; ++i) {
        ASSERT_TRUE(std::holds_alternative<QJsonObject>(
            runner.addAlert(front, R"({"text":"x","priority":-5})")));
    }
    const auto full = runner.addAlert(front, R"({"text":"x"})");
    ASSERT_TRUE(std::holds_alternative<Refusal>(full));
    EXPECT_EQ(std::get<Refusal>(full).status, 409);
    EXPECT_FALSE(runner.endAlert(front, QStringLiteral("2")).has_value());
    EXPECT_TRUE(runner.endAlert(front, QStringLiteral("2")).has_value());
}

// A programme's line with fields: checked at load, filled whole from the service's fields or
// waiting for a value, then kept current by the send-on-change rule while it shows.
TEST(ProgrammeRunner, FillsFieldsWaitsForAValueAndKeepsTheLineCurrent) {
    Application();
    QTemporaryDir dir;
    const std::filesystem::path settingsPath = dir.path().toStdString() + "/lumivo.INI";
    std::ofstream(settingsPath) << "[Sign Front]\nPort=tcp://127.0.0.1:1\nID=01\n\n"
                                << "[Programme Front]\nTimeZone=UTC\n"
                                << "Fallback=B | {time:%H:%M@UTC} {temp}C\n"
                                << "Entry1=C 10:00-11:00 | {nosuch}\n";
    const SettingsFile settings(settingsPath);
    const signs::SignList list = signs::ReadSignList(settings);
    QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-10T09:05:00Z"), Qt::ISODate);
    std::map<std::string, Bytes> values;
    std::vector<std::string> kept;
    std::vector<signs::SignCommand> commands;
    RecordedStarts recorded;
    ProgrammeRunner runner(
        [&](const signs::Sign&, signs::SignCommand command, ProgrammeRunner::Ended ended) {
            recorded.starts.push_back({command.label, std::move(ended)});
            commands.push_back(std::move(command));
        },
        [&] { return now; }, [](const QString&) { return signs::SignRecord{}; },
        dir.path().toStdString());
    runner.setFields(ProgrammeFields{
        [](std::string_view name) { return name == "temp"; },
        [&](const LineTemplate& line) {
            return line.fill([&](const FieldRef& field) -> std::optional<Bytes> {
                if (IsClockField(field.name)) {
                    return signs::ClockFieldValue(field, now);
                }
                const auto value = values.find(field.name);
                return value == values.end() ? std::nullopt : std::optional(value->second);
            });
        },
        [&](const QString& sign, char letter, const LineTemplate& line) {
            kept.push_back(sign.toStdString() + " " + letter + " " + line.source());
        },
        [&](const QString& sign, char letter) {
            kept.push_back("forget " + sign.toStdString() + " " + letter);
        }});
    const QStringList problems = runner.reload(settings, list);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Entry1"))) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("nosuch"))) << problems[0].toStdString();

    // No value yet: nothing is sent, and the state says what it waits for.
    EXPECT_TRUE(recorded.starts.empty());
    const std::string state =
        QJsonDocument(runner.stateJson(QStringLiteral("Front"))).toJson().toStdString();
    EXPECT_NE(state.find("waits for a value of temp"), std::string::npos) << state;

    values["temp"] = "21";
    runner.update();
    ASSERT_EQ(commands.size(), 1u);
    signs::SignRecord record;
    commands.front().recordSuccess(record);
    ASSERT_EQ(record.pages.count('B'), 1u);
    EXPECT_EQ(record.pages['B'].line, "09:05 21C");
    EXPECT_TRUE(kept.empty()); // kept current only once the sign has the page
    recorded.end(true);
    EXPECT_EQ(kept, std::vector<std::string>{"Front B {time:%H:%M@UTC} {temp}C"});

    // An alert with an unknown field is refused naming it; another entry forgets the page.
    const std::vector<signs::Sign> front{list.signs.front()};
    const auto refused = runner.addAlert(front, R"({"text":"{nosuch}"})");
    ASSERT_TRUE(std::holds_alternative<Refusal>(refused));
    EXPECT_TRUE(std::get<Refusal>(refused).message.contains(QStringLiteral("nosuch")));
    ASSERT_TRUE(std::holds_alternative<QJsonObject>(runner.addAlert(front, R"({"text":"Fire"})")));
    EXPECT_EQ(kept.back(), "forget Front B");
}

} // namespace
} // namespace lumivo::service

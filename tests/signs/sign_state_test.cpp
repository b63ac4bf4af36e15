// The state file: what each sign was last sent survives a restart; damage is named, not fatal.

#include "signs/sign_state.h"

#include "core/file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace lumivo::signs {
namespace {

SignRecord FullRecord() {
    SignRecord record;
    // Every byte value a page line may hold comes back.
    std::string line = "Hi<Pic:G02>";
    line += "\x01\x7f\x80\xe9\xff";
    record.pages['C'] = SentPage{
        line,
        {{2, Graphic{{"@AD", "EEA"}}}},
        QDateTime::fromString(QStringLiteral("2026-12-09T10:00:00.250Z"), Qt::ISODateWithMs)};
    record.brightnessPercent = 50;
    record.clockSet = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9));
    record.runningPage = 'Q';
    record.linkedPages = "ABC";
    record.schedules = {ScheduleEntry{"12/25/26 08:00", "12/31/26 18:30", "AB"}, ScheduleEntry{}};
    record.userCharacters = {MakeUserCharRecord(0x41, 'A', {1, 2, 3, 4, 5, 6, 0xff})};
    record.last = LastOutcome{
        QStringLiteral("page C"),
        link::Outcome(link::BoxKind::Plain, "   Send Message Error   ", false, "no reply"),
        QDateTime::currentDateTimeUtc(), true};
    return record;
}

void ExpectSame(const SignRecord& read, const SignRecord& written) {
    ASSERT_EQ(read.pages.size(), 1u);
    EXPECT_EQ(read.pages.at('C').line, written.pages.at('C').line);
    EXPECT_EQ(read.pages.at('C').graphics.at(2).rows, written.pages.at('C').graphics.at(2).rows);
    EXPECT_EQ(read.pages.at('C').sent, written.pages.at('C').sent);
    EXPECT_EQ(read.brightnessPercent, written.brightnessPercent);
    EXPECT_EQ(read.clockSet, written.clockSet);
    EXPECT_EQ(read.runningPage, written.runningPage);
    EXPECT_EQ(read.linkedPages, written.linkedPages);
    EXPECT_EQ(read.schedules, written.schedules);
    EXPECT_EQ(read.userCharacters, written.userCharacters);
    ASSERT_TRUE(read.last.has_value());
    EXPECT_EQ(read.last->command, written.last->command);
    EXPECT_EQ(read.last->outcome, written.last->outcome);
    EXPECT_EQ(read.last->outcome.details, written.last->outcome.details);
    EXPECT_TRUE(read.last->cancelled);
}

TEST(SignState, WhatWasSentSurvivesARestart) {
    test::TempDir dir;
    const std::filesystem::path path = SignStatePath(dir.path() / "lumivo.ini");
    const SignRecord written = FullRecord();
    {
        SignStateStore store(path);
        EXPECT_FALSE(store.loadProblem().has_value());
        ASSERT_TRUE(
            store.update(QStringLiteral("Front"), [&](SignRecord& r) { r = written; }).ok());
        ASSERT_TRUE(
            store.update(QStringLiteral("Back"), [](SignRecord& r) { r.linkedPages = "Z"; }).ok());
        store.forget(QStringLiteral("Back"));
    }
    const SignStateStore again(path);
    EXPECT_FALSE(again.loadProblem().has_value());
    ExpectSame(again.record(QStringLiteral("Front")), written);
    EXPECT_TRUE(again.record(QStringLiteral("Back")).linkedPages.empty());
}

TEST(SignState, ADamagedFileOrRecordIsNamedAndKept) {
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "signs-state.json";
    test::WriteBytes(path, "{\"signs\": {\"Front\": ");
    {
        SignStateStore store(path);
        ASSERT_TRUE(store.loadProblem().has_value());
        EXPECT_NE(store.loadProblem()->find("not a sign state file"), std::string::npos);
        EXPECT_TRUE(store.record(QStringLiteral("Front")).pages.empty());
        ASSERT_TRUE(
            store.update(QStringLiteral("Front"), [](SignRecord& r) { r.runningPage = 'B'; }).ok());
    }
    std::filesystem::path kept = path;
    kept += ".damaged";
    EXPECT_EQ(*ReadWholeFile(kept), "{\"signs\": {\"Front\": ");
    EXPECT_EQ(SignStateStore(path).record(QStringLiteral("Front")).runningPage, 'B');

    // One broken record: the others still load.
    test::WriteBytes(path, "{\"signs\": {\"Good\": {\"pages\": {}, \"schedules\": [], "
                           "\"userCharacters\": [], \"brightness\": 25},"
                           " \"Bad\": {\"pages\": {\"AA\": {}}}}}");
    const SignStateStore store(path);
    ASSERT_TRUE(store.loadProblem().has_value());
    EXPECT_NE(store.loadProblem()->find("sign \"Bad\": \"AA\" is not a page letter"),
              std::string::npos)
        << *store.loadProblem();
    EXPECT_EQ(store.record(QStringLiteral("Good")).brightnessPercent, 25);
}

// The signs of the damage cases whose records loaded: each record that can load links page Z.
std::string Loaded(const SignStateStore& store) {
    std::string loaded;
    for (const char* name : {"A", "B", "Bad", "Front", "Good"}) {
        if (store.record(QString::fromLatin1(name)).linkedPages == "Z") {
            loaded += (loaded.empty() ? "" : ",") + std::string(name);
        }
    }
    return loaded.empty() ? "-" : loaded;
}

TEST(SignState, ADamagedFileLoadsWhatReadsWellNamesTheDamageAndKeepsIt) {
    test::ForEachCase("signs/state_damage_cases.tsv", 4, [&](const test::CaseRow& row) {
        test::TempDir dir;
        const std::filesystem::path path = dir.path() / "signs-state.json";
        test::WriteBytes(path, row.fields[1]);
        {
            SignStateStore store(path);
            EXPECT_EQ(Loaded(store), row.fields[2]);
            EXPECT_EQ(store.loadProblem().value_or("none"), path.string() + ": " + row.fields[3]);
            ASSERT_TRUE(
                store.update(QStringLiteral("New"), [](SignRecord& r) { r.runningPage = 'C'; })
                    .ok());
        }
        std::filesystem::path kept = path;
        kept += ".damaged";
        const Result<Bytes> damaged = ReadWholeFile(kept);
        ASSERT_TRUE(damaged.ok());
        EXPECT_EQ(*damaged, row.fields[1]);
        // The file written anew reads whole, with the records that loaded and the change.
        const SignStateStore again(path);
        EXPECT_FALSE(again.loadProblem().has_value()) << *again.loadProblem();
        EXPECT_EQ(Loaded(again), row.fields[2]);
        EXPECT_EQ(again.record(QStringLiteral("New")).runningPage, 'C');
    });
}

TEST(SignState, AFileThatCannotBeReadIsNamedAndNeverReplaced) {
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "signs-state.json";
    const std::string huge(16 * 1024 * 1024 + 1, ' ');
    test::WriteBytes(path, huge);
    SignStateStore store(path);
    ASSERT_TRUE(store.loadProblem().has_value());
    EXPECT_NE(store.loadProblem()->find("it is left as it is"), std::string::npos)
        << *store.loadProblem();
    EXPECT_FALSE(
        store.update(QStringLiteral("Front"), [](SignRecord& r) { r.runningPage = 'B'; }).ok());
    EXPECT_EQ(std::filesystem::file_size(path), huge.size());
}

} // namespace
} // namespace lumivo::signs

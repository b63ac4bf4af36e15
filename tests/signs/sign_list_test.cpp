// The sign list in the settings file: reading with its problems, writing back, choosing signs.

#include "signs/sign_list.h"

#include "core/file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace lumivo::signs {
namespace {

std::string Unescaped(std::string text) {
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"\\r", "\r"}, {"\\n", "\n"}}) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
            at += to.size();
        }
    }
    return text;
}

std::string Describe(const SignList& list) {
    std::string signs;
    for (const Sign& sign : list.signs) {
        signs += (signs.empty() ? "" : ";") + sign.name.toStdString() + "/" + sign.id + "/" +
                 std::to_string(sign.colours) + "/" + std::to_string(sign.columns) + "/" +
                 sign.groups.join(QLatin1Char(',')).toStdString();
    }
    return signs;
}

std::string Problems(const SignList& list) {
    std::string text;
    for (const SignListProblem& problem : list.problems) {
        text += (text.empty() ? "" : " | ") + problem.text().toStdString();
    }
    return text;
}

TEST(SignList, ReadsTheSignsThatReadWellAndNamesEveryProblem) {
    test::ForEachCase("signs/sign_list_cases.tsv", 4, [&](const test::CaseRow& row) {
        test::TempDir dir;
        const std::filesystem::path path = dir.path() / "lumivo.ini";
        test::WriteBytes(path, Unescaped(row.fields[1]));
        const SignList list = ReadSignList(SettingsFile(path));
        EXPECT_EQ(Describe(list), row.fields[2]);
        EXPECT_EQ(Problems(list), row.fields[3]);
    });
}

TEST(SignList, WritingBackKeepsEverythingElseOfTheFile) {
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "lumivo.ini";
    const std::string before = "; site of store 12\r\n"
                               "[Sign]\r\ncomport=2\r\n"
                               "[Sign Front]\r\nPort=COM1\r\nID=01\r\nMounted=2019 ; by hand\r\n"
                               "[Other]\r\nkey=value\r\n";
    test::WriteBytes(path, before);
    const SettingsFile file(path);

    Sign front = *ReadSignList(file).find(QStringLiteral("front"));
    front.id = "0b";
    front.groups = QStringList{QStringLiteral("store 12"), QStringLiteral("entrances")};
    ASSERT_TRUE(WriteSign(file, front).ok());
    Sign back;
    back.name = QStringLiteral("Back door");
    back.port = QStringLiteral("tcp://10.0.0.7:4001");
    back.colours = 1;
    ASSERT_TRUE(WriteSign(file, back).ok());
    EXPECT_EQ(*ReadWholeFile(path),
              "; site of store 12\r\n"
              "[Sign]\r\ncomport=2\r\n"
              "[Sign Front]\r\nPort=COM1\r\nID=0B\r\nMounted=2019 ; by hand\r\nColours=3\r\n"
              "Width=80\r\nGroups=store 12, entrances\r\n"
              "[Other]\r\nkey=value\r\n"
              "[Sign Back door]\r\nPort=tcp://10.0.0.7:4001\r\nID=01\r\nColours=1\r\nWidth=80\r\n"
              "Groups=\r\n");
    const SignList list = ReadSignList(file);
    EXPECT_TRUE(list.problems.empty());
    Sign frontAsRead = front;
    frontAsRead.id = "0B";
    EXPECT_EQ(list.signs, (std::vector<Sign>{frontAsRead, back}));

    // A sign that would not read back is not written.
    Sign bad = back;
    bad.port = QStringLiteral("COM0");
    const Status refused = WriteSign(file, bad);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message,
              "Sign \"Back door\", key Port: \"COM0\" is not a port (COM1..COM8, a device path or "
              "tcp://host:port)");

    ASSERT_TRUE(RemoveSign(file, QStringLiteral("FRONT")).ok());
    ASSERT_TRUE(RemoveSign(file, QStringLiteral("Back door")).ok());
    EXPECT_EQ(*ReadWholeFile(path),
              "; site of store 12\r\n[Sign]\r\ncomport=2\r\n[Other]\r\nkey=value\r\n");
}

TEST(SignList, ChoosesSignsByNameAndGroupEachOnceInListOrder) {
    SignList list;
    const auto add = [&](const char* name, QStringList groups) {
        Sign sign;
        sign.name = QString::fromLatin1(name);
        sign.port = QStringLiteral("COM1");
        sign.groups = std::move(groups);
        list.signs.push_back(sign);
    };
    add("Front", {QStringLiteral("Store 12"), QStringLiteral("entrances")});
    add("Back", {QStringLiteral("entrances")});
    add("Office", {});
    const Selection chosen =
        SelectSigns(list, {QStringLiteral("office"), QStringLiteral(" ENTRANCES "),
                           QStringLiteral("front"), QStringLiteral("loading bay")});
    ASSERT_EQ(chosen.signs.size(), 3u);
    EXPECT_EQ(chosen.signs[0].name, QStringLiteral("Front"));
    EXPECT_EQ(chosen.signs[1].name, QStringLiteral("Back"));
    EXPECT_EQ(chosen.signs[2].name, QStringLiteral("Office"));
    EXPECT_EQ(chosen.unknown, QStringList{QStringLiteral("loading bay")});
    EXPECT_EQ(list.groups(),
              (QStringList{QStringLiteral("Store 12"), QStringLiteral("entrances")}));
}

} // namespace
} // namespace lumivo::signs

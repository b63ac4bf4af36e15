// The settings file: key-by-key reading and writing of an initialisation file.

#include "core/settings_file.h"

#include "core/file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace lumivo {
namespace {

TEST(IniText, FindsKeysBySectionWithoutRegardToCase) {
    const std::string text = "; written by hand\n"
                             "comport=7\n" // before any section: belongs to none
                             "[Ports]\r\n"
                             "COM1=/dev/ttyUSB0\r\n"
                             "[sign]\r\n"
                             "  ComPort = 3 \r\n"
                             "color=\"1\"\r\n"
                             ";showform=0\r\n"
                             "[Other]\r\n"
                             "showform=0\r\n";
    EXPECT_EQ(FindIniValue(text, "Sign", "comport"), "3");
    EXPECT_EQ(FindIniValue(text, "SIGN", "COLOR"), "1");
    EXPECT_EQ(FindIniValue(text, "Sign", "showform"), std::nullopt);
    EXPECT_EQ(FindIniValue(text, "Ports", "COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(FindIniValue(text, "Missing", "comport"), std::nullopt);
    EXPECT_EQ(FindIniValue("\xEF\xBB\xBF[Sign]\ncolor=1", "Sign", "color"), "1");
    EXPECT_EQ(FindIniValue("[Sign\ncolor=1", "Sign", "color"), std::nullopt);
}

TEST(IniText, TheFirstOfDuplicateSectionsAndKeysWins) {
    const std::string text = "[Sign]\ncolor=1\ncolor=2\n[Sign]\ncolor=3\nshowform=0\n";
    EXPECT_EQ(FindIniValue(text, "Sign", "color"), "1");
    EXPECT_EQ(FindIniValue(text, "Sign", "showform"), std::nullopt);
    EXPECT_EQ(SetIniValue(text, "Sign", "color", "5"),
              "[Sign]\ncolor=5\ncolor=2\n[Sign]\ncolor=3\nshowform=0\n");
}

TEST(IniText, OnlyWholeNumbersAreNumbers) {
    EXPECT_EQ(ParseIniInt("3"), 3);
    EXPECT_EQ(ParseIniInt("-5"), -5);
    EXPECT_EQ(ParseIniInt("+7"), 7);
    EXPECT_EQ(ParseIniInt("007"), 7);
    EXPECT_EQ(ParseIniInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInt("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", "-", "abc", "3x", "x3", "3 4", "1.5", "0x10", "2147483648", "99999999999"}) {
        EXPECT_EQ(ParseIniInt(bad), std::nullopt) << bad;
    }
}

TEST(IniText, WritingChangesOnlyTheLineOfItsKey) {
    const std::string text = "; keep me\r\n[Ports]\r\nCOM2 = tcp://host:4001\r\n\r\n"
                             "[Sign]\r\ncomport=1\r\n color = 2\r\n\r\n[Tail]\r\nx=1";
    EXPECT_EQ(SetIniValue(text, "Sign", "color", "1"),
              "; keep me\r\n[Ports]\r\nCOM2 = tcp://host:4001\r\n\r\n"
              "[Sign]\r\ncomport=1\r\ncolor=1\r\n\r\n[Tail]\r\nx=1");
    // A new key goes after the last line of its section, before the blank line.
    EXPECT_EQ(SetIniValue(text, "sign", "showform", "0"),
              "; keep me\r\n[Ports]\r\nCOM2 = tcp://host:4001\r\n\r\n"
              "[Sign]\r\ncomport=1\r\n color = 2\r\nshowform=0\r\n\r\n[Tail]\r\nx=1");
    // A new section goes at the end, after a line end the file lacked.
    EXPECT_EQ(SetIniValue(text, "Other", "k", "9"),
              "; keep me\r\n[Ports]\r\nCOM2 = tcp://host:4001\r\n\r\n"
              "[Sign]\r\ncomport=1\r\n color = 2\r\n\r\n[Tail]\r\nx=1\r\n[Other]\r\nk=9\r\n");
    EXPECT_EQ(SetIniValue("[Sign]", "Sign", "color", "1"), "[Sign]\ncolor=1\n");
    EXPECT_EQ(SetIniValue("", "Sign", "color", "1"), "[Sign]\ncolor=1\n");
    EXPECT_EQ(SetIniValue("\xEF\xBB\xBF[Sign]\n", "Sign", "color", "1"),
              "\xEF\xBB\xBF[Sign]\ncolor=1\n");
}

TEST(IniText, SectionsAreListedInOrderAndRemovedWhole) {
    const std::string text = "\xEF\xBB\xBF; head\n[Sign]\ncomport=1\n[Sign A]\nPort=COM1\n; note\n"
                             "\n[ other ]\nk=v\r\n[sign a]\nID=02\n[Broken\n[Last]";
    EXPECT_EQ(IniSectionNames(text),
              (std::vector<std::string>{"Sign", "Sign A", "other", "sign a", "Last"}));
    EXPECT_EQ(RemoveIniSection(text, "SIGN A"),
              "\xEF\xBB\xBF; head\n[Sign]\ncomport=1\n[ other ]\nk=v\r\n[Last]");
    EXPECT_EQ(RemoveIniSection(text, "Missing"), text);
}

TEST(IniText, ALoneCarriageReturnEndsALineToo) {
    // Files written by old editors on other systems end lines with CR alone; a section header
    // there must not swallow the keys behind it, and a written key keeps the file's line end.
    EXPECT_EQ(FindIniValue("[Sign]\rcomport=3\rcolor=1", "Sign", "comport"), "3");
    EXPECT_EQ(FindIniValue("[Ports]\r\nCOM1=/dev/a\r[Sign]\ncolor=1\n", "Ports", "COM1"), "/dev/a");
    EXPECT_EQ(SetIniValue("[Sign]\r", "Sign", "comport", "3"), "[Sign]\rcomport=3\r");
    EXPECT_EQ(SetIniValue("[Sign]\rcolor=1", "Sign", "comport", "3"),
              "[Sign]\rcolor=1\rcomport=3\r");
    EXPECT_EQ(SetIniValue("[Other]\rk=1\r", "Sign", "comport", "3"),
              "[Other]\rk=1\r[Sign]\rcomport=3\r");
}

class SettingsFileTest : public ::testing::Test {
protected:
    test::TempDir m_dir;
    std::filesystem::path path() const { return m_dir.path() / "lumivo.INI"; }
    std::string read() const {
        Result<Bytes> bytes = ReadWholeFile(path());
        return bytes ? *bytes : std::string();
    }
};

TEST_F(SettingsFileTest, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
    const SettingsFile settings(path());
    EXPECT_EQ(settings.readInt("Sign", "comport", 1), 1);
    EXPECT_EQ(settings.readInt("Sign", "color", 2), 2);
    EXPECT_FALSE(std::filesystem::exists(path()));

    ASSERT_TRUE(settings.writeInt("Sign", "comport", 4));
    ASSERT_TRUE(settings.writeInt("Sign", "color", 1));
    ASSERT_TRUE(settings.writeInt("Sign", "comport", 5));
    ASSERT_TRUE(settings.writeString("Ports", "COM2", "tcp://host:4001"));
    EXPECT_EQ(read(), "[Sign]\ncomport=5\ncolor=1\n[Ports]\nCOM2=tcp://host:4001\n");
    EXPECT_EQ(settings.readInt("Sign", "comport", 1), 5);
    EXPECT_EQ(settings.readInt("Sign", "color", 2), 1);
    EXPECT_EQ(settings.readString("ports", "com2"), "tcp://host:4001");
}

TEST_F(SettingsFileTest, NonsenseFallsBackToTheDefault) {
    test::WriteBytes(path(), "[Sign]\ncomport=abc\ncolor=\nshowform\n");
    const SettingsFile settings(path());
    EXPECT_EQ(settings.readInt("Sign", "comport", 1), 1);
    EXPECT_EQ(settings.readInt("Sign", "color", 2), 2);
    EXPECT_EQ(settings.readInt("Sign", "showform", 1), 1);
}

TEST_F(SettingsFileTest, AnUnwritableFileIsReportedAndLeftAlone) {
    // A folder in the file's place cannot be written, whoever runs the test.
    std::filesystem::create_directory(path());
    const SettingsFile settings(path());
    const Status written = settings.writeInt("Sign", "color", 1);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().message.find(path().string()), std::string::npos);
    EXPECT_EQ(settings.readInt("Sign", "color", 2), 2);
    EXPECT_TRUE(std::filesystem::is_directory(path()));

    const SettingsFile nowhere(m_dir.path() / "missing" / "folder" / "lumivo.INI");
    EXPECT_FALSE(nowhere.writeInt("Sign", "color", 1));
}

} // namespace
} // namespace lumivo

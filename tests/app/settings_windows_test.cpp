// The start-up settings step, the sign colour dialog, the COM dialog and the colour mode.

#include "app_test_support.h"

#include "app/set_com.h"
#include "app/sign_color.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace lumivo::ui::test {
namespace {

const char* const kMultiColourItems[] = {
    "Green1",      "Orange1",     "InversedGreen1", "InversedOrange1",
    "RedOnGreen1", "GreenonRed1", "RYG1",           "Rainbow1"};

class SettingsWindowsTest : public EditorTest {
protected:
    TsignColorfrm& Colour() {
        auto* dialog = m_main->windowOf<TsignColorfrm>();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    TSetCom& Com() {
        auto* dialog = m_main->windowOf<TSetCom>();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    template <class T> T& In(QWidget& window, const char* name) {
        auto* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return *child;
    }
    // Single-colour mode as the menus show it; fails when the items disagree among themselves.
    ::testing::AssertionResult MenusShowSingleColour(bool single) {
        if (!item("Red1")->isVisible() || !item("InversedRed1")->isVisible()) {
            return ::testing::AssertionFailure() << "a red item is hidden";
        }
        for (const char* name : kMultiColourItems) {
            if (item(name)->isVisible() == single) {
                return ::testing::AssertionFailure() << name << " is wrongly shown or hidden";
            }
        }
        if (m_main->singleColorMode() != single) {
            return ::testing::AssertionFailure() << "the mode disagrees with the menus";
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(SettingsWindowsTest, WithoutASettingsFileTheColourQuestionOpensOnItsDefaults) {
    TForm1& main = Start(nullptr);
    TsignColorfrm& dialog = Colour();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowModality(), Qt::NonModal);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sign Color"));
    EXPECT_TRUE(In<QRadioButton>(dialog, "rb02").isChecked());
    EXPECT_EQ(In<QRadioButton>(dialog, "rb02").text(), QStringLiteral("TRIPLE COLOR"));
    EXPECT_EQ(In<QRadioButton>(dialog, "rb01").text(), QStringLiteral("SINGLE COLOR"));
    EXPECT_TRUE(In<QCheckBox>(dialog, "CheckBox1").isChecked());
    EXPECT_EQ(In<QCheckBox>(dialog, "CheckBox1").text(),
              QStringLiteral("Show when program starts"));
    EXPECT_EQ(In<QPushButton>(dialog, "Button1").text(), QStringLiteral("OK"));
    EXPECT_EQ(In<QPushButton>(dialog, "Button2").text(), QStringLiteral("Cancel"));
    for (const char* picture : {"TriplePicture", "SinglePicture"}) {
        EXPECT_FALSE(In<QLabel>(dialog, picture).pixmap().isNull());
    }
    EXPECT_FALSE(main.isEnabled());
    EXPECT_TRUE(MenusShowSingleColour(false)); // applied at once, with the dialog still up
    EXPECT_EQ(main.comPort(), 1);
    EXPECT_EQ(In<QComboBox>(Com(), "ComboBox1").currentText(), QStringLiteral("COM1"));
    EXPECT_FALSE(SettingsFileExists());
}

TEST_F(SettingsWindowsTest, CancelAtStartEnablesTheWindowAndWritesNothing) {
    TForm1& main = Start(nullptr);
    In<QRadioButton>(Colour(), "rb01").setChecked(true);
    In<QPushButton>(Colour(), "Button2").click();
    EXPECT_FALSE(Colour().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(MenusShowSingleColour(false));
    EXPECT_FALSE(SettingsFileExists());
}

TEST_F(SettingsWindowsTest, ClosingTheStartQuestionAnyWayEnablesTheWindow) {
    TForm1& main = Start("[Sign]\ncolor=1\n");
    ASSERT_TRUE(Colour().isVisible());
    EXPECT_TRUE(In<QRadioButton>(Colour(), "rb01").isChecked());
    EXPECT_TRUE(MenusShowSingleColour(true));
    Colour().close();
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(SettingsText(), "[Sign]\ncolor=1\n");
}

TEST_F(SettingsWindowsTest, OkWritesTheChoiceAndAppliesTheModeAtOnce) {
    TForm1& main = Start("; mine\n[Ports]\nCOM3=/dev/ttyUSB3\n");
    QSignalSpy modes(&main, &TForm1::colorModeChanged);
    In<QRadioButton>(Colour(), "rb01").setChecked(true);
    In<QCheckBox>(Colour(), "CheckBox1").setChecked(false);
    In<QPushButton>(Colour(), "Button1").click();
    EXPECT_FALSE(Colour().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(MenusShowSingleColour(true));
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(modes[0][0].toBool(), true);
    EXPECT_EQ(SettingsText(), "; mine\n[Ports]\nCOM3=/dev/ttyUSB3\n[Sign]\ncolor=1\nshowform=0\n");
    EXPECT_TRUE(m_prompts.boxes().empty());
}

TEST_F(SettingsWindowsTest, StoredValuesDecideTheModeWithoutAQuestion) {
    struct Case {
        const char* settings;
        bool single;
    } cases[] = {
        {"[Sign]\ncolor=1\nshowform=0\n", true},
        {"[Sign]\ncolor=5\nshowform=0\n", true},
        {"[Sign]\ncolor=-5\nshowform=0\n", true}, // a number, and not 2
        {"[Sign]\ncolor=2\nshowform=0\n", false},
        {"[Sign]\ncolor=abc\nshowform=0\n", false},        // not a number: the default, triple
        {"[Sign]\nshowform=0\ncolor=2\ncolor=1\n", false}, // the first of two keys
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        TForm1& main = Start(c.settings);
        EXPECT_FALSE(Colour().isVisible());
        EXPECT_TRUE(main.isEnabled());
        EXPECT_TRUE(MenusShowSingleColour(c.single));
        EXPECT_EQ(SettingsText(), c.settings);
        m_main.reset();
    }
}

TEST_F(SettingsWindowsTest, NonsenseShowformAndKeysOutsideTheSectionAreIgnored) {
    for (const char* settings : {"[Sign]\nshowform=yes\n", "showform=0\ncolor=1\n",
                                 "[Other]\nshowform=0\n", "[Sign]\nshowform=\n"}) {
        SCOPED_TRACE(settings);
        TForm1& main = Start(settings);
        EXPECT_TRUE(Colour().isVisible()); // showform's default is 1
        EXPECT_FALSE(main.isEnabled());
        EXPECT_TRUE(MenusShowSingleColour(false));
        m_main.reset();
    }
    TForm1& main = Start("[Sign]\nshowform=2\n"); // only 1 asks
    EXPECT_FALSE(Colour().isVisible());
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(SettingsWindowsTest, ShowColorSettingLoadsTheStoredChoiceModally) {
    StartQuiet();
    WriteFileBytes(settingsPath(), "[Sign]\ncolor=1\nshowform=0\n");
    Trigger("ShowColorConfig1");
    ASSERT_TRUE(Colour().isVisible());
    EXPECT_EQ(Colour().windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(In<QRadioButton>(Colour(), "rb01").isChecked());
    EXPECT_FALSE(In<QCheckBox>(Colour(), "CheckBox1").isChecked());
    In<QRadioButton>(Colour(), "rb02").setChecked(true);
    In<QPushButton>(Colour(), "Button2").click(); // Cancel: nothing written, nothing applied
    EXPECT_FALSE(Colour().isVisible());
    EXPECT_EQ(SettingsText(), "[Sign]\ncolor=1\nshowform=0\n");
    EXPECT_TRUE(MenusShowSingleColour(false)); // as applied at start

    Trigger("ShowColorConfig1");
    EXPECT_TRUE(In<QRadioButton>(Colour(), "rb01").isChecked()); // loaded afresh
    In<QRadioButton>(Colour(), "rb02").setChecked(true);
    In<QCheckBox>(Colour(), "CheckBox1").setChecked(true);
    In<QPushButton>(Colour(), "Button1").click();
    EXPECT_EQ(SettingsText(), "[Sign]\ncolor=2\nshowform=1\n");
    EXPECT_TRUE(MenusShowSingleColour(false));
}

TEST_F(SettingsWindowsTest, AnUnwritableSettingsFileKeepsTheDialogOpen) {
    TForm1& main = Start(nullptr);
    ASSERT_TRUE(QDir(m_home.path()).mkdir(QStringLiteral("lumivo.INI")));
    In<QRadioButton>(Colour(), "rb01").setChecked(true);
    In<QPushButton>(Colour(), "Button1").click();
    const QString expected =
        QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(settingsPath());
    EXPECT_EQ(m_prompts.texts(), QStringList{expected});
    EXPECT_EQ(m_prompts.boxes().back().request.kind, MessageKind::Error);
    EXPECT_TRUE(Colour().isVisible());
    EXPECT_FALSE(main.isEnabled());
    EXPECT_TRUE(MenusShowSingleColour(false)); // not applied
    Colour().reject();
    EXPECT_TRUE(main.isEnabled());

    m_prompts.clear();
    Trigger("SetCommu");
    In<QComboBox>(Com(), "ComboBox1").setCurrentIndex(4);
    In<QPushButton>(Com(), "OK").click();
    EXPECT_EQ(m_prompts.texts(), QStringList{expected});
    EXPECT_TRUE(Com().isVisible());
    EXPECT_EQ(main.comPort(), 5); // taken in memory before the write failed
    Com().reject();
}

TEST_F(SettingsWindowsTest, SetComShowsItsPanelAndStoresThePort) {
    TForm1& main = Start("[Sign]\nshowform=0\ncomport=3\n");
    EXPECT_EQ(main.comPort(), 3);
    TSetCom& com = Com();
    auto& list = In<QComboBox>(com, "ComboBox1");
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) {
        entries.append(list.itemText(i));
    }
    EXPECT_EQ(entries,
              (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                           QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"),
                           QStringLiteral("COM7"), QStringLiteral("COM8")}));
    EXPECT_EQ(list.currentText(), QStringLiteral("COM3"));

    Trigger("SetCommu");
    EXPECT_TRUE(com.isVisible());
    EXPECT_EQ(com.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(com.windowTitle(), QStringLiteral("Set COM"));
    EXPECT_TRUE(In<QWidget>(com, "ComPanel").isVisible());
    EXPECT_FALSE(In<QWidget>(com, "displayPanel").isVisible());

    // Typed keys are swallowed; the list is chosen from.
    QTest::keyClicks(&list, QStringLiteral("C7"));
    EXPECT_EQ(list.currentText(), QStringLiteral("COM3"));
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentText(), QStringLiteral("COM4"));

    list.setCurrentIndex(6);
    In<QPushButton>(com, "OK").click();
    EXPECT_FALSE(com.isVisible());
    EXPECT_EQ(main.comPort(), 7);
    EXPECT_EQ(SettingsText(), "[Sign]\nshowform=0\ncomport=7\n");
}

TEST_F(SettingsWindowsTest, ComPortSettingsOutOfRange) {
    struct Case {
        const char* settings;
        int port;
        int index;
    } cases[] = {
        {"[Sign]\nshowform=0\ncomport=0\n", 1, 0},    {"[Sign]\nshowform=0\ncomport=-5\n", 1, 0},
        {"[Sign]\nshowform=0\ncomport=abc\n", 1, 0},  {"[Sign]\nshowform=0\ncomport=8\n", 8, 7},
        {"[Sign]\nshowform=0\ncomport=12\n", 12, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        TForm1& main = Start(c.settings);
        EXPECT_EQ(main.comPort(), c.port);
        EXPECT_EQ(In<QComboBox>(Com(), "ComboBox1").currentIndex(), c.index);
        m_main.reset();
    }
    // Confirming the empty selection of a port above 8 stores 0, read back as 1.
    TForm1& main = Start("[Sign]\nshowform=0\ncomport=12\n");
    Trigger("SetCommu");
    In<QPushButton>(Com(), "OK").click();
    EXPECT_EQ(main.comPort(), 0);
    EXPECT_EQ(SettingsText(), "[Sign]\nshowform=0\ncomport=0\n");
    m_main.reset();
    EXPECT_EQ(Start(nullptr).comPort(), 1);
}

TEST_F(SettingsWindowsTest, TheComListShowsWhereEachPortLeads) {
    StartQuiet();
    WriteFileBytes(settingsPath(), "[Sign]\nshowform=0\n[Ports]\nCOM2=/dev/ttyUSB7\n");
    Trigger("SetCommu");
    auto& list = In<QComboBox>(Com(), "ComboBox1");
    auto& target = In<QLabel>(Com(), "ComTargetLabel");
    list.setCurrentIndex(1);
    EXPECT_TRUE(target.text().endsWith(QStringLiteral("/dev/ttyUSB7")))
        << target.text().toStdString();
    EXPECT_TRUE(target.toolTip().contains(QStringLiteral("mapped")));
    EXPECT_TRUE(list.itemData(1, Qt::ToolTipRole).toString().contains(QStringLiteral("ttyUSB7")));
#ifndef Q_OS_WIN
    list.setCurrentIndex(0);
    EXPECT_TRUE(target.text().endsWith(QStringLiteral("/dev/ttyS0")))
        << target.text().toStdString();
    EXPECT_FALSE(target.toolTip().contains(QStringLiteral("mapped")));
#endif
    Com().reject();
}

TEST_F(SettingsWindowsTest, DisplayTimeInsertsARedTagAndKeepsItsChoice) {
    TForm1& main = StartQuiet();
    TSetCom& com = Com();
    auto& list = In<QComboBox>(com, "ComboBox2");
    ASSERT_EQ(list.count(), 26);
    EXPECT_EQ(list.itemText(0), QStringLiteral("0.5Sec"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("1Sec"));
    EXPECT_EQ(list.itemText(25), QStringLiteral("25Sec"));
    EXPECT_EQ(list.currentIndex(), 0);

    Type(line1(), QStringLiteral("ab"));
    Trigger("DisplayTime1");
    EXPECT_TRUE(com.isVisible());
    EXPECT_EQ(com.windowTitle(), QStringLiteral("Display Time"));
    EXPECT_FALSE(In<QWidget>(com, "ComPanel").isVisible());
    EXPECT_TRUE(In<QWidget>(com, "displayPanel").isVisible());
    QTest::keyClicks(&list, QStringLiteral("2"));
    EXPECT_EQ(list.currentIndex(), 0);
    list.setCurrentIndex(25);
    In<QPushButton>(com, "DisplayTimebtn").click();
    EXPECT_FALSE(com.isVisible());
    EXPECT_EQ(Text(), "ab<25Sec>");
    EXPECT_TRUE(Coloured(line1().styledContent(), 2, 9, kRed));
    Type(line1(), QStringLiteral("c"));
    EXPECT_TRUE(Coloured(line1().styledContent(), 9, 10, kBlack));

    Trigger("DisplayTime1");
    EXPECT_EQ(list.currentText(), QStringLiteral("25Sec"));
    list.setCurrentIndex(0);
    In<QPushButton>(com, "DisplayTimebtn").click();
    EXPECT_EQ(Text(), "ab<25Sec>c<0.5Sec>");
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("18"));
}

} // namespace
} // namespace lumivo::ui::test

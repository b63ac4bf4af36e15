// The sign command dialog, offscreen, against a scripted sign line.

#include "core/compiler.h"
#include "core/frame.h"
#include "core/graphic.h"
#include "dialogs/sign_command_dialog.h"
#include "link/port_factory.h"
#include "support/dialogs_test_support.h"
#include "support/fake_print_job.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTime>
#include <QTimer>

#include <cstring>

#include <memory>

using namespace lumivo;
using namespace lumivo::test;
using ui::MessageKind;

namespace {

const std::string kBegin = "<ID01><BE>05<E>";
const std::string kEnd = "<ID01><BF>06<E>";

// A pixel row of `width` letters cycling through the four dot states.
std::string Row(int width, int shift) {
    static const char kLetters[] = {'A', 'D', 'E', '@'};
    std::string row;
    for (int x = 0; x < width; ++x) {
        row += kLetters[(x + shift) % 4];
    }
    return row;
}

class SetIdDialogTest : public ::testing::Test {
protected:
    link::FakeLine line;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    QTemporaryDir graphics;
    std::string text = "Hello";
    QWidget mainWindow;
    QStringList statusMessages; // what the main window's status bar was told
    std::unique_ptr<ui::TSetID> dialog;

    void SetUp() override { dialog = makeDialog(ConnectionTo(line)); }

    std::unique_ptr<ui::TSetID> makeDialog(link::SignConnection connection) {
        ui::SignCommandContext context;
        context.connection = std::move(connection);
        context.lineText = [this] { return text; };
        context.graphicsFolder = [this] {
            return std::filesystem::path(graphics.path().toStdString());
        };
        context.boxParent = &mainWindow;
        context.reportStatus = [this](const QString& message) { statusMessages.append(message); };
        return std::make_unique<ui::TSetID>(std::move(context));
    }

    template <typename T> T* find(const char* name) {
        T* child = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    QLineEdit* timeField() { return find<QLineEdit>("MaskEdit1"); }

    // Presses a button and waits for the command it started.
    void press(const char* name) {
        QPushButton* ok = button(name);
        ASSERT_TRUE(ok->isEnabled()) << name;
        QTest::mouseClick(ok, Qt::LeftButton);
        ASSERT_TRUE(WaitForCommand(dialog.get())) << name << " started nothing";
    }

    QStringList visiblePanels() const {
        QStringList shown;
        for (const char* name : {"IDPanel", "ClockPanel", "RunPagePanel", "SendMessagePanel",
                                 "SetBrightPanel", "SendViaNetPanel"}) {
            if (dialog->findChild<QWidget*>(QString::fromLatin1(name))->isVisible()) {
                shown.append(QString::fromLatin1(name));
            }
        }
        return shown;
    }

    void writeGraphic(int number, const std::vector<std::string>& rows) {
        ASSERT_TRUE(
            WriteGraphicFile(GraphicPath(graphics.path().toStdString(), GraphicName(number)), rows)
                .ok());
    }

    std::string pageStream(char page) {
        FolderGraphicSource source(graphics.path().toStdString());
        Result<Page> built = BuildPage(text, 0, page, "01", source);
        EXPECT_TRUE(built.ok());
        return built.ok() ? built->stream : std::string();
    }

    bool lastBoxIs(MessageKind kind, const char* boxText, QMessageBox::StandardButtons buttons) {
        if (boxes.boxes().empty()) {
            return false;
        }
        const ui::BoxRequest& box = boxes.boxes().back().request;
        return box.kind == kind && box.text == QString::fromLatin1(boxText) &&
               box.buttons == buttons;
    }
};

// --- panels and lists

TEST_F(SetIdDialogTest, EachCommandShowsOnlyItsPanelModallyWithCaptionAndFocus) {
    struct Case {
        void (ui::TSetID::*open)();
        const char* panel;
        const char* caption;
        const char* focus;
    };
    const Case cases[] = {
        {&ui::TSetID::openSetId, "IDPanel", "Set SignID", "OK"},
        {&ui::TSetID::openSetClock, "ClockPanel", "Set Clock", "DateTimeOK"},
        {&ui::TSetID::openRunPage, "RunPagePanel", "Run Page", "RunPageButton"},
        {&ui::TSetID::openSendMessage, "SendMessagePanel", "Send Message", "SendMessButton"},
        {&ui::TSetID::openSetBrightness, "SetBrightPanel", "Set Brightness", "BrightOk"},
        {&ui::TSetID::openSendViaNetwork, "SendViaNetPanel", "Set ID&Page to Sent Via Network",
         "ComboBox9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        ((*dialog).*c.open)();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(visiblePanels(), QStringList{QString::fromLatin1(c.panel)});
        EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(c.caption));
        QWidget* focus = dialog->focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->objectName(), QString::fromLatin1(c.focus));
        dialog->reject();
        EXPECT_FALSE(dialog->isVisible());
    }
    dialog->HidePanels();
    EXPECT_TRUE(visiblePanels().isEmpty());
}

TEST_F(SetIdDialogTest, ListsHoldTheirFixedEntriesAndIgnoreTyping) {
    dialog->openSendMessage(); // the dialog makes its controls when it is first shown
    const QStringList newIds = Items(combo("ComboBox1"));
    ASSERT_EQ(newIds.size(), 255);
    EXPECT_EQ(newIds.first(), QStringLiteral("01"));
    EXPECT_EQ(newIds.at(9), QStringLiteral("0A"));
    EXPECT_EQ(newIds.last(), QStringLiteral("FF"));
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox5", "ComboBox7", "ComboBox9"}) {
        const QStringList ids = Items(combo(name));
        ASSERT_EQ(ids.size(), 256) << name;
        EXPECT_EQ(ids.first(), QStringLiteral("00")) << name;
        EXPECT_EQ(ids.at(171), QStringLiteral("AB")) << name;
    }
    for (const char* name : {"ComboBox4", "ComboBox6", "ComboBox10"}) {
        const QStringList pages = Items(combo(name));
        ASSERT_EQ(pages.size(), 26) << name;
        EXPECT_EQ(pages.first() + pages.last(), QStringLiteral("AZ")) << name;
    }
    EXPECT_EQ(Items(combo("ComboBox8")),
              (QStringList{QStringLiteral("100%"), QStringLiteral("75%"), QStringLiteral("50%"),
                           QStringLiteral("25%")}));
    for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox4", "ComboBox8", "ComboBox10"}) {
        EXPECT_EQ(combo(name)->currentIndex(), 0) << name;
        EXPECT_FALSE(combo(name)->isEditable()) << name;
    }

    // Typing a letter or a digit into a list chooses nothing; the arrow keys still do.
    dialog->openRunPage();
    QComboBox* pages = combo("ComboBox4");
    QTest::keyClicks(pages, QStringLiteral("q"));
    EXPECT_EQ(pages->currentText(), QStringLiteral("A"));
    QTest::keyClick(pages, Qt::Key_Down);
    EXPECT_EQ(pages->currentText(), QStringLiteral("B"));
    QComboBox* ids = combo("ComboBox3");
    QTest::keyClicks(ids, QStringLiteral("F"));
    EXPECT_EQ(ids->currentText(), QStringLiteral("00"));

    auto* date = find<QDateEdit>("DateTimePicker1");
    EXPECT_EQ(date->date(), QDate::currentDate());
    EXPECT_TRUE(date->calendarPopup());
}

// --- Set ID

TEST_F(SetIdDialogTest, SetIdAsksFirstThenSendsTheNewIdAndJudgesItsEcho) {
    dialog->openSetId();
    ChooseText(combo("ComboBox1"), QStringLiteral("FF"));

    // "No" ends the command before the port is touched.
    boxes.setNextAnswer(QMessageBox::No);
    QTest::mouseClick(button("OK"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("         Confirm to reset the ID ?         ")});
    EXPECT_EQ(boxes.boxes().back().request.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(line.openCount(), 0);

    // The sign echoes the two digits of its new ID.
    line.setResponder([](const std::string& frame) {
        return frame == "<ID><FF><E>" ? std::string("FF") : std::string();
    });
    boxes.setNextAnswer(QMessageBox::Yes);
    press("OK");
    EXPECT_EQ(line.written(), "<ID><FF><E>");
    EXPECT_TRUE(lastBoxIs(MessageKind::Information, "    Set ID OK    ", QMessageBox::Yes));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(line.isOpen());

    // A wrong echo is an error.
    ChooseText(combo("ComboBox1"), QStringLiteral("05"));
    boxes.setNextAnswer(QMessageBox::Yes);
    press("OK");
    EXPECT_EQ(line.frames().back(), "<ID><05><E>");
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "    Set ID Error    ", QMessageBox::Ok));
    EXPECT_TRUE(button("OK")->isEnabled());
}

// --- Set Clock, Run Page, Set Brightness

TEST_F(SetIdDialogTest, SetClockSendsTheDateOfThePickerAndTheTimeAsTyped) {
    dialog->openSetClock();
    ChooseText(combo("ComboBox2"), QStringLiteral("01"));
    find<QDateEdit>("DateTimePicker1")->setDate(QDate(2026, 12, 7));
    TypeTime(timeField(), "140509");
    press("DateTimeOK");
    EXPECT_EQ(line.frames(), std::vector<std::string>{"<ID01><SC>26021207140509"
                                                      "19<E>"});
    EXPECT_TRUE(lastBoxIs(MessageKind::Information, " Set Date&Time OK ", QMessageBox::Yes));

    // Every sign at once: no reply is read.
    ChooseText(combo("ComboBox2"), QStringLiteral("00"));
    const std::size_t before = line.events().size();
    press("DateTimeOK");
    EXPECT_TRUE(
        lastBoxIs(MessageKind::Information, " Setting Date&Time is Over", QMessageBox::Yes));
    const std::vector<std::string> events = line.events();
    for (std::size_t i = before; i < events.size(); ++i) {
        EXPECT_NE(events[i].rfind("read", 0), 0u) << events[i];
        EXPECT_NE(events[i], "timeout");
    }

    // A silent sign.
    ChooseText(combo("ComboBox2"), QStringLiteral("01"));
    line.setDefaultReply("");
    press("DateTimeOK");
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "   Set Date&Time Error   ", QMessageBox::Ok));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SetIdDialogTest, SetClockWithBlankDigitsIsRefusedBeforeThePortOpens) {
    dialog->openSetClock();
    ChooseText(combo("ComboBox2"), QStringLiteral("01"));
    TypeTime(timeField(), "14 5");
    ASSERT_EQ(timeField()->displayText(), QStringLiteral("14:_5:__"));
    press("DateTimeOK");
    EXPECT_EQ(line.openCount(), 0);
    EXPECT_TRUE(lastBoxIs(MessageKind::Error,
                          " The time has blank digits: enter it in full as hh:nn:ss ",
                          QMessageBox::Yes));
    EXPECT_TRUE(button("DateTimeOK")->isEnabled());
}

TEST_F(SetIdDialogTest, RunPageReportsEachEndAndAFailureResetsTheProgressBar) {
    dialog->openRunPage();
    ChooseText(combo("ComboBox3"), QStringLiteral("01"));
    ChooseText(combo("ComboBox4"), QStringLiteral("C"));
    press("RunPageButton");
    EXPECT_EQ(line.frames().back(), "<ID01><RPC>43<E>");
    EXPECT_TRUE(lastBoxIs(MessageKind::Information, "   Run page Error OK   ", QMessageBox::Yes));

    find<QProgressBar>("ProgressBar1")->setValue(40);
    line.queueReply("NACK");
    press("RunPageButton");
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "  Run page Error  ", QMessageBox::Ok));
    EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), 0);

    ChooseText(combo("ComboBox3"), QStringLiteral("00"));
    press("RunPageButton");
    EXPECT_TRUE(
        lastBoxIs(MessageKind::Information, "   Running page is Over   ", QMessageBox::Yes));
    EXPECT_EQ(line.frames().back(), "<ID00><RPC>43<E>");
}

TEST_F(SetIdDialogTest, BrightnessSendsTheLevelLetterOfTheList) {
    dialog->openSetBrightness();
    ChooseText(combo("ComboBox7"), QStringLiteral("0A"));
    ChooseText(combo("ComboBox8"), QStringLiteral("25%"));
    press("BrightOk");
    EXPECT_EQ(line.frames().back(), "<ID0A><BD>04<E>");
    EXPECT_TRUE(lastBoxIs(MessageKind::Information, "  Set Brightness OK  ", QMessageBox::Yes));

    ChooseText(combo("ComboBox8"), QStringLiteral("100%"));
    line.setDefaultReply("");
    press("BrightOk");
    EXPECT_EQ(line.frames().back(), BuildFrame("<BA>", "0A"));
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "  Set Brightness Error  ", QMessageBox::Ok));

    ChooseText(combo("ComboBox7"), QStringLiteral("00"));
    press("BrightOk");
    EXPECT_TRUE(
        lastBoxIs(MessageKind::Information, "  Setting Brightness is Over  ", QMessageBox::Yes));
}

TEST_F(SetIdDialogTest, APortThatWillNotOpenIsReportedAndTheDialogStaysOpen) {
    line.setOpenFails();
    dialog->openSetClock();
    TypeTime(timeField(), "101010");
    const std::pair<void (ui::TSetID::*)(), const char*> commands[] = {
        {&ui::TSetID::openSetClock, "DateTimeOK"},
        {&ui::TSetID::openRunPage, "RunPageButton"},
        {&ui::TSetID::openSetBrightness, "BrightOk"},
    };
    for (const auto& [open, ok] : commands) {
        SCOPED_TRACE(ok);
        ((*dialog).*open)();
        press(ok);
        EXPECT_TRUE(lastBoxIs(MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(button(ok)->isEnabled());
    }
    dialog->openSetId();
    boxes.setNextAnswer(QMessageBox::Yes);
    press("OK");
    EXPECT_TRUE(lastBoxIs(MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
    EXPECT_TRUE(line.written().empty());
}

TEST_F(SetIdDialogTest, AnOpenComErrorNamesTheDeviceAndTheSystemsReason) {
    for (const char* target : {"/dev/lumivo-no-such-device", "tcp://127.0.0.1:1", "tcp://x"}) {
        SCOPED_TRACE(target);
        link::SignConnection connection = ConnectionTo(line);
        connection.portOpener = [target] {
            return link::OpenerForTarget(QString::fromLatin1(target));
        };
        dialog = makeDialog(std::move(connection));
        dialog->openRunPage();
        press("RunPageButton");
        ASSERT_TRUE(lastBoxIs(MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
        const QString details = boxes.boxes().back().request.details;
        EXPECT_TRUE(details.contains(QString::fromLatin1(target))) << details.toStdString();
        // The reason follows the device and says something.
        EXPECT_GT(details.size() - details.indexOf(QString::fromLatin1(target)),
                  static_cast<qsizetype>(std::strlen(target)) + 3)
            << details.toStdString();
    }
    // A line that fails without saying why adds nothing.
    dialog = makeDialog(ConnectionTo(line));
    line.setOpenFails();
    dialog->openRunPage();
    press("RunPageButton");
    EXPECT_TRUE(boxes.boxes().back().request.details.isEmpty());
}

TEST_F(SetIdDialogTest, EnterPressesTheFocusedButtonAndTheButtonOfThePanelsLists) {
    dialog->setPrinterChooser([](QWidget*, std::function<void(const QString&)>) {});
    dialog->openSendMessage(); // the dialog makes its controls when it is first shown
    const struct {
        void (ui::TSetID::*open)();
        const char* button;
        const char* list;
    } panels[] = {
        {&ui::TSetID::openSetId, "OK", "ComboBox1"},
        {&ui::TSetID::openSetClock, "DateTimeOK", "ComboBox2"},
        {&ui::TSetID::openRunPage, "RunPageButton", "ComboBox3"},
        {&ui::TSetID::openSendMessage, "SendMessButton", "ComboBox5"},
        {&ui::TSetID::openSetBrightness, "BrightOk", "ComboBox7"},
        {&ui::TSetID::openSendViaNetwork, "SendViaNetOK", "ComboBox9"},
    };
    for (const auto& panel : panels) {
        SCOPED_TRACE(panel.button);
        QSignalSpy pressed(button(panel.button), &QPushButton::clicked);
        for (QWidget* target : {static_cast<QWidget*>(button(panel.button)),
                                static_cast<QWidget*>(combo(panel.list))}) {
            boxes.setNextAnswer(QMessageBox::No); // Set ID asks first
            ((*dialog).*panel.open)();
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            if (dialog->isRunning()) {
                ASSERT_TRUE(WaitForCommand(dialog.get()));
            }
        }
        EXPECT_EQ(pressed.count(), 2);
    }
}

TEST_F(SetIdDialogTest, ASuccessfulSendSaysInTheStatusBarWhatWasSentAndWhen) {
    std::vector<std::string> rows(8, Row(40, 0));
    writeGraphic(2, rows);
    writeGraphic(5, rows);
    const struct {
        std::string line;
        const char* id;
        const char* page;
        const char* said;
    } cases[] = {
        {"Hello", "01", "B", "Page B sent to sign 01"},
        {"<Pic:G02>x<Pic:G02>", "1F", "C", "Page C sent to sign 1F with 1 graphic"},
        {"<Pic:G05><Pic:G02>", "01", "A", "Page A sent to sign 01 with 2 graphics"},
        {"Hello", "00", "Z", "Page Z sent to every sign (ID 00)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        statusMessages.clear();
        text = c.line;
        dialog->openSendMessage();
        ChooseText(combo("ComboBox5"), QString::fromLatin1(c.id));
        ChooseText(combo("ComboBox6"), QString::fromLatin1(c.page));
        press("SendMessButton");
        ASSERT_TRUE(boxes.boxes().empty()) << boxes.texts().join(u'|').toStdString();
        ASSERT_EQ(statusMessages.size(), 1);
        const QString message = statusMessages.constFirst();
        EXPECT_TRUE(message.startsWith(QString::fromLatin1(c.said) + QStringLiteral(", ")))
            << message.toStdString();
        EXPECT_TRUE(QTime::fromString(message.right(5), QStringLiteral("HH:mm")).isValid())
            << message.toStdString();
    }
    // A failed send says nothing there: its box does.
    statusMessages.clear();
    line.queueReplies({"ACK", "NAK"});
    dialog->openSendMessage();
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    press("SendMessButton");
    EXPECT_TRUE(statusMessages.isEmpty());
}

TEST_F(SetIdDialogTest, TheButtonWaitsWhileItsCommandRuns) {
    // Real pauses keep the send on the line long enough to look at the window meanwhile.
    dialog = makeDialog(ConnectionTo(line, true));
    dialog->openSendMessage();
    QPushButton* send = button("SendMessButton");
    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_TRUE(dialog->isRunning());
    EXPECT_FALSE(send->isEnabled());
    // A second click does nothing while the first send runs.
    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand(dialog.get()));
    EXPECT_EQ(line.openCount(), 1);
    EXPECT_TRUE(send->isEnabled());
    EXPECT_FALSE(line.isOpen());
}

// --- Send Message

TEST_F(SetIdDialogTest, AnEmptyLineIsNotSentAndTheDialogStaysOpen) {
    text.clear();
    dialog->openSendMessage();
    QTest::mouseClick(button("SendMessButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_TRUE(lastBoxIs(MessageKind::Information, " No Message To Send ", QMessageBox::Yes));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(line.openCount(), 0);
}

TEST_F(SetIdDialogTest, ASuccessfulSendShowsNoBoxAndClosesTheDialog) {
    // A page of more than a few bytes, so the bar has steps to take.
    text = "<Red>Hello, sign! " + std::string(40, 'x');
    dialog->openSendMessage();
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    ChooseText(combo("ComboBox6"), QStringLiteral("Q"));
    auto* bar = find<QProgressBar>("ProgressBar1");
    int highest = 0;
    int maximum = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        highest = std::max(highest, value);
        maximum = bar->maximum();
    });
    press("SendMessButton");

    const std::string page = pageStream('Q');
    EXPECT_EQ(line.frames(), (std::vector<std::string>{kBegin, page, kEnd}));
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 100, 200}));
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(maximum, static_cast<int>(page.size() / 2));
    EXPECT_EQ(highest, static_cast<int>(page.size() / 2));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(line.isOpen());
}

TEST_F(SetIdDialogTest, AnUnacknowledgedPageIsAnErrorThatClosesTheDialog) {
    dialog->openSendMessage();
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    line.queueReplies({"ACK", "NAK"});
    press("SendMessButton");
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "   Send Message Error   ", QMessageBox::Ok));
    ASSERT_EQ(line.frames().size(), 2u); // no "<BF>"
    EXPECT_EQ(line.frames().front(), kBegin);
    EXPECT_EQ(find<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(button("SendMessButton")->isEnabled());
}

TEST_F(SetIdDialogTest, GraphicsGoAfterThePageOncePerGraphicUnderTheirLetter) {
    std::vector<std::string> rows;
    for (int y = 0; y < 8; ++y) {
        rows.push_back(Row(40, y));
    }
    writeGraphic(2, rows);
    text = "<Pic:G02>x<Pic:G02>";
    dialog->openSendMessage();
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    press("SendMessButton");

    FolderGraphicSource source(graphics.path().toStdString());
    Result<Graphic> g02 = source.load("G02");
    ASSERT_TRUE(g02.ok());
    std::vector<std::string> expected{kBegin, pageStream('A')};
    for (Bytes& block : GraphicBlockFrames('B', *g02, "01")) {
        expected.push_back(block);
    }
    expected.push_back(kEnd);
    ASSERT_EQ(expected.size(), 5u); // 40 dots wide: blocks 1 and 2
    EXPECT_EQ(line.frames(), expected);
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 100, 250, 250, 200}));
    EXPECT_TRUE(boxes.boxes().empty());

    // A block that is not acknowledged ends the send before "<BF>".
    dialog->openSendMessage();
    line.queueReplies({"ACK", "ACK", "NAK"});
    const std::size_t before = line.frames().size();
    press("SendMessButton");
    EXPECT_TRUE(lastBoxIs(MessageKind::Plain, "   Send Graphic Error   ", QMessageBox::Ok));
    EXPECT_EQ(line.frames().size() - before, 3u);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SetIdDialogTest, AGraphicThatCannotBeReadIsNamedAndNothingIsSent) {
    text = "Look <Pic:G05>";
    dialog->openSendMessage();
    press("SendMessButton");
    EXPECT_EQ(line.openCount(), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().back().request.kind, MessageKind::Error);
    EXPECT_TRUE(boxes.texts().back().contains(QStringLiteral("G05")))
        << boxes.texts().back().toStdString();
}

TEST_F(SetIdDialogTest, APortThatWillNotOpenEndsTheSendAndClosesTheDialog) {
    line.setOpenFails();
    dialog->openSendMessage();
    press("SendMessButton");
    EXPECT_TRUE(lastBoxIs(MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SetIdDialogTest, ClosingTheDialogDuringATransferLeavesNoPortOpen) {
    // A silent sign with real pauses: the send is still on its way when the user closes.
    line.setDefaultReply("");
    dialog = makeDialog(ConnectionTo(line, true));
    dialog->openSendMessage();
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    QTest::mouseClick(button("SendMessButton"), Qt::LeftButton);
    ASSERT_TRUE(dialog->isRunning());
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());

    // The failure comes while the dialog is closed: its box goes to the main window.
    ASSERT_TRUE(WaitForCommand(dialog.get()));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().back().parent, &mainWindow);
    EXPECT_EQ(boxes.texts().back(), QStringLiteral("   Send Message Error   "));
    EXPECT_FALSE(line.isOpen());

    // Destroying the dialog in the middle of a send waits for the worker, which closes the port.
    dialog->SendMessButtonClick();
    ASSERT_TRUE(dialog->isRunning());
    dialog.reset();
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.openCount(), 2);
    EXPECT_EQ(line.closeCount(), 2);
}

// --- the clock field

TEST_F(SetIdDialogTest, TheClockFieldKeepsItsSeparatorsAndEightCharacters) {
    dialog->openSetClock();
    QLineEdit* field = timeField();
    EXPECT_EQ(field->maxLength(), 8);
    TypeTime(field, "");
    EXPECT_EQ(field->displayText(), QStringLiteral("__:__:__"));
    TypeTime(field, "1234567");
    EXPECT_EQ(field->displayText(), QStringLiteral("12:34:56"));
    // A ":" typed where a digit goes changes nothing.
    TypeTime(field, "");
    QTest::keyClicks(field, QStringLiteral("::"));
    EXPECT_EQ(field->displayText(), QStringLiteral("__:__:__"));
}

TEST_F(SetIdDialogTest, TheClockTicksOverMinuteHourAndDayKeepingTheSelection) {
    dialog->openSetClock();
    QLineEdit* field = timeField();
    const std::pair<const char*, const char*> ticks[] = {
        {"235959", "00:00:00"}, {"125959", "13:00:00"}, {"095909", "09:59:10"},
        {"095959", "10:00:00"}, {"000000", "00:00:01"},
    };
    for (const auto& [typed, next] : ticks) {
        TypeTime(field, typed);
        dialog->Timer1Timer();
        EXPECT_EQ(field->displayText(), QString::fromLatin1(next)) << typed;
    }

    // The user's selection (here the minutes, selected from right to left) survives a tick.
    TypeTime(field, "081500");
    field->setSelection(5, -2);
    dialog->Timer1Timer();
    EXPECT_EQ(field->displayText(), QStringLiteral("08:15:01"));
    EXPECT_EQ(field->selectionStart(), 3);
    EXPECT_EQ(field->selectedText(), QStringLiteral("15"));
    EXPECT_EQ(field->cursorPosition(), 3);

    // A time that is not valid stays as it is (typing cannot make 24 or 61, but a field set by
    // the program can hold them).
    TypeTime(field, "2 ");
    dialog->Timer1Timer();
    EXPECT_EQ(field->displayText(), QStringLiteral("2_:__:__"));
    for (const char* text : {"24:00:00", "12:61:00", "12:00:60"}) {
        field->setText(QString::fromLatin1(text));
        dialog->Timer1Timer();
        EXPECT_EQ(field->displayText(), QString::fromLatin1(text));
    }
}

TEST_F(SetIdDialogTest, TheClockTimerStartsWithTheFirstSetClockAndRuns) {
    auto* timer = dialog->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    dialog->openSetClock();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    // The field opens at the current time and moves on by itself.
    const QTime shown = QTime::fromString(timeField()->displayText(), QStringLiteral("HH:mm:ss"));
    ASSERT_TRUE(shown.isValid());
    EXPECT_LE(std::abs(shown.secsTo(QTime::currentTime())), 2);
    const QString first = timeField()->displayText();
    EXPECT_TRUE(QTest::qWaitFor([&] { return timeField()->displayText() != first; }, 2500));
    // It keeps running while the dialog is closed.
    dialog->reject();
    EXPECT_TRUE(timer->isActive());
}

TEST_F(SetIdDialogTest, KeysThatMakeAnImpossibleTimeAreCorrected) {
    dialog->openSetClock();
    QLineEdit* field = timeField();
    TypeTime(field, "9");
    EXPECT_EQ(field->displayText(), QStringLiteral("2_:__:__"));
    TypeTime(field, "29");
    EXPECT_EQ(field->displayText(), QStringLiteral("23:__:__"));
    TypeTime(field, "127");
    EXPECT_EQ(field->displayText(), QStringLiteral("12:5_:__"));
    TypeTime(field, "12348");
    EXPECT_EQ(field->displayText(), QStringLiteral("12:34:5_"));
    TypeTime(field, "195969");
    EXPECT_EQ(field->displayText(), QStringLiteral("19:59:59"));
    // Blank positions are never filled by a correction.
    TypeTime(field, " 9");
    EXPECT_EQ(field->displayText(), QStringLiteral("_9:__:__"));
}

// --- Send via Network (the print path with a recorded job)

class SharedJob final : public link::PrintJob {
public:
    explicit SharedJob(std::shared_ptr<link::FakePrintJob> job) : m_job(std::move(job)) {}
    bool openPrinter(const std::string& name) override { return m_job->openPrinter(name); }
    bool startDocument(std::string_view name) override { return m_job->startDocument(name); }
    bool startPage() override { return m_job->startPage(); }
    bool write(std::string_view bytes) override { return m_job->write(bytes); }
    bool endPage() override { return m_job->endPage(); }
    bool endDocument() override { return m_job->endDocument(); }
    void closePrinter() override { m_job->closePrinter(); }

private:
    std::shared_ptr<link::FakePrintJob> m_job;
};

TEST_F(SetIdDialogTest, SendViaNetworkWritesThePageAndBlocksIntoTheChosenQueue) {
    std::vector<std::string> rows;
    for (int y = 0; y < 7; ++y) {
        rows.push_back(Row(32, y));
    }
    writeGraphic(1, rows);
    text = "<Pic:G01> Hi";
    auto job = std::make_shared<link::FakePrintJob>();
    int jobsMade = 0;
    dialog->setPrintJobMaker([&] {
        ++jobsMade;
        return std::make_unique<SharedJob>(job);
    });
    QWidget* chooserParent = nullptr;
    bool answer = true;
    dialog->setPrinterChooser([&](QWidget* parent, std::function<void(const QString&)> chosen) {
        chooserParent = parent;
        EXPECT_FALSE(dialog->isVisible()); // the panel closed before the print dialog
        if (answer) {
            chosen(QStringLiteral("SignQueue"));
        }
    });

    // A cancelled print dialog ends the command.
    dialog->openSendViaNetwork();
    answer = false;
    QTest::mouseClick(button("SendViaNetOK"), Qt::LeftButton);
    EXPECT_EQ(chooserParent, &mainWindow);
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_EQ(jobsMade, 0);

    dialog->openSendViaNetwork();
    ChooseText(combo("ComboBox9"), QStringLiteral("2A"));
    ChooseText(combo("ComboBox10"), QStringLiteral("Q"));
    answer = true;
    QTest::mouseClick(button("SendViaNetOK"), Qt::LeftButton);
    EXPECT_FALSE(button("SendViaNetOK")->isEnabled());
    ASSERT_TRUE(WaitForCommand(dialog.get()));
    EXPECT_EQ(jobsMade, 1);
    EXPECT_TRUE(boxes.boxes().empty());

    FolderGraphicSource source(graphics.path().toStdString());
    Result<Page> page = BuildPage(text, 0, 'Q', "2A", source);
    ASSERT_TRUE(page.ok());
    Result<Graphic> g01 = source.load("G01");
    ASSERT_TRUE(g01.ok());
    std::vector<Bytes> expected{page->stream};
    for (Bytes& block : GraphicBlockFrames('A', *g01, "2A")) {
        expected.push_back(block);
    }
    EXPECT_EQ(job->writes(), expected);
    EXPECT_EQ(job->events(),
              (std::vector<std::string>{"open SignQueue", "startDocument Lumivotxt", "startPage",
                                        "write 1", "write 2", "endPage", "endDocument", "close"}));
    // No bracket and no sign line: only the pauses after each write.
    EXPECT_EQ(line.openCount(), 0);
    EXPECT_EQ(line.pauses(), (std::vector<int>{260, 260}));
    EXPECT_TRUE(button("SendViaNetOK")->isEnabled());

    // Closing the panel any other way asks for no printer.
    dialog->openSendViaNetwork();
    chooserParent = nullptr;
    dialog->reject();
    EXPECT_EQ(chooserParent, nullptr);
}

} // namespace

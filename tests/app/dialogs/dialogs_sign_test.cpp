// The sign command dialog and Link Pages against the virtual sign on a pseudo-terminal, reached
// the way the editor reaches a sign: through the COM port setting, mapped to the sign's device.

#include "core/graphic.h"
#include "dialogs/link_pages_dialog.h"
#include "dialogs/sign_command_dialog.h"
#include "support/dialogs_test_support.h"
#include "support/virtual_sign_program.h"

#include <QDateEdit>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using namespace lumivo;
using namespace lumivo::test;
using ui::MessageKind;

namespace {

class DialogsSignTest : public ::testing::Test {
protected:
    QTemporaryDir home; // the program folder: Graphdata lives here
    RecordingHost host;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    std::unique_ptr<QWidget> setIdWindow;
    std::unique_ptr<QWidget> linkWindow;

    void SetUp() override {
        qputenv("LUMIVO_HOME", home.path().toLocal8Bit());
        host.comPortSetting = 4;
        setIdWindow = ui::TSetID::create(host);
        linkWindow = ui::TLinkpagefrm::create(host);
    }
    void TearDown() override { qunsetenv("LUMIVO_HOME"); }

    ui::TSetID& dialog() { return static_cast<ui::TSetID&>(*setIdWindow); }
    template <typename T> T* find(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QComboBox* combo(const char* name) { return find<QComboBox>(setIdWindow.get(), name); }

    void press(QWidget* window, const char* name) {
        QTest::mouseClick(find<QPushButton>(window, name), Qt::LeftButton);
        ASSERT_TRUE(WaitForCommand(window)) << name;
    }
    QString lastBox() const { return boxes.texts().isEmpty() ? QString() : boxes.texts().back(); }
};

std::vector<QJsonObject> OfEvent(const QList<QJsonObject>& events, const char* kind) {
    std::vector<QJsonObject> found;
    for (const QJsonObject& event : events) {
        if (Field(event, "event") == QString::fromLatin1(kind)) {
            found.push_back(event);
        }
    }
    return found;
}

TEST_F(DialogsSignTest, TheFourCommandsReachTheSignAndChangeIt) {
    VirtualSign sign({QStringLiteral("--id"), QStringLiteral("01")});
    ASSERT_TRUE(sign.started());

    ASSERT_TRUE(host.choose("SetBrightness1"));
    ChooseText(combo("ComboBox7"), QStringLiteral("01"));
    ChooseText(combo("ComboBox8"), QStringLiteral("25%"));
    press(setIdWindow.get(), "BrightOk");
    EXPECT_EQ(lastBox(), QStringLiteral("  Set Brightness OK  "));

    ASSERT_TRUE(host.choose("RunPage1"));
    ChooseText(combo("ComboBox3"), QStringLiteral("01"));
    ChooseText(combo("ComboBox4"), QStringLiteral("K"));
    press(setIdWindow.get(), "RunPageButton");
    EXPECT_EQ(lastBox(), QStringLiteral("   Run page Error OK   "));

    ASSERT_TRUE(host.choose("SetClock1"));
    ChooseText(combo("ComboBox2"), QStringLiteral("01"));
    find<QDateEdit>(setIdWindow.get(), "DateTimePicker1")->setDate(QDate(2026, 12, 7));
    TypeTime(find<QLineEdit>(setIdWindow.get(), "MaskEdit1"), "140509");
    press(setIdWindow.get(), "DateTimeOK");
    EXPECT_EQ(lastBox(), QStringLiteral(" Set Date&Time OK "));

    ASSERT_TRUE(host.choose("SetID1"));
    ChooseText(combo("ComboBox1"), QStringLiteral("3C"));
    boxes.setNextAnswer(QMessageBox::Yes);
    press(setIdWindow.get(), "OK");
    EXPECT_EQ(lastBox(), QStringLiteral("    Set ID OK    "));

    const QJsonObject state = sign.state();
    EXPECT_EQ(state.value(QStringLiteral("id")).toString(), QStringLiteral("3C"));
    EXPECT_EQ(state.value(QStringLiteral("brightness")).toString(), QStringLiteral("D"));
    EXPECT_EQ(state.value(QStringLiteral("running_page")).toString(), QStringLiteral("K"));
    EXPECT_TRUE(state.value(QStringLiteral("clock")).toString().contains(QStringLiteral("14")))
        << QJsonDocument(state).toJson().toStdString();

    const QList<QJsonObject> events = sign.stopAndReadLog();
    QStringList frames;
    for (const QJsonObject& event : events) {
        frames.append(Field(event, "event") == QStringLiteral("frame") ? LoggedFrame(event)
                                                                       : Field(event, "payload"));
    }
    EXPECT_EQ(frames,
              (QStringList{QStringLiteral("<ID01><BD>04<E>"), QStringLiteral("<ID01><RPK>4B<E>"),
                           QStringLiteral("<ID01><SC>26021207140509") + QStringLiteral("19<E>"),
                           QStringLiteral("<ID><3C><E>")}));
}

TEST_F(DialogsSignTest, SendMessageStoresThePageAndItsGraphic) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    const std::filesystem::path folder =
        std::filesystem::path(home.path().toStdString()) / "Graphdata";
    std::filesystem::create_directories(folder);
    std::vector<std::string> rows(8, std::string(16, 'A'));
    ASSERT_TRUE(WriteGraphicFile(GraphicPath(folder, "G03"), rows).ok());
    host.line1 = "<Red>Sale <Pic:G03>";

    ASSERT_TRUE(host.choose("SendMessages1"));
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));
    ChooseText(combo("ComboBox6"), QStringLiteral("D"));
    press(setIdWindow.get(), "SendMessButton");
    EXPECT_TRUE(boxes.texts().isEmpty()) << lastBox().toStdString();
    EXPECT_FALSE(setIdWindow->isVisible());

    const QJsonObject state = sign.state();
    EXPECT_TRUE(state.value(QStringLiteral("pages")).toObject().contains(QStringLiteral("D")))
        << QJsonDocument(state).toJson().toStdString();
    const std::vector<QJsonObject> frames = OfEvent(sign.stopAndReadLog(), "frame");
    QStringList kinds;
    for (const QJsonObject& frame : frames) {
        kinds.append(Field(frame, "kind"));
        EXPECT_EQ(Field(frame, "reply"), QStringLiteral("ACK"));
        EXPECT_TRUE(frame.value(QStringLiteral("checksum_ok")).toBool());
    }
    ASSERT_EQ(frames.size(), 4u) << kinds.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(Field(frames[0], "payload"), QStringLiteral("<BE>"));
    EXPECT_TRUE(Field(frames[1], "payload").startsWith(QStringLiteral("<L1><PD>")));
    EXPECT_TRUE(Field(frames[2], "payload").startsWith(QStringLiteral("<GC1>")));
    EXPECT_EQ(Field(frames[3], "payload"), QStringLiteral("<BF>"));
}

TEST_F(DialogsSignTest, EverySignAtOnceIsOverWithoutAReply) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    ASSERT_TRUE(host.choose("SetBrightness1"));
    ChooseText(combo("ComboBox7"), QStringLiteral("00"));
    QElapsedTimer elapsed;
    elapsed.start();
    press(setIdWindow.get(), "BrightOk");
    EXPECT_EQ(lastBox(), QStringLiteral("  Setting Brightness is Over  "));
    EXPECT_LT(elapsed.elapsed(), 1000); // no reply was waited for
    // Nothing tells when the sign has taken an unanswered frame: watch its state.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return sign.state().value(QStringLiteral("brightness")).toString() ==
                   QStringLiteral("A");
        },
        3000));
    const std::vector<QJsonObject> frames = OfEvent(sign.stopAndReadLog(), "frame");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Field(frames[0], "reply"), QString());
}

TEST_F(DialogsSignTest, LinkPagesReachesTheSign) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    ASSERT_TRUE(host.choose("LinkPagesToRun1"));
    ChooseText(find<QComboBox>(linkWindow.get(), "ComboBox1"), QStringLiteral("01"));
    QTest::keyClicks(find<QLineEdit>(linkWindow.get(), "Edit1"), QStringLiteral("abc"));
    press(linkWindow.get(), "OK");
    EXPECT_EQ(lastBox(), QStringLiteral("   Link page OK   "));
    const std::vector<QJsonObject> frames = OfEvent(sign.stopAndReadLog(), "frame");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(LoggedFrame(frames[0]), QStringLiteral("<ID01><TA>00010100009912302359ABC5A<E>"));
    EXPECT_EQ(Field(frames[0], "reply"), QStringLiteral("ACK"));
}

TEST_F(DialogsSignTest, AMissingDeviceIsAnOpenComError) {
    qputenv("LUMIVO_COM4", QByteArrayLiteral("/dev/lumivo-no-such-device"));
    ASSERT_TRUE(host.choose("SetBrightness1"));
    ChooseText(combo("ComboBox7"), QStringLiteral("01"));
    press(setIdWindow.get(), "BrightOk");
    qunsetenv("LUMIVO_COM4");
    EXPECT_EQ(lastBox(), QStringLiteral(" Open Com Error "));
    EXPECT_EQ(boxes.boxes().back().request.kind, MessageKind::Error);
    EXPECT_TRUE(setIdWindow->isVisible());
}

TEST_F(DialogsSignTest, ASilentSignFailsWhileTheWindowStaysResponsive) {
    VirtualSign sign({QStringLiteral("--silent")});
    ASSERT_TRUE(sign.started());
    host.line1 = "Hello";
    ASSERT_TRUE(host.choose("SendMessages1"));
    ChooseText(combo("ComboBox5"), QStringLiteral("01"));

    // A 5 ms timer in the window's thread: the longest wait between two of its ticks shows
    // whether anything blocked the event loop during the send.
    QElapsedTimer sinceLast;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        if (ticks++ > 0) {
            longestGap = std::max(longestGap, sinceLast.elapsed());
        }
        sinceLast.restart();
    });
    beat.start();
    sinceLast.start();
    QElapsedTimer elapsed;
    elapsed.start();
    boxes.onBox = [&] { beat.stop(); }; // the box itself is the end of the measure
    press(setIdWindow.get(), "SendMessButton");
    const qint64 total = elapsed.elapsed();
    std::printf("silent sign: send took %lld ms, %d ticks of the 5 ms timer, longest gap %lld ms\n",
                static_cast<long long>(total), ticks, static_cast<long long>(longestGap));
    std::fflush(stdout);

    EXPECT_EQ(lastBox(), QStringLiteral("   Send Message Error   "));
    EXPECT_GE(total, 6000); // "<BE>" and the page each waited for their reply
    // The figure above is the measure (a few ms on an idle machine). The bounds only catch a
    // window that froze: a blocked event loop misses the whole 6 s, while a loaded machine (or
    // a sanitizer build) still ticks well inside them.
    EXPECT_GT(ticks, 100);
    EXPECT_LE(longestGap, 250);
    EXPECT_FALSE(setIdWindow->isVisible());
}

} // namespace

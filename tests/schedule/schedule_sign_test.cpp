// The schedule and deletion windows against the virtual sign on a pseudo-terminal, reached the
// way the editor reaches a sign: through the COM port setting, mapped here to the sign's device.

#include "schedule/delete_dialog.h"
#include "schedule/page_tree_view.h"
#include "schedule/schedule_add_dialog.h"
#include "schedule/schedule_window.h"
#include "schedule_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace lumivo;
using namespace lumivo::test;

namespace {

constexpr int kComPort = 4;

// One run of lumivo-sign with a log, mapped to COM4 for as long as it lives.
class VirtualSign {
public:
    explicit VirtualSign(QStringList options = {}) {
        m_log = m_folder.filePath(QStringLiteral("sign.jsonl"));
        options << QStringLiteral("--log") << m_log;
        m_process.setProgram(QStringLiteral(LUMIVO_SIGN_PATH));
        m_process.setArguments(options);
        m_process.start();
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000)) {
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        }
        qputenv("LUMIVO_COM4", m_device.toLocal8Bit());
    }
    ~VirtualSign() {
        stop();
        qunsetenv("LUMIVO_COM4");
    }

    bool started() const { return m_device.startsWith(QStringLiteral("/dev/")); }

    // Ends the sign (its log is complete afterwards) and returns the frames it logged.
    QList<QJsonObject> stopAndReadLog() {
        stop();
        QList<QJsonObject> frames;
        QFile file(m_log);
        if (file.open(QIODevice::ReadOnly)) {
            while (!file.atEnd()) {
                const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
                if (line.value(QStringLiteral("event")).toString() == QStringLiteral("frame")) {
                    frames.append(line);
                }
            }
        }
        return frames;
    }

private:
    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    QTemporaryDir m_folder;
    QString m_log;
    QString m_device;
    QProcess m_process;
};

QString Field(const QJsonObject& frame, const char* name) {
    return frame.value(QString::fromLatin1(name)).toString();
}

// The frame as it crossed the line, put back together from what the sign parsed.
QString Frame(const QJsonObject& frame) {
    return QStringLiteral("<ID") + Field(frame, "id") + QLatin1Char('>') + Field(frame, "payload") +
           Field(frame, "checksum") + QStringLiteral("<E>");
}

struct Editor {
    FakeHost host;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    std::unique_ptr<QWidget> schedule;
    std::unique_ptr<QWidget> deletion;

    Editor() {
        host.comPortSetting = kComPort;
        schedule = lumivo::schedule::TSchedule::create(host);
        deletion = lumivo::schedule::TDeletefrm::create(host);
    }

    QPushButton* button(QWidget* window, const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QComboBox* combo(QWidget* window, const char* name) {
        return window->findChild<QComboBox*>(QString::fromLatin1(name));
    }

    // "Display by Schedule...", one row of the worked example through the entry dialog.
    void addWorkedExample() {
        host.choose("SendbySchedule1");
        auto* dialog = schedule->findChild<lumivo::schedule::TScheduleAdd*>();
        QTest::mouseClick(button(schedule.get(), "Add"), Qt::LeftButton);
        TypeMasked(dialog->findChild<QLineEdit*>(QStringLiteral("MaskEdit1")),
                   QStringLiteral("12/25/26"));
        TypeMasked(dialog->findChild<QLineEdit*>(QStringLiteral("StartMaskEdit")),
                   QStringLiteral("08:00"));
        TypeMasked(dialog->findChild<QLineEdit*>(QStringLiteral("MaskEdit2")),
                   QStringLiteral("12/31/26"));
        TypeMasked(dialog->findChild<QLineEdit*>(QStringLiteral("EndMaskEdit")),
                   QStringLiteral("18:30"));
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("PageEdit")),
                         QStringLiteral("abc"));
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
    }

    void clickMark(char letter, int line) {
        auto* tree =
            deletion->findChild<lumivo::schedule::PageTreeView*>(QStringLiteral("TreeView1"));
        QTreeWidgetItem* item = tree->topLevelItem(letter - 'A');
        if (line > 0) {
            item->setExpanded(true);
            item = item->child(line - 1);
        }
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->markRect(item).center());
    }
};

} // namespace

TEST(ScheduleSign, SchedulesArriveAsTheWorkedExample) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    Editor editor;
    editor.addWorkedExample();
    ChooseSignId(editor.combo(editor.schedule.get(), "ComboBox1"), QStringLiteral("01"));
    QPushButton* send = editor.button(editor.schedule.get(), "Send");
    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_TRUE(!send->isEnabled());
    ASSERT_TRUE(WaitForCommand(editor.schedule.get()));
    ASSERT_EQ(editor.boxes.texts(), QStringList{QStringLiteral("   Send Schedule OK   ")});
    ASSERT_TRUE(send->isEnabled());

    const QList<QJsonObject> frames = sign.stopAndReadLog();
    ASSERT_EQ(frames.size(), 1);
    ASSERT_EQ(Frame(frames[0]), QStringLiteral("<ID01><TA>26122508002612311830ABC50<E>"));
    ASSERT_TRUE(frames[0].value(QStringLiteral("checksum_ok")).toBool());
    ASSERT_TRUE(frames[0].value(QStringLiteral("applied")).toBool());
    ASSERT_EQ(Field(frames[0], "reply"), QStringLiteral("ACK"));
}

TEST(ScheduleSign, DeletesOnlyTheMarkedLinesPageAToZ) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    Editor editor;
    ASSERT_TRUE(editor.host.choose("DeletePage1"));
    editor.clickMark('D', 2);
    ChooseSignId(editor.combo(editor.deletion.get(), "ComboBox2"), QStringLiteral("01"));
    QTest::mouseClick(editor.button(editor.deletion.get(), "DelPageOK"), Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand(editor.deletion.get()));
    ASSERT_EQ(editor.boxes.texts().back(), QStringLiteral("   Delete page OK   "));

    // Z clicked before A: A still goes first.
    editor.clickMark('D', 2);
    editor.clickMark('Z', 1);
    editor.clickMark('A', 0);
    QTest::mouseClick(editor.button(editor.deletion.get(), "DelPageOK"), Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand(editor.deletion.get()));
    ASSERT_EQ(editor.boxes.texts().back(), QStringLiteral("   Delete page OK   "));

    QStringList payloads;
    const QList<QJsonObject> frames = sign.stopAndReadLog();
    for (const QJsonObject& frame : frames) {
        payloads.append(Field(frame, "payload"));
        ASSERT_EQ(Field(frame, "reply"), QStringLiteral("ACK"));
    }
    ASSERT_EQ(payloads, (QStringList{QStringLiteral("<DL2PD>"), QStringLiteral("<DL1PA>"),
                                     QStringLiteral("<DL2PA>"), QStringLiteral("<DL1PZ>")}));
    ASSERT_EQ(Frame(frames[0]), QStringLiteral("<ID01><DL2PD>2C<E>"));
}

TEST(ScheduleSign, DeleteAllForEverySignIsOver) {
    VirtualSign sign;
    ASSERT_TRUE(sign.started());
    Editor editor;
    ASSERT_TRUE(editor.host.choose("DeleteAll1"));
    QTest::mouseClick(editor.button(editor.deletion.get(), "DeleteOk"), Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand(editor.deletion.get()));
    ASSERT_EQ(editor.boxes.texts(), QStringList{QStringLiteral("   Deleting All is Over   ")});
    ASSERT_TRUE(editor.boxes.boxes().back().request.kind == ui::MessageKind::Information);

    const QList<QJsonObject> frames = sign.stopAndReadLog();
    ASSERT_EQ(frames.size(), 1);
    ASSERT_EQ(Frame(frames[0]), QStringLiteral("<ID00><D*>6C<E>"));
    ASSERT_TRUE(frames[0].value(QStringLiteral("applied")).toBool());
    ASSERT_EQ(Field(frames[0], "reply"), QString());
}

TEST(ScheduleSign, SilentSignFailsTheSendAndLeavesSendEnabled) {
    VirtualSign sign({QStringLiteral("--silent")});
    ASSERT_TRUE(sign.started());
    Editor editor;
    editor.addWorkedExample();
    editor.addWorkedExample();
    ChooseSignId(editor.combo(editor.schedule.get(), "ComboBox1"), QStringLiteral("01"));
    QPushButton* send = editor.button(editor.schedule.get(), "Send");
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_TRUE(!send->isEnabled());
    ASSERT_TRUE(WaitForCommand(editor.schedule.get()));
    // Three reads of 1100 ms each found nothing.
    ASSERT_TRUE(elapsed.elapsed() >= 3000) << QByteArray::number(elapsed.elapsed()).constData();
    ASSERT_EQ(editor.boxes.texts(), QStringList{QStringLiteral("  Send Schedule Error  ")});
    ASSERT_TRUE(editor.boxes.boxes().back().request.kind == ui::MessageKind::Plain);
    ASSERT_TRUE(send->isEnabled());

    // The second row was never sent.
    const QList<QJsonObject> frames = sign.stopAndReadLog();
    ASSERT_EQ(frames.size(), 1);
    ASSERT_EQ(Field(frames[0], "payload").left(4), QStringLiteral("<TA>"));
}

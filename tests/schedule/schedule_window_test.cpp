// The Schedule window and its entry dialog, offscreen, against a scripted sign line.

#include "schedule/delete_dialog.h"
#include "schedule/schedule_add_dialog.h"
#include "schedule/schedule_window.h"
#include "schedule_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

using namespace lumivo;
using namespace lumivo::test;
using lumivo::ui::MessageKind;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(9, 4, 33));

// One Schedule window on one fake line, with every box answered at once.
struct Bench {
    link::FakeLine line;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    lumivo::schedule::TSchedule window{nullptr, ConnectionTo(line), kNow};
    lumivo::schedule::TScheduleAdd* dialog = window.entryDialog();

    Bench() { window.showSchedule(); }

    template <typename T> T* find(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QLineEdit* edit(const char* name) {
        return dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QTreeWidget* list() { return find<QTreeWidget>("ListView1"); }

    // Add... , fill the dialog, OK.
    void add(const QString& startDate, const QString& startTime, const QString& endDate,
             const QString& endTime, const QString& pages) {
        QTest::mouseClick(button("Add"), Qt::LeftButton);
        TypeMasked(edit("MaskEdit1"), startDate);
        TypeMasked(edit("StartMaskEdit"), startTime);
        TypeMasked(edit("MaskEdit2"), endDate);
        TypeMasked(edit("EndMaskEdit"), endTime);
        QLineEdit* page = edit("PageEdit");
        page->clear();
        QTest::keyClicks(page, pages);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    }

    QStringList row(int index) {
        QStringList texts;
        QTreeWidgetItem* item = list()->topLevelItem(index);
        for (int column = 0; item != nullptr && column < 4; ++column) {
            texts.append(item->text(column));
        }
        return texts;
    }

    void select(int index) {
        QTreeWidget* view = list();
        const QRect cell = view->visualItemRect(view->topLevelItem(index));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    void send(const QString& signId) {
        ChooseSignId(find<QComboBox>("ComboBox1"), signId);
        QTest::mouseClick(button("Send"), Qt::LeftButton);
    }
};

bool IsBox(const ui::ScriptedPrompter::ShownBox& box, MessageKind kind, const char* text,
           QMessageBox::StandardButtons buttons) {
    return box.request.kind == kind && box.request.text == QString::fromLatin1(text) &&
           box.request.buttons == buttons;
}

} // namespace

class ScheduleWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowAndDialogAsCreated();
    void signIdListIgnoresTyping();
    void addKeepsTheFieldsAsTypedAndUpperCasesPages();
    void timeFieldsAreCorrectedAfterEveryKey();
    void dateChecksAndTheLimitKeepTheDialogOpen();
    void modifyAndDelete();
    void sendsTheWorkedExampleAndReportsOk();
    void broadcastSendsEveryRowAndIsOver();
    void unansweredFrameStopsTheSend();
    void portThatWillNotOpen();
    void startUpFactoriesBindTheMenuItems();
    void pageFieldFiltersTypedCharactersOnly();
    void enterPressesTheFocusedButton();
};

void ScheduleWindowTest::windowAndDialogAsCreated() {
    Bench b;
    QCOMPARE(b.window.windowTitle(), QStringLiteral("Schedule"));
    QTreeWidget* list = b.list();
    QVERIFY(list != nullptr);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("NO."));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Start DateTime"));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("End DateTime"));
    QCOMPARE(list->headerItem()->text(3), QStringLiteral("Page"));
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(b.window.focusWidget(), b.button("Send"));
    bool signLabel = false;
    for (const QLabel* label : b.window.findChildren<QLabel*>()) {
        signLabel = signLabel || (label->text() == QStringLiteral("Sign ID: ") &&
                                  label->buddy() == b.find<QComboBox>("ComboBox1"));
    }
    QVERIFY(signLabel);

    // The dialog starts at the clock's time and date, in add mode, without min/max buttons.
    QCOMPARE(b.dialog->windowTitle(), QStringLiteral("Schedule-Add"));
    QVERIFY(b.dialog->isAddMode());
    QVERIFY(!(b.dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
    const schedule::EntryFields fields = b.dialog->fields();
    QCOMPARE(fields.startDate, std::string("12/07/26"));
    QCOMPARE(fields.endDate, std::string("12/07/26"));
    QCOMPARE(fields.startTime, std::string("09:04"));
    QCOMPARE(fields.endTime, std::string("09:04"));
    QCOMPARE(fields.pages, std::string());
    QCOMPARE(b.edit("PageEdit")->maxLength(), 26);
}

void ScheduleWindowTest::signIdListIgnoresTyping() {
    Bench b;
    auto* combo = b.find<QComboBox>("ComboBox1");
    QCOMPARE(combo->count(), 256);
    QCOMPARE(combo->itemText(0), QStringLiteral("00"));
    QCOMPARE(combo->itemText(0x1A), QStringLiteral("1A"));
    QCOMPARE(combo->itemText(255), QStringLiteral("FF"));
    QCOMPARE(combo->currentText(), QStringLiteral("00"));
    QVERIFY(!combo->isEditable());
    QTest::keyClicks(combo, QStringLiteral("F1"));
    QCOMPARE(combo->currentText(), QStringLiteral("00"));
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), QStringLiteral("01"));
}

void ScheduleWindowTest::addKeepsTheFieldsAsTypedAndUpperCasesPages() {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("ab1 c-DE"));
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.row(0), (QStringList{QStringLiteral("1"), QStringLiteral("12/25/26 08:00"),
                                    QStringLiteral("12/31/26 18:30"), QStringLiteral("ABCDE")}));

    // Blank positions stay blank: in the edit they show "_", in the list they are spaces.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QVERIFY(b.dialog->isVisible());
    QVERIFY(b.dialog->isModal());
    TypeMasked(b.edit("MaskEdit1"), QStringLiteral("01/3 /  "));
    QCOMPARE(b.edit("MaskEdit1")->displayText(), QStringLiteral("01/3_/__"));
    TypeMasked(b.edit("StartMaskEdit"), QStringLiteral(" 8: 5"));
    b.edit("PageEdit")->clear();
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(b.row(1), (QStringList{QStringLiteral("2"), QStringLiteral("01/3 /    8: 5"),
                                    QStringLiteral("12/31/26 18:30"), QString()}));
    QVERIFY(b.boxes.boxes().empty());

    // Modify brings the blanks back into the edits as empty positions.
    b.select(1);
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    QCOMPARE(b.edit("MaskEdit1")->displayText(), QStringLiteral("01/3_/__"));
    QCOMPARE(b.edit("StartMaskEdit")->displayText(), QStringLiteral("_8:_5"));
    QCOMPARE(b.dialog->fields().startTime, std::string(" 8: 5"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(b.row(1).at(1), QStringLiteral("01/3 /    8: 5"));

    // Cancel changes nothing.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 2);
}

void ScheduleWindowTest::timeFieldsAreCorrectedAfterEveryKey() {
    Bench b;
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QLineEdit* start = b.edit("StartMaskEdit");
    QLineEdit* end = b.edit("EndMaskEdit");
    TypeMasked(start, QStringLiteral("35:10"));
    QCOMPARE(start->displayText(), QStringLiteral("23:10"));
    TypeMasked(end, QStringLiteral("12:75"));
    QCOMPARE(end->displayText(), QStringLiteral("12:55"));
    TypeMasked(end, QStringLiteral("19:59"));
    QCOMPARE(end->displayText(), QStringLiteral("19:59"));
    TypeMasked(end, QStringLiteral(" 9:9 "));
    QCOMPARE(end->displayText(), QStringLiteral("_9:5_"));
    // Only the time fields are corrected.
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("39/79/99"));
    QCOMPARE(b.edit("MaskEdit2")->displayText(), QStringLiteral("39/79/99"));
}

void ScheduleWindowTest::dateChecksAndTheLimitKeepTheDialogOpen() {
    Bench b;
    QPushButton* ok = b.dialog->findChild<QPushButton*>(QStringLiteral("OK"));
    b.add(QStringLiteral("13/01/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("A"));
    QVERIFY(b.dialog->isVisible());
    TypeMasked(b.edit("MaskEdit1"), QStringLiteral("12/01/26"));
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("01/4 /27"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 0);
    QCOMPARE(b.boxes.boxes().size(), std::size_t(2));
    for (const auto& box : b.boxes.boxes()) {
        QVERIFY(IsBox(box, MessageKind::Plain, "Date is out of Range", QMessageBox::Ok));
    }
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("01/3 /27"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 1);

    for (int n = 2; n <= 5; ++n) {
        b.add(QStringLiteral("  /  /  "), QStringLiteral("00:00"), QStringLiteral("00/00/00"),
              QStringLiteral("23:59"), QString(QChar(u'a' + n)));
    }
    QCOMPARE(b.list()->topLevelItemCount(), 5);
    QCOMPARE(b.row(4).constFirst(), QStringLiteral("5"));
    QCOMPARE(b.boxes.boxes().size(), std::size_t(2));

    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("Z"));
    QVERIFY(b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 5);
    QCOMPARE(b.boxes.boxes().size(), std::size_t(3));
    QVERIFY(IsBox(b.boxes.boxes().back(), MessageKind::Information, " Max only items 5 ",
                  QMessageBox::Yes));
}

void ScheduleWindowTest::modifyAndDelete() {
    Bench b;
    // Without a selection Modify complains and Delete does nothing at all.
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    QCOMPARE(b.boxes.texts(), QStringList{QStringLiteral("First, Select one item")});
    QVERIFY(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "First, Select one item",
                  QMessageBox::Ok));
    QVERIFY(!b.dialog->isVisible());

    for (const char* pages : {"A", "B", "C", "D"}) {
        b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
              QStringLiteral("18:30"), QString::fromLatin1(pages));
    }
    b.list()->clearSelection();
    QTest::mouseClick(b.button("Delete"), Qt::LeftButton);
    QCOMPARE(b.list()->topLevelItemCount(), 4);
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));

    // Modify the third row: the dialog shows it, OK replaces it, the number stays.
    b.select(2);
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    QVERIFY(b.dialog->isVisible());
    QCOMPARE(b.dialog->windowTitle(), QStringLiteral("Schedule-Modify"));
    QCOMPARE(b.window.modifyPosition(), 2);
    QCOMPARE(b.edit("PageEdit")->text(), QStringLiteral("C"));
    QCOMPARE(b.edit("MaskEdit2")->displayText(), QStringLiteral("12/31/26"));
    TypeMasked(b.edit("StartMaskEdit"), QStringLiteral("07:15"));
    b.edit("PageEdit")->clear();
    QTest::keyClicks(b.edit("PageEdit"), QStringLiteral("xy"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 4);
    QCOMPARE(b.row(2), (QStringList{QStringLiteral("3"), QStringLiteral("12/25/26 07:15"),
                                    QStringLiteral("12/31/26 18:30"), QStringLiteral("XY")}));

    // Add after Modify: add mode with the fields Modify left.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QCOMPARE(b.dialog->windowTitle(), QStringLiteral("Schedule-Add"));
    QCOMPARE(b.edit("PageEdit")->text(), QStringLiteral("xy"));
    QCOMPARE(b.edit("StartMaskEdit")->displayText(), QStringLiteral("07:15"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);

    // Delete row 2 of 4: at once, renumbered, later rows one slot up.
    b.select(1);
    QTest::mouseClick(b.button("Delete"), Qt::LeftButton);
    QCOMPARE(b.list()->topLevelItemCount(), 3);
    QStringList numbers, pages;
    for (int row = 0; row < 3; ++row) {
        numbers.append(b.row(row).at(0));
        pages.append(b.row(row).at(3));
    }
    QCOMPARE(numbers, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    QCOMPARE(pages, (QStringList{QStringLiteral("A"), QStringLiteral("XY"), QStringLiteral("D")}));
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));

    b.send(QStringLiteral("00"));
    QVERIFY(WaitForCommand(&b.window));
    QCOMPARE(b.line.frames(), (std::vector<std::string>{
                                  "<ID00><TA>26122508002612311830A51<E>",
                                  "<ID00><TB>26122507152612311830XY19<E>",
                                  "<ID00><TC>26122508002612311830D56<E>",
                              }));
}

void ScheduleWindowTest::sendsTheWorkedExampleAndReportsOk() {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("ABC"));
    QPushButton* send = b.button("Send");
    bool enabledAtBox = false;
    b.boxes.onBox = [&] { enabledAtBox = send->isEnabled(); };
    b.send(QStringLiteral("01"));
    QVERIFY(!send->isEnabled());
    QVERIFY(b.window.isSending());
    QVERIFY(WaitForCommand(&b.window));
    QVERIFY(send->isEnabled());
    QVERIFY(!enabledAtBox); // the success box comes before "Send" is usable again

    QCOMPARE(b.line.frames(), std::vector<std::string>{"<ID01><TA>26122508002612311830ABC50<E>"});
    QCOMPARE(b.line.written().size(), std::size_t(38));
    QCOMPARE(b.line.pauses(), std::vector<int>{70});
    QCOMPARE(b.line.openCount(), 1);
    QCOMPARE(b.line.closeCount(), 1);
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));
    QVERIFY(IsBox(b.boxes.boxes().back(), MessageKind::Information, "   Send Schedule OK   ",
                  QMessageBox::Yes));
    // Sending leaves the list as it was.
    QCOMPARE(b.list()->topLevelItemCount(), 1);

    // An empty list still opens and closes the port and reports.
    Bench empty;
    empty.send(QStringLiteral("01"));
    QVERIFY(WaitForCommand(&empty.window));
    QVERIFY(empty.line.frames().empty());
    QCOMPARE(empty.line.openCount(), 1);
    QCOMPARE(empty.line.closeCount(), 1);
    QCOMPARE(empty.boxes.texts(), QStringList{QStringLiteral("   Send Schedule OK   ")});
}

void ScheduleWindowTest::broadcastSendsEveryRowAndIsOver() {
    Bench b;
    for (int n = 0; n < 5; ++n) {
        b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
              QStringLiteral("18:30"), QString(QChar(u'a' + n)));
    }
    b.send(QStringLiteral("00"));
    QVERIFY(WaitForCommand(&b.window));
    const std::vector<std::string> frames = b.line.frames();
    QCOMPARE(frames.size(), std::size_t(5));
    for (int n = 0; n < 5; ++n) {
        const std::string slot = std::string("<ID00><T") + char('A' + n) + ">";
        QVERIFY2(frames[n].rfind(slot, 0) == 0, frames[n].c_str());
    }
    QCOMPARE(b.line.pauses(), (std::vector<int>{70, 70, 70, 70, 70}));
    for (const std::string& event : b.line.events()) {
        QVERIFY2(event.rfind("read", 0) != 0 && event != "timeout", event.c_str());
    }
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));
    QVERIFY(IsBox(b.boxes.boxes().back(), MessageKind::Information,
                  "   Sending Schedule is Over   ", QMessageBox::Yes));
}

void ScheduleWindowTest::unansweredFrameStopsTheSend() {
    Bench b;
    for (const char* pages : {"A", "B", "C"}) {
        b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
              QStringLiteral("18:30"), QString::fromLatin1(pages));
    }
    b.line.queueReplies({"ACK", "NACK"});
    QPushButton* send = b.button("Send");
    bool enabledAtBox = false;
    b.boxes.onBox = [&] { enabledAtBox = send->isEnabled(); };
    b.send(QStringLiteral("01"));
    QVERIFY(WaitForCommand(&b.window));
    QCOMPARE(b.line.frames().size(), std::size_t(2));
    QCOMPARE(b.line.pauses(), std::vector<int>{70});
    QCOMPARE(b.line.closeCount(), 1);
    QVERIFY(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "  Send Schedule Error  ",
                  QMessageBox::Ok));
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));
    QVERIFY(enabledAtBox);
    QVERIFY(send->isEnabled());

    // The next press starts over from row 1.
    b.boxes.onBox = {};
    b.send(QStringLiteral("01"));
    QVERIFY(WaitForCommand(&b.window));
    QCOMPARE(b.line.frames().size(), std::size_t(5));
    QVERIFY(b.line.frames()[2].rfind("<ID01><TA>", 0) == 0);
    QCOMPARE(b.boxes.texts().back(), QStringLiteral("   Send Schedule OK   "));
}

void ScheduleWindowTest::portThatWillNotOpen() {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("A"));
    b.line.setOpenFails();
    b.send(QStringLiteral("01"));
    QVERIFY(WaitForCommand(&b.window));
    QVERIFY(b.line.written().empty());
    QCOMPARE(b.boxes.boxes().size(), std::size_t(1));
    QVERIFY(
        IsBox(b.boxes.boxes().back(), MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
    QVERIFY(b.button("Send")->isEnabled());
}

void ScheduleWindowTest::startUpFactoriesBindTheMenuItems() {
    FakeHost host;
    host.comPort = 7;
    // The COM port setting is asked when a command starts: COM7 leads nowhere.
    qputenv("LUMIVO_COM7", "/nonexistent/lumivo-test-port");
    ProbePrompter boxes;
    ui::PrompterScope scope(boxes);

    std::unique_ptr<QWidget> schedule = lumivo::schedule::TSchedule::Create(host);
    std::unique_ptr<QWidget> deletion = lumivo::schedule::TDeletefrm::Create(host);
    QStringList bound;
    for (const auto& [name, handler] : host.commands) {
        bound.append(name);
    }
    QCOMPARE(bound,
             (QStringList{QStringLiteral("DeleteAll1"), QStringLiteral("DeletePage1"),
                          QStringLiteral("DeleteSchedule1"), QStringLiteral("SendbySchedule1")}));

    // "Display by Schedule..." shows the window, and brings it back from minimised.
    QVERIFY(host.choose("SendbySchedule1"));
    QVERIFY(schedule->isVisible());
    QVERIFY(!schedule->isModal());
    schedule->setWindowState(Qt::WindowMinimized);
    QVERIFY(host.choose("SendbySchedule1"));
    QVERIFY(!(schedule->windowState() & Qt::WindowMinimized));

    QVERIFY(host.choose("DeletePage1"));
    QCOMPARE(deletion->windowTitle(), QStringLiteral("Delete page"));
    QVERIFY(deletion->isVisible() && deletion->isModal());
    QVERIFY(deletion->findChild<QWidget*>(QStringLiteral("DelPagePanel"))->isVisible());
    QVERIFY(host.choose("DeleteSchedule1"));
    QCOMPARE(deletion->windowTitle(), QStringLiteral("Delete Schedule"));
    QVERIFY(host.choose("DeleteAll1"));
    QCOMPARE(deletion->windowTitle(), QStringLiteral("Delete All"));

    QTest::mouseClick(deletion->findChild<QPushButton*>(QStringLiteral("DeleteOk")),
                      Qt::LeftButton);
    QVERIFY(WaitForCommand(deletion.get()));
    QCOMPARE(boxes.texts(), QStringList{QStringLiteral(" Open Com Error ")});
    qunsetenv("LUMIVO_COM7");
}

QTEST_MAIN(ScheduleWindowTest)
void ScheduleWindowTest::pageFieldFiltersTypedCharactersOnly() {
    Bench b;
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QLineEdit* page = b.edit("PageEdit");
    page->clear();
    page->setFocus();
    // Typed and pasted text alike keeps its letters only.
    const struct {
        const char* typed;
        const char* pasted;
        const char* field;
    } cases[] = {
        {"a1 B-c", nullptr, "aBc"},
        {nullptr, "xy2", "aBc"},
        {nullptr, "De", "aBcDe"},
    };
    for (const auto& c : cases) {
        if (c.typed != nullptr) {
            QTest::keyClicks(page, QString::fromLatin1(c.typed));
        } else {
            QApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
            page->end(false);
            QTest::keySequence(page, QKeySequence::Paste);
        }
        QCOMPARE(page->text(), QString::fromLatin1(c.field));
    }

    // Tab, Enter and Escape do their work from the field.
    QTest::keyClick(page, Qt::Key_Tab);
    QVERIFY(b.dialog->focusWidget() != page);
    QTest::keyClick(page, Qt::Key_Return);
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 1);
    QCOMPARE(b.row(0).at(3), QStringLiteral("ABCDE"));
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QVERIFY(b.dialog->isVisible());
    QTest::keyClick(page, Qt::Key_Escape);
    QVERIFY(!b.dialog->isVisible());
    QCOMPARE(b.list()->topLevelItemCount(), 1);
}

void ScheduleWindowTest::enterPressesTheFocusedButton() {
    Bench b;
    for (const char* name : {"Add", "Modify", "Delete", "Send"}) {
        QPushButton* button = b.button(name);
        QSignalSpy pressed(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QVERIFY2(pressed.count() == 1, name);
        b.dialog->hide();
        if (b.window.isSending()) {
            QVERIFY(WaitForCommand(&b.window));
        }
    }
}

#include "schedule_window_test.moc"

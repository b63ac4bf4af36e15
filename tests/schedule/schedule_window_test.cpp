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

TEST(ScheduleWindow, WindowAndDialogAsCreated) {
    Bench b;
    ASSERT_EQ(b.window.windowTitle(), QStringLiteral("Schedule"));
    QTreeWidget* list = b.list();
    ASSERT_TRUE(list != nullptr);
    ASSERT_EQ(list->headerItem()->text(0), QStringLiteral("NO."));
    ASSERT_EQ(list->headerItem()->text(1), QStringLiteral("Start DateTime"));
    ASSERT_EQ(list->headerItem()->text(2), QStringLiteral("End DateTime"));
    ASSERT_EQ(list->headerItem()->text(3), QStringLiteral("Page"));
    ASSERT_EQ(list->topLevelItemCount(), 0);
    ASSERT_EQ(b.window.focusWidget(), b.button("Send"));
    bool signLabel = false;
    for (const QLabel* label : b.window.findChildren<QLabel*>()) {
        signLabel = signLabel || (label->text() == QStringLiteral("Sign ID: ") &&
                                  label->buddy() == b.find<QComboBox>("ComboBox1"));
    }
    ASSERT_TRUE(signLabel);

    // The dialog starts at the clock's time and date, in add mode, without min/max buttons.
    ASSERT_EQ(b.dialog->windowTitle(), QStringLiteral("Schedule-Add"));
    ASSERT_TRUE(b.dialog->isAddMode());
    ASSERT_TRUE(!(b.dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
    const schedule::EntryFields fields = b.dialog->fields();
    ASSERT_EQ(fields.startDate, std::string("12/07/26"));
    ASSERT_EQ(fields.endDate, std::string("12/07/26"));
    ASSERT_EQ(fields.startTime, std::string("09:04"));
    ASSERT_EQ(fields.endTime, std::string("09:04"));
    ASSERT_EQ(fields.pages, std::string());
    ASSERT_EQ(b.edit("PageEdit")->maxLength(), 26);
}

TEST(ScheduleWindow, SignIdListIgnoresTyping) {
    Bench b;
    auto* combo = b.find<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 256);
    ASSERT_EQ(combo->itemText(0), QStringLiteral("00"));
    ASSERT_EQ(combo->itemText(0x1A), QStringLiteral("1A"));
    ASSERT_EQ(combo->itemText(255), QStringLiteral("FF"));
    ASSERT_EQ(combo->currentText(), QStringLiteral("00"));
    ASSERT_TRUE(!combo->isEditable());
    QTest::keyClicks(combo, QStringLiteral("F1"));
    ASSERT_EQ(combo->currentText(), QStringLiteral("00"));
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentText(), QStringLiteral("01"));
}

TEST(ScheduleWindow, AddKeepsTheFieldsAsTypedAndUpperCasesPages) {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("ab1 c-DE"));
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.row(0), (QStringList{QStringLiteral("1"), QStringLiteral("12/25/26 08:00"),
                                     QStringLiteral("12/31/26 18:30"), QStringLiteral("ABCDE")}));

    // Blank positions stay blank: in the edit they show "_", in the list they are spaces.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    ASSERT_TRUE(b.dialog->isVisible());
    ASSERT_TRUE(b.dialog->isModal());
    TypeMasked(b.edit("MaskEdit1"), QStringLiteral("01/3 /  "));
    ASSERT_EQ(b.edit("MaskEdit1")->displayText(), QStringLiteral("01/3_/__"));
    TypeMasked(b.edit("StartMaskEdit"), QStringLiteral(" 8: 5"));
    b.edit("PageEdit")->clear();
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    ASSERT_EQ(b.row(1), (QStringList{QStringLiteral("2"), QStringLiteral("01/3 /    8: 5"),
                                     QStringLiteral("12/31/26 18:30"), QString()}));
    ASSERT_TRUE(b.boxes.boxes().empty());

    // Modify brings the blanks back into the edits as empty positions.
    b.select(1);
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    ASSERT_EQ(b.edit("MaskEdit1")->displayText(), QStringLiteral("01/3_/__"));
    ASSERT_EQ(b.edit("StartMaskEdit")->displayText(), QStringLiteral("_8:_5"));
    ASSERT_EQ(b.dialog->fields().startTime, std::string(" 8: 5"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    ASSERT_EQ(b.row(1).at(1), QStringLiteral("01/3 /    8: 5"));

    // Cancel changes nothing.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 2);
}

TEST(ScheduleWindow, TimeFieldsAreCorrectedAfterEveryKey) {
    Bench b;
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    QLineEdit* start = b.edit("StartMaskEdit");
    QLineEdit* end = b.edit("EndMaskEdit");
    TypeMasked(start, QStringLiteral("35:10"));
    ASSERT_EQ(start->displayText(), QStringLiteral("23:10"));
    TypeMasked(end, QStringLiteral("12:75"));
    ASSERT_EQ(end->displayText(), QStringLiteral("12:55"));
    TypeMasked(end, QStringLiteral("19:59"));
    ASSERT_EQ(end->displayText(), QStringLiteral("19:59"));
    TypeMasked(end, QStringLiteral(" 9:9 "));
    ASSERT_EQ(end->displayText(), QStringLiteral("_9:5_"));
    // Only the time fields are corrected.
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("39/79/99"));
    ASSERT_EQ(b.edit("MaskEdit2")->displayText(), QStringLiteral("39/79/99"));
}

TEST(ScheduleWindow, DateChecksAndTheLimitKeepTheDialogOpen) {
    Bench b;
    QPushButton* ok = b.dialog->findChild<QPushButton*>(QStringLiteral("OK"));
    b.add(QStringLiteral("13/01/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("A"));
    ASSERT_TRUE(b.dialog->isVisible());
    TypeMasked(b.edit("MaskEdit1"), QStringLiteral("12/01/26"));
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("01/4 /27"));
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_TRUE(b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 0);
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(2));
    for (const auto& box : b.boxes.boxes()) {
        ASSERT_TRUE(IsBox(box, MessageKind::Plain, "Date is out of Range", QMessageBox::Ok));
    }
    TypeMasked(b.edit("MaskEdit2"), QStringLiteral("01/3 /27"));
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 1);

    for (int n = 2; n <= 5; ++n) {
        b.add(QStringLiteral("  /  /  "), QStringLiteral("00:00"), QStringLiteral("00/00/00"),
              QStringLiteral("23:59"), QString(QChar(u'a' + n)));
    }
    ASSERT_EQ(b.list()->topLevelItemCount(), 5);
    ASSERT_EQ(b.row(4).constFirst(), QStringLiteral("5"));
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(2));

    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("Z"));
    ASSERT_TRUE(b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 5);
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(3));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information, " Max only items 5 ",
                      QMessageBox::Yes));
}

TEST(ScheduleWindow, ModifyAndDelete) {
    Bench b;
    // Without a selection Modify complains and Delete does nothing at all.
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    ASSERT_EQ(b.boxes.texts(), QStringList{QStringLiteral("First, Select one item")});
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "First, Select one item",
                      QMessageBox::Ok));
    ASSERT_TRUE(!b.dialog->isVisible());

    for (const char* pages : {"A", "B", "C", "D"}) {
        b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
              QStringLiteral("18:30"), QString::fromLatin1(pages));
    }
    b.list()->clearSelection();
    QTest::mouseClick(b.button("Delete"), Qt::LeftButton);
    ASSERT_EQ(b.list()->topLevelItemCount(), 4);
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));

    // Modify the third row: the dialog shows it, OK replaces it, the number stays.
    b.select(2);
    QTest::mouseClick(b.button("Modify"), Qt::LeftButton);
    ASSERT_TRUE(b.dialog->isVisible());
    ASSERT_EQ(b.dialog->windowTitle(), QStringLiteral("Schedule-Modify"));
    ASSERT_EQ(b.window.modifyPosition(), 2);
    ASSERT_EQ(b.edit("PageEdit")->text(), QStringLiteral("C"));
    ASSERT_EQ(b.edit("MaskEdit2")->displayText(), QStringLiteral("12/31/26"));
    TypeMasked(b.edit("StartMaskEdit"), QStringLiteral("07:15"));
    b.edit("PageEdit")->clear();
    QTest::keyClicks(b.edit("PageEdit"), QStringLiteral("xy"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 4);
    ASSERT_EQ(b.row(2), (QStringList{QStringLiteral("3"), QStringLiteral("12/25/26 07:15"),
                                     QStringLiteral("12/31/26 18:30"), QStringLiteral("XY")}));

    // Add after Modify: add mode with the fields Modify left.
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    ASSERT_EQ(b.dialog->windowTitle(), QStringLiteral("Schedule-Add"));
    ASSERT_EQ(b.edit("PageEdit")->text(), QStringLiteral("xy"));
    ASSERT_EQ(b.edit("StartMaskEdit")->displayText(), QStringLiteral("07:15"));
    QTest::mouseClick(b.dialog->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);

    // Delete row 2 of 4: at once, renumbered, later rows one slot up.
    b.select(1);
    QTest::mouseClick(b.button("Delete"), Qt::LeftButton);
    ASSERT_EQ(b.list()->topLevelItemCount(), 3);
    QStringList numbers, pages;
    for (int row = 0; row < 3; ++row) {
        numbers.append(b.row(row).at(0));
        pages.append(b.row(row).at(3));
    }
    ASSERT_EQ(numbers,
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    ASSERT_EQ(pages, (QStringList{QStringLiteral("A"), QStringLiteral("XY"), QStringLiteral("D")}));
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));

    b.send(QStringLiteral("00"));
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(), (std::vector<std::string>{
                                   "<ID00><TA>26122508002612311830A51<E>",
                                   "<ID00><TB>26122507152612311830XY19<E>",
                                   "<ID00><TC>26122508002612311830D56<E>",
                               }));
}

TEST(ScheduleWindow, SendsTheWorkedExampleAndReportsOk) {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("ABC"));
    QPushButton* send = b.button("Send");
    bool enabledAtBox = false;
    b.boxes.onBox = [&] { enabledAtBox = send->isEnabled(); };
    b.send(QStringLiteral("01"));
    ASSERT_TRUE(!send->isEnabled());
    ASSERT_TRUE(b.window.isSending());
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_TRUE(send->isEnabled());
    ASSERT_TRUE(!enabledAtBox); // the success box comes before "Send" is usable again

    ASSERT_EQ(b.line.frames(), std::vector<std::string>{"<ID01><TA>26122508002612311830ABC50<E>"});
    ASSERT_EQ(b.line.written().size(), std::size_t(38));
    ASSERT_EQ(b.line.pauses(), std::vector<int>{70});
    ASSERT_EQ(b.line.openCount(), 1);
    ASSERT_EQ(b.line.closeCount(), 1);
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information, "   Send Schedule OK   ",
                      QMessageBox::Yes));
    // Sending leaves the list as it was.
    ASSERT_EQ(b.list()->topLevelItemCount(), 1);

    // An empty list still opens and closes the port and reports.
    Bench empty;
    empty.send(QStringLiteral("01"));
    ASSERT_TRUE(WaitForCommand(&empty.window));
    ASSERT_TRUE(empty.line.frames().empty());
    ASSERT_EQ(empty.line.openCount(), 1);
    ASSERT_EQ(empty.line.closeCount(), 1);
    ASSERT_EQ(empty.boxes.texts(), QStringList{QStringLiteral("   Send Schedule OK   ")});
}

TEST(ScheduleWindow, BroadcastSendsEveryRowAndIsOver) {
    Bench b;
    for (int n = 0; n < 5; ++n) {
        b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
              QStringLiteral("18:30"), QString(QChar(u'a' + n)));
    }
    b.send(QStringLiteral("00"));
    ASSERT_TRUE(WaitForCommand(&b.window));
    const std::vector<std::string> frames = b.line.frames();
    ASSERT_EQ(frames.size(), std::size_t(5));
    for (int n = 0; n < 5; ++n) {
        const std::string slot = std::string("<ID00><T") + char('A' + n) + ">";
        ASSERT_TRUE(frames[n].rfind(slot, 0) == 0) << frames[n].c_str();
    }
    ASSERT_EQ(b.line.pauses(), (std::vector<int>{70, 70, 70, 70, 70}));
    for (const std::string& event : b.line.events()) {
        ASSERT_TRUE(event.rfind("read", 0) != 0 && event != "timeout") << event.c_str();
    }
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information,
                      "   Sending Schedule is Over   ", QMessageBox::Yes));
}

TEST(ScheduleWindow, UnansweredFrameStopsTheSend) {
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
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames().size(), std::size_t(2));
    ASSERT_EQ(b.line.pauses(), std::vector<int>{70});
    ASSERT_EQ(b.line.closeCount(), 1);
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "  Send Schedule Error  ",
                      QMessageBox::Ok));
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));
    ASSERT_TRUE(enabledAtBox);
    ASSERT_TRUE(send->isEnabled());

    // The next press starts over from row 1.
    b.boxes.onBox = {};
    b.send(QStringLiteral("01"));
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames().size(), std::size_t(5));
    ASSERT_TRUE(b.line.frames()[2].rfind("<ID01><TA>", 0) == 0);
    ASSERT_EQ(b.boxes.texts().back(), QStringLiteral("   Send Schedule OK   "));
}

TEST(ScheduleWindow, PortThatWillNotOpen) {
    Bench b;
    b.add(QStringLiteral("12/25/26"), QStringLiteral("08:00"), QStringLiteral("12/31/26"),
          QStringLiteral("18:30"), QStringLiteral("A"));
    b.line.setOpenFails();
    b.send(QStringLiteral("01"));
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_TRUE(b.line.written().empty());
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));
    ASSERT_TRUE(
        IsBox(b.boxes.boxes().back(), MessageKind::Error, " Open Com Error ", QMessageBox::Yes));
    ASSERT_TRUE(b.button("Send")->isEnabled());
}

TEST(ScheduleWindow, StartUpFactoriesBindTheMenuItems) {
    FakeHost host;
    host.comPortSetting = 7;
    // The COM port setting is asked when a command starts: COM7 leads nowhere.
    qputenv("LUMIVO_COM7", "/nonexistent/lumivo-test-port");
    ProbePrompter boxes;
    ui::PrompterScope scope(boxes);

    std::unique_ptr<QWidget> schedule = lumivo::schedule::TSchedule::create(host);
    std::unique_ptr<QWidget> deletion = lumivo::schedule::TDeletefrm::create(host);
    QStringList bound;
    for (const auto& [name, handler] : host.commands) {
        bound.append(name);
    }
    ASSERT_EQ(bound,
              (QStringList{QStringLiteral("DeleteAll1"), QStringLiteral("DeletePage1"),
                           QStringLiteral("DeleteSchedule1"), QStringLiteral("SendbySchedule1")}));

    // "Display by Schedule..." shows the window, and brings it back from minimised.
    ASSERT_TRUE(host.choose("SendbySchedule1"));
    ASSERT_TRUE(schedule->isVisible());
    ASSERT_TRUE(!schedule->isModal());
    schedule->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(host.choose("SendbySchedule1"));
    ASSERT_TRUE(!(schedule->windowState() & Qt::WindowMinimized));

    ASSERT_TRUE(host.choose("DeletePage1"));
    ASSERT_EQ(deletion->windowTitle(), QStringLiteral("Delete page"));
    ASSERT_TRUE(deletion->isVisible() && deletion->isModal());
    ASSERT_TRUE(deletion->findChild<QWidget*>(QStringLiteral("DelPagePanel"))->isVisible());
    ASSERT_TRUE(host.choose("DeleteSchedule1"));
    ASSERT_EQ(deletion->windowTitle(), QStringLiteral("Delete Schedule"));
    ASSERT_TRUE(host.choose("DeleteAll1"));
    ASSERT_EQ(deletion->windowTitle(), QStringLiteral("Delete All"));

    QTest::mouseClick(deletion->findChild<QPushButton*>(QStringLiteral("DeleteOk")),
                      Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand(deletion.get()));
    ASSERT_EQ(boxes.texts(), QStringList{QStringLiteral(" Open Com Error ")});
    qunsetenv("LUMIVO_COM7");
}

TEST(ScheduleWindow, PageFieldFiltersTypedCharactersOnly) {
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
        ASSERT_EQ(page->text(), QString::fromLatin1(c.field));
    }

    // Tab, Enter and Escape do their work from the field.
    QTest::keyClick(page, Qt::Key_Tab);
    ASSERT_TRUE(b.dialog->focusWidget() != page);
    QTest::keyClick(page, Qt::Key_Return);
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 1);
    ASSERT_EQ(b.row(0).at(3), QStringLiteral("ABCDE"));
    QTest::mouseClick(b.button("Add"), Qt::LeftButton);
    ASSERT_TRUE(b.dialog->isVisible());
    QTest::keyClick(page, Qt::Key_Escape);
    ASSERT_TRUE(!b.dialog->isVisible());
    ASSERT_EQ(b.list()->topLevelItemCount(), 1);
}

TEST(ScheduleWindow, EnterPressesTheFocusedButton) {
    Bench b;
    for (const char* name : {"Add", "Modify", "Delete", "Send"}) {
        QPushButton* button = b.button(name);
        QSignalSpy pressed(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        ASSERT_TRUE(pressed.count() == 1) << name;
        b.dialog->hide();
        if (b.window.isSending()) {
            ASSERT_TRUE(WaitForCommand(&b.window));
        }
    }
}

// The deletion dialog, offscreen, against a scripted sign line.

#include "schedule/delete_dialog.h"
#include "schedule/page_tree_view.h"
#include "schedule_test_support.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

using namespace lumivo;
using namespace lumivo::test;
using lumivo::ui::MessageKind;

namespace {

// A font maker with nothing drawn.
struct NoCharacters final : ui::UserFontSource {
    std::vector<UserCharRecord> fontRecords() const override { return {}; }
    QString drawSentCharacters(const std::vector<UserCharRecord>&, bool) override { return {}; }
};

struct Bench {
    NoCharacters font;
    link::FakeLine line;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    schedule::TDeletefrm window{nullptr, ConnectionTo(line)};

    template <typename T> T* find(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    schedule::PageTreeView* tree() { return find<schedule::PageTreeView>("TreeView1"); }

    // Opens a panel the way the menu does.
    void open(void (schedule::TDeletefrm::*command)()) { (window.*command)(); }
    // The font maker's "Transfer to Sign...".
    void openTransferFont() { window.openTransferFont(font); }

    // A click on the mark of page `letter`, or of its line 1 or 2.
    void clickMark(char letter, int line = 0) {
        QTreeWidgetItem* item = tree()->topLevelItem(letter - 'A');
        if (line > 0) {
            item->setExpanded(true);
            item = item->child(line - 1);
        }
        tree()->scrollToItem(item);
        const QRect mark = tree()->markRect(item);
        ASSERT_TRUE(!mark.isEmpty());
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, mark.center());
    }

    bool marked(char letter, int line = 0) {
        QTreeWidgetItem* item = tree()->topLevelItem(letter - 'A');
        return schedule::PageTreeView::isMarked(line > 0 ? item->child(line - 1) : item);
    }

    void press(const char* comboName, const QString& signId, const char* okName) {
        ChooseSignId(find<QComboBox>(comboName), signId);
        QTest::mouseClick(button(okName), Qt::LeftButton);
    }
};

bool IsBox(const ui::ScriptedPrompter::ShownBox& box, MessageKind kind, const char* text,
           QMessageBox::StandardButtons buttons) {
    return box.request.kind == kind && box.request.text == QString::fromLatin1(text) &&
           box.request.buttons == buttons;
}

} // namespace

TEST(DeleteWindow, OnePanelAtATime) {
    Bench b;
    struct Use {
        void (schedule::TDeletefrm::*open)();
        const char* panel;
        const char* caption;
    };
    const Use uses[] = {
        {&schedule::TDeletefrm::openDeleteSchedule, "DelSchedulePanel", "Delete Schedule"},
        {&schedule::TDeletefrm::openDeletePage, "DelPagePanel", "Delete page"},
        {&schedule::TDeletefrm::openDeleteAll, "DeleteAllPanel", "Delete All"},
        {nullptr, "TransferFontPanel", "Transfer Font To Sign"},
    };
    const char* const panels[] = {"DelSchedulePanel", "DelPagePanel", "DeleteAllPanel",
                                  "TransferFontPanel"};
    const auto open = [&b](const Use& use) {
        if (use.open != nullptr) {
            b.open(use.open);
        } else {
            b.openTransferFont();
        }
    };
    for (const Use& use : uses) {
        open(use);
        ASSERT_EQ(b.window.windowTitle(), QString::fromLatin1(use.caption));
        for (const char* panel : panels) {
            QWidget* widget = b.find<QWidget>(panel);
            ASSERT_TRUE(widget != nullptr) << panel;
            ASSERT_EQ(widget->isVisible(), qstrcmp(panel, use.panel) == 0);
        }
    }
    b.open(&schedule::TDeletefrm::openDeleteAll);
    ASSERT_EQ(b.window.focusWidget(), b.button("DeleteOk"));
    ASSERT_TRUE(!(b.window.windowFlags() & Qt::WindowMinMaxButtonsHint));
    ASSERT_EQ(b.window.windowModality(), Qt::ApplicationModal);
    b.openTransferFont();
    ASSERT_EQ(b.window.windowModality(), Qt::NonModal);
    b.open(&schedule::TDeletefrm::openDeletePage);
    ASSERT_EQ(b.window.windowModality(), Qt::ApplicationModal);
    ASSERT_TRUE(b.window.isVisible());

    // Each Cancel closes the window.
    for (const char* cancel : {"ScheduleCancel", "DelPageCancel", "DeleteCancel", "Button2"}) {
        for (const Use& use : uses) {
            open(use);
            if (b.button(cancel)->isVisible()) {
                break;
            }
        }
        ASSERT_TRUE(b.window.isVisible());
        QTest::mouseClick(b.button(cancel), Qt::LeftButton);
        ASSERT_TRUE(!b.window.isVisible()) << cancel;
    }
}

TEST(DeleteWindow, FixedListsAsCreated) {
    Bench b;
    // The window makes its controls when it is first shown.
    b.open(&schedule::TDeletefrm::openDeleteSchedule);
    for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"}) {
        auto* combo = b.find<QComboBox>(name);
        ASSERT_TRUE(combo != nullptr) << name;
        ASSERT_EQ(combo->count(), 256);
        ASSERT_EQ(combo->currentText(), QStringLiteral("00"));
        ASSERT_EQ(combo->itemText(0xC3), QStringLiteral("C3"));
    }
    b.open(&schedule::TDeletefrm::openDeletePage);
    QTest::keyClicks(b.find<QComboBox>("ComboBox2"), QStringLiteral("1"));
    ASSERT_EQ(b.find<QComboBox>("ComboBox2")->currentText(), QStringLiteral("00"));

    auto* tasks = b.find<QListWidget>("CheckListBox1");
    ASSERT_EQ(tasks->count(), 5);
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(tasks->item(k)->text(), QString::number(k + 1));
        ASSERT_EQ(tasks->item(k)->checkState(), Qt::Unchecked);
    }

    schedule::PageTreeView* tree = b.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 26);
    for (int page = 0; page < 26; ++page) {
        QTreeWidgetItem* node = tree->topLevelItem(page);
        ASSERT_EQ(node->text(0), QStringLiteral("Page ") + QChar(u'A' + page));
        ASSERT_EQ(node->childCount(), 2);
        ASSERT_EQ(node->child(0)->text(0), QStringLiteral("Line 1"));
        ASSERT_EQ(node->child(1)->text(0), QStringLiteral("Line 2"));
        ASSERT_TRUE(!schedule::PageTreeView::isMarked(node));
    }

    // The font panel waits for the font maker's characters.
    QPushButton* transfer = b.button("TransFont");
    ASSERT_EQ(transfer->text(), QStringLiteral("Transfer"));
    ASSERT_TRUE(!transfer->isEnabled());
    b.openTransferFont();
    ASSERT_TRUE(transfer->isEnabled());
    auto* status = b.find<QStatusBar>("StatusBar1");
    ASSERT_TRUE(status != nullptr);
    auto* progress = b.find<QProgressBar>("ProgressBar1");
    ASSERT_TRUE(progress != nullptr && status->isAncestorOf(progress));
}

TEST(DeleteWindow, TreeMarksFollowClicksOnTheMarkOnly) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeletePage);
    schedule::PageTreeView* tree = b.tree();

    // A click on the text selects the node and leaves its mark alone.
    QTreeWidgetItem* pageC = tree->topLevelItem(2);
    const QRect text = tree->visualItemRect(pageC);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(text.right() - 4, text.center().y()));
    ASSERT_EQ(tree->currentItem(), pageC);
    ASSERT_TRUE(!b.marked('C'));

    b.clickMark('C');
    ASSERT_TRUE(b.marked('C') && b.marked('C', 1) && b.marked('C', 2));
    b.clickMark('C', 1);
    ASSERT_TRUE(b.marked('C') && !b.marked('C', 1) && b.marked('C', 2));
    b.clickMark('C', 2);
    ASSERT_TRUE(!b.marked('C') && !b.marked('C', 1) && !b.marked('C', 2));
    b.clickMark('C', 2);
    ASSERT_TRUE(b.marked('C') && !b.marked('C', 1) && b.marked('C', 2));
    b.clickMark('C');
    ASSERT_TRUE(!b.marked('C') && !b.marked('C', 1) && !b.marked('C', 2));

    // The drawn state images differ.
    const QImage off = tree->topLevelItem(0)->icon(0).pixmap(13, 13).toImage();
    b.clickMark('A');
    const QImage on = tree->topLevelItem(0)->icon(0).pixmap(13, 13).toImage();
    ASSERT_TRUE(!off.isNull() && !on.isNull());
    ASSERT_TRUE(off != on);
}

TEST(DeleteWindow, DeletesOnlyTheMarkedLineOfPageD) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeletePage);
    b.clickMark('D', 2);
    ASSERT_TRUE(b.marked('D'));
    b.press("ComboBox2", QStringLiteral("01"), "DelPageOK");
    ASSERT_TRUE(!b.button("DelPageOK")->isEnabled());
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_TRUE(b.button("DelPageOK")->isEnabled());
    ASSERT_EQ(b.line.frames(), std::vector<std::string>{"<ID01><DL2PD>2C<E>"});
    ASSERT_EQ(b.line.pauses(), std::vector<int>{50});
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(1));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information, "   Delete page OK   ",
                      QMessageBox::Yes));

    // The whole page: line 1 first. The marks are still there after a send.
    b.clickMark('D');
    ASSERT_TRUE(!b.marked('D'));
    b.clickMark('D');
    b.press("ComboBox2", QStringLiteral("01"), "DelPageOK");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(), (std::vector<std::string>{"<ID01><DL2PD>2C<E>", "<ID01><DL1PD>2F<E>",
                                                         "<ID01><DL2PD>2C<E>"}));
    ASSERT_TRUE(b.marked('D', 1) && b.marked('D', 2));
}

TEST(DeleteWindow, PagesGoAToZWhateverTheClickOrder) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeletePage);
    b.clickMark('Z');
    b.clickMark('B');
    b.clickMark('D', 1);
    b.press("ComboBox2", QStringLiteral("00"), "DelPageOK");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(), (std::vector<std::string>{
                                   "<ID00><DL1PB>29<E>",
                                   "<ID00><DL2PB>2A<E>",
                                   "<ID00><DL1PD>2F<E>",
                                   "<ID00><DL1PZ>31<E>",
                                   "<ID00><DL2PZ>32<E>",
                               }));
    ASSERT_TRUE(b.line.pauses().empty());
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information,
                      "   Deleting page is over   ", QMessageBox::Yes));
}

TEST(DeleteWindow, FailedLineDeleteStartsAgainFromPageA) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeletePage);
    b.clickMark('A');
    b.clickMark('C', 2);
    b.line.queueReplies({"ACK", "NACK"});
    QPushButton* ok = b.button("DelPageOK");
    bool enabledAtBox = true;
    b.boxes.onBox = [&] { enabledAtBox = ok->isEnabled(); };
    b.press("ComboBox2", QStringLiteral("01"), "DelPageOK");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(),
              (std::vector<std::string>{"<ID01><DL1PA>2A<E>", "<ID01><DL2PA>29<E>"}));
    ASSERT_EQ(b.line.pauses(), std::vector<int>{50});
    ASSERT_EQ(b.line.closeCount(), 1);
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "  Delete Page Error  ",
                      QMessageBox::Ok));
    ASSERT_TRUE(!enabledAtBox); // this failure shows its box before "OK" comes back
    ASSERT_TRUE(ok->isEnabled());

    b.boxes.onBox = {};
    b.press("ComboBox2", QStringLiteral("01"), "DelPageOK");
    ASSERT_TRUE(WaitForCommand(&b.window));
    const std::vector<std::string> frames = b.line.frames();
    ASSERT_EQ(std::vector<std::string>(frames.begin() + 2, frames.end()),
              (std::vector<std::string>{"<ID01><DL1PA>2A<E>", "<ID01><DL2PA>29<E>",
                                        "<ID01><DL2PC>2B<E>"}));
    ASSERT_EQ(b.boxes.texts().back(), QStringLiteral("   Delete page OK   "));
}

TEST(DeleteWindow, DeletesCheckedSchedulesAndKeepsTheChecks) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeleteSchedule);
    auto* tasks = b.find<QListWidget>("CheckListBox1");

    // Nothing checked: the port opens and closes and the box still comes.
    b.press("ComboBox1", QStringLiteral("01"), "ScheduleOk");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_TRUE(b.line.frames().empty());
    ASSERT_EQ(b.line.openCount(), 1);
    ASSERT_EQ(b.line.closeCount(), 1);
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information, "   Delete Schedule OK   ",
                      QMessageBox::Yes));

    tasks->item(3)->setCheckState(Qt::Checked);
    tasks->item(1)->setCheckState(Qt::Checked);
    b.press("ComboBox1", QStringLiteral("01"), "ScheduleOk");
    ASSERT_TRUE(!b.button("ScheduleOk")->isEnabled());
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(), (std::vector<std::string>{"<ID01><DTB>50<E>", "<ID01><DTD>56<E>"}));
    ASSERT_TRUE(b.line.pauses().empty());
    ASSERT_EQ(b.window.taskChecks(), (std::array<bool, 5>{false, true, false, true, false}));

    b.press("ComboBox1", QStringLiteral("00"), "ScheduleOk");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames().size(), std::size_t(4));
    ASSERT_TRUE(b.line.pauses().empty());
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information,
                      "   Deleting Schedule is Over   ", QMessageBox::Yes));

    b.line.setDefaultReply("");
    QPushButton* ok = b.button("ScheduleOk");
    bool enabledAtBox = false;
    b.boxes.onBox = [&] { enabledAtBox = ok->isEnabled(); };
    b.press("ComboBox1", QStringLiteral("01"), "ScheduleOk");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames().size(), std::size_t(5)); // slot D is not sent after B failed
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "  Send Message Error  ",
                      QMessageBox::Ok));
    ASSERT_TRUE(enabledAtBox);
    ASSERT_TRUE(ok->isEnabled());
}

TEST(DeleteWindow, DeleteAll) {
    Bench b;
    b.open(&schedule::TDeletefrm::openDeleteAll);
    b.press("ComboBox3", QStringLiteral("00"), "DeleteOk");
    ASSERT_TRUE(!b.button("DeleteOk")->isEnabled());
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames(), std::vector<std::string>{"<ID00><D*>6C<E>"});
    ASSERT_TRUE(!b.line.isOpen());
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information,
                      "   Deleting All is Over   ", QMessageBox::Yes));
    ASSERT_TRUE(b.button("DeleteOk")->isEnabled());

    b.press("ComboBox3", QStringLiteral("2A"), "DeleteOk");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_EQ(b.line.frames().back(), std::string("<ID2A><D*>6C<E>"));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Information, "   Delete All OK   ",
                      QMessageBox::Yes));

    b.line.queueReply("NACK");
    b.press("ComboBox3", QStringLiteral("01"), "DeleteOk");
    ASSERT_TRUE(WaitForCommand(&b.window));
    ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Plain, "    Delete All Error    ",
                      QMessageBox::Ok));
    ASSERT_TRUE(!b.line.isOpen());
    ASSERT_TRUE(b.button("DeleteOk")->isEnabled());
}

TEST(DeleteWindow, PortThatWillNotOpen) {
    Bench b;
    b.line.setOpenFails();
    const struct {
        void (schedule::TDeletefrm::*open)();
        const char* ok;
    } uses[] = {{&schedule::TDeletefrm::openDeleteSchedule, "ScheduleOk"},
                {&schedule::TDeletefrm::openDeletePage, "DelPageOK"},
                {&schedule::TDeletefrm::openDeleteAll, "DeleteOk"}};
    for (const auto& use : uses) {
        b.open(use.open);
        QTest::mouseClick(b.button(use.ok), Qt::LeftButton);
        ASSERT_TRUE(WaitForCommand(&b.window));
        ASSERT_TRUE(IsBox(b.boxes.boxes().back(), MessageKind::Error, " Open Com Error ",
                          QMessageBox::Yes));
        ASSERT_TRUE(b.button(use.ok)->isEnabled());
    }
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t(3));
    ASSERT_TRUE(b.line.written().empty());
}

// The editor from the keyboard: the desktop's standard keys, menu mnemonics, Escape in every
// window, named input fields, and the length rule for text that does not come from a key.

#include "app_test_support.h"

#include "app/startup.h"
#include "schedule/schedule_add_dialog.h"
#include "schedule/schedule_window.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace lumivo::ui::test {
namespace {

class KeyboardTest : public EditorTest {
protected:
    TForm1& StartActive() {
        TForm1& main = StartQuiet();
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
        line1().setFocus();
        return main;
    }

    // Every window of the start-up table and the entry dialog the Schedule window owns.
    std::vector<QWidget*> Windows() const {
        std::vector<QWidget*> windows;
        for (const StartupWindow& entry : StartupWindows()) {
            if (QWidget* window = m_main->windowNamed(QString::fromLatin1(entry.className))) {
                windows.push_back(window);
            }
        }
        if (auto* schedule = qobject_cast<schedule::TSchedule*>(
                m_main->windowNamed(QStringLiteral("TSchedule")))) {
            windows.push_back(schedule->entryDialog());
        }
        return windows;
    }
};

TEST_F(KeyboardTest, StandardKeysDoWhatTheyStandFor) {
    struct Case {
        QKeySequence::StandardKey key;
        const char* item; // the menu item that shows the key; null for the line's own keys
        std::function<void()> check;
    };
    const auto lineIs = [this](const char* text) {
        return [this, text] { EXPECT_EQ(Text(), text); };
    };
    const auto askedFor = [this](FileRequest::Mode mode) {
        return [this, mode] {
            ASSERT_EQ(m_prompts.fileRequests().size(), 1u);
            EXPECT_EQ(m_prompts.fileRequests().front().mode, mode);
        };
    };
    const Case cases[] = {
        {QKeySequence::New, "New", lineIs("")},
        {QKeySequence::Open, "Open", askedFor(FileRequest::Mode::Open)},
        {QKeySequence::Save, "Save", askedFor(FileRequest::Mode::Save)},
        {QKeySequence::SaveAs, "Save", askedFor(FileRequest::Mode::Save)},
        {QKeySequence::Cut, "Cut",
         [this] {
             EXPECT_EQ(Text(), "");
             EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
         }},
        {QKeySequence::Copy, "Copy",
         [this] {
             EXPECT_EQ(Text(), "abc");
             EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
         }},
        {QKeySequence::Paste, "Paste", lineIs("clip")},
        {QKeySequence::Undo, nullptr,
         [this] {
             EXPECT_LT(Text().size(), 3u);
             EXPECT_EQ(std::string("abc").rfind(Text(), 0), 0u); // what is left is the start
         }},
        {QKeySequence::Quit, "Exit", [this] { EXPECT_FALSE(m_main->isVisible()); }},
    };
    for (const Case& c : cases) {
        const QList<QKeySequence> bindings = QKeySequence::keyBindings(c.key);
        if (bindings.isEmpty()) {
            continue; // the platform has no key for it (Quit on some desktops)
        }
        SCOPED_TRACE(bindings.constFirst().toString().toStdString());
        m_prompts.clear();
        StartActive();
        if (c.item != nullptr) {
            EXPECT_TRUE(item(c.item)->shortcuts().contains(bindings.constFirst()));
        }
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        Type(line1(), QStringLiteral("abc"));
        if (c.key == QKeySequence::Paste) {
            line1().clear();
        } else if (c.key != QKeySequence::Undo) {
            line1().selectAll();
        }
        QTest::keySequence(&line1(), bindings.constFirst());
        c.check();
    }
}

// The letters of the items of one menu, and the ones used twice.
QString ClashingMnemonics(const QMenu& menu, QString& letters) {
    QString clashes;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            continue;
        }
        const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
        if (mnemonic.isEmpty()) {
            clashes += action->objectName() + QStringLiteral(" has none; ");
            continue;
        }
        const QChar letter = QChar(mnemonic[0].key()).toLower();
        if (letters.contains(letter)) {
            clashes += action->objectName() + QStringLiteral(" repeats ") + letter + u';';
        }
        letters += letter;
    }
    return clashes;
}

TEST_F(KeyboardTest, EveryMenuAndItemHasItsOwnMnemonic) {
    TForm1& main = StartActive();
    std::vector<const QMenu*> menus{main.findChild<QMenu*>(QStringLiteral("PopupMenu1"))};
    for (const QMenu* menu : main.menuBar()->findChildren<QMenu*>()) {
        menus.push_back(menu);
    }
    ASSERT_GT(menus.size(), 10u);
    for (const QMenu* menu : menus) {
        QString letters;
        EXPECT_EQ(ClashingMnemonics(*menu, letters).toStdString(), "")
            << menu->objectName().toStdString();
    }

    // The menu bar's titles, each opened by Alt and its letter.
    QString titles;
    for (QAction* title : main.menuBar()->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
        ASSERT_FALSE(mnemonic.isEmpty()) << title->objectName().toStdString();
        const QChar letter = QChar(mnemonic[0].key()).toLower();
        EXPECT_FALSE(titles.contains(letter)) << title->objectName().toStdString();
        titles += letter;
        QTest::keySequence(&main, mnemonic);
        EXPECT_TRUE(title->menu()->isVisible()) << title->objectName().toStdString();
        title->menu()->hide();
    }
    EXPECT_TRUE(titles.startsWith(u'f')); // "&File"
}

TEST_F(KeyboardTest, EscapeClosesEveryWindowFromEveryField) {
    StartQuiet();
    const std::vector<QWidget*> windows = Windows();
    ASSERT_GE(windows.size(), 9u);
    for (QWidget* window : windows) {
        window->show();
        QList<QWidget*> targets{window};
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->isVisibleTo(window) && child->isEnabled() &&
                child->focusPolicy() != Qt::NoFocus && child->focusProxy() == nullptr) {
                targets.append(child);
            }
        }
        for (QWidget* target : targets) {
            window->show();
            QTest::keyClick(target, Qt::Key_Escape);
            EXPECT_FALSE(window->isVisible())
                << window->objectName().toStdString() << " stays open on Escape in "
                << target->metaObject()->className() << ' ' << target->objectName().toStdString();
        }
        window->hide();
    }
}

TEST_F(KeyboardTest, EveryInputFieldHasALabelOrAName) {
    TForm1& main = StartQuiet();
    std::vector<QWidget*> windows = Windows();
    windows.push_back(&main);
    QStringList unnamed;
    for (QWidget* window : windows) {
        QList<const QWidget*> buddies;
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            buddies.append(label->buddy());
        }
        for (QWidget* field : window->findChildren<QWidget*>()) {
            const bool input = qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
                               qobject_cast<QAbstractSpinBox*>(field) ||
                               qobject_cast<QPlainTextEdit*>(field) ||
                               qobject_cast<QTextEdit*>(field);
            // The editors inside a list or a spin box belong to it.
            const bool inner = qobject_cast<QComboBox*>(field->parentWidget()) ||
                               qobject_cast<QAbstractSpinBox*>(field->parentWidget());
            if (input && !inner && !buddies.contains(field) && field->accessibleName().isEmpty()) {
                unnamed.append(window->objectName() + u'.' + field->objectName());
            }
        }
    }
    EXPECT_EQ(unnamed.join(QStringLiteral(", ")).toStdString(), "");
}

TEST_F(KeyboardTest, TheComListsIgnoreTypedKeysOpenOrClosed) {
    StartQuiet();
    QWidget* com = m_main->windowNamed(QStringLiteral("TSetCom"));
    ASSERT_NE(com, nullptr);
    // Each key would choose another entry by its first letter or digit.
    const std::pair<const char*, const char*> cases[] = {
        {"ComboBox1", "c"}, {"ComboBox1", "C"}, {"ComboBox2", "2"}, {"ComboBox2", "1"}};
    for (const auto& [name, key] : cases) {
        for (const bool open : {false, true}) {
            SCOPED_TRACE(std::string(name) + " '" + key + (open ? "' open" : "' closed"));
            auto* list = com->findChild<QComboBox*>(QString::fromLatin1(name));
            ASSERT_NE(list, nullptr);
            list->setCurrentIndex(0);
            if (open) {
                list->showPopup();
                QTest::keyClicks(list->view(), QString::fromLatin1(key));
                QTest::keyClick(list->view(), Qt::Key_Return); // takes the highlighted entry
            } else {
                QTest::keyClicks(list, QString::fromLatin1(key));
            }
            EXPECT_EQ(list->currentIndex(), 0);
            list->hidePopup();
        }
    }
}

TEST_F(KeyboardTest, TheLengthRuleHoldsForComposedAndDroppedText) {
    const QString kBox = QStringLiteral("Max length is 210 chars");
    StartQuiet();
    // Text that is not typed: an input method's commit, and a drop.
    const std::pair<const char*, std::function<void(LineEditor&)>> ways[] = {
        {"input method",
         [](LineEditor& editor) {
             QInputMethodEvent composed;
             composed.setCommitString(QStringLiteral("\u00e9"));
             QApplication::sendEvent(&editor, &composed);
         }},
        {"drop",
         [](LineEditor& editor) {
             QMimeData data;
             data.setText(QStringLiteral("\u00e9"));
             QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                   Qt::NoModifier);
             QApplication::sendEvent(editor.viewport(), &enter);
             QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(editor.viewport(), &drop);
         }},
    };
    for (const auto& [way, deliver] : ways) {
        for (LineEditor* editor : {m_main->line1(), m_main->line2()}) {
            for (const int before : {209, 210}) {
                SCOPED_TRACE(std::string(way) + " into " + editor->objectName().toStdString() +
                             " at " + std::to_string(before));
                editor->clear();
                editor->replaceSelection(Repeat('a', before));
                m_prompts.clear();
                deliver(*editor);
                const bool refused = before >= kMaxLineLength;
                EXPECT_EQ(editor->characterCount(), refused ? before : before + 1);
                EXPECT_EQ(m_prompts.texts(), refused ? QStringList{kBox} : QStringList{});
            }
        }
    }
}

} // namespace
} // namespace lumivo::ui::test

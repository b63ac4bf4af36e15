#pragma once

// What the dialog tests share: a host that records what the dialogs ask of the main window, a
// connection to a scripted line, and the virtual sign as a child process.

#include "app/editor_host.h"
#include "app/prompter.h"
#include "link/clock.h"
#include "link/command_thread.h"
#include "link/fake_port.h"
#include "link/sign_connection.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace lumivo::test {

// Hands the pauses a runner takes to the fake line's log.
class LineClock final : public link::Clock {
public:
    explicit LineClock(link::Clock& line) : m_line(line) {}
    void delay(int ms) override { m_line.delay(ms); }

private:
    link::Clock& m_line;
};

// Ports of one fake line; pauses logged on the line, or really taken with `realPauses`.
inline link::SignConnection ConnectionTo(link::FakeLine& line, bool realPauses = false) {
    link::SignConnection connection;
    connection.portOpener = [&line] { return line.opener(); };
    if (realPauses) {
        connection.makeClock = [] { return std::make_unique<link::RealClock>(); };
    } else {
        connection.makeClock = [&line] { return std::make_unique<LineClock>(line.clock()); };
    }
    return connection;
}

// Answers every box like the scripted prompter, and first lets a test look at the windows as
// they are when the box appears.
class ProbePrompter final : public ui::Prompter {
public:
    std::function<void()> onBox;

    QMessageBox::StandardButton showBox(QWidget* parent, const ui::BoxRequest& request) override {
        if (onBox) {
            onBox();
        }
        return m_boxes.showBox(parent, request);
    }
    QString askFileName(QWidget* parent, const ui::FileRequest& request) override {
        return m_boxes.askFileName(parent, request);
    }

    void setNextAnswer(QMessageBox::StandardButton answer) { m_boxes.setNextAnswer(answer); }
    const std::vector<ui::ScriptedPrompter::ShownBox>& boxes() const { return m_boxes.boxes(); }
    QStringList texts() const { return m_boxes.texts(); }

private:
    ui::ScriptedPrompter m_boxes;
};

// The main window as the dialogs see it: Line 1's text, the tags inserted, the menu bindings and
// the COM port setting.
class RecordingHost final : public ui::EditorHost {
public:
    int comPort = 1;
    std::string line1;
    QStringList tags;
    QWidget* mainWindow = nullptr;
    std::map<QString, std::function<void()>> commands;

    QWidget* MainWindow() override { return mainWindow; }
    QTextEdit* CurrentEditor() const override { return nullptr; }
    void SetTagColor() override {}
    void ResetTextColor() override {}
    void ReplaceSelection(const QString&) override {}
    void InsertTag(const QString& tag) override { tags.append(tag); }
    void InsertEffectTag(const QString&, const QString&) override {}
    std::string LineText(int line) const override { return line == 0 ? line1 : std::string(); }
    int ComPort() const override { return comPort; }
    QString SettingsPath() const override { return {}; }
    bool SingleColorMode() const override { return false; }
    void ApplyColorMode(bool) override {}
    void FollowColorMode(QObject*, std::function<void(bool)>) override {}
    void BindCommand(const QString& itemName, std::function<void()> handler) override {
        commands[itemName] = std::move(handler);
    }
    QWidget* Window(const QString&) const override { return nullptr; }

    // Runs a bound menu item; false when nothing is bound to it.
    bool choose(const char* itemName) {
        const auto it = commands.find(QString::fromLatin1(itemName));
        if (it == commands.end()) {
            return false;
        }
        it->second();
        return true;
    }
};

// Waits, with the test's own event loop, until the window's running command has reported its
// end (its box, if any, is shown by then).
inline bool WaitForCommand(QObject* window, int timeoutMs = 20000) {
    auto* command = window->findChild<link::CommandThread*>();
    if (command == nullptr || !command->isRunning()) {
        return false;
    }
    QSignalSpy finished(command, &link::CommandThread::finished);
    return finished.wait(timeoutMs);
}

inline void ChooseText(QComboBox* combo, const QString& text) {
    ASSERT_NE(combo, nullptr);
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
}

inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items.append(combo->itemText(i));
    }
    return items;
}

// Types into a masked time field the way a user does: the field is emptied, digits go in from
// the first position, a blank is stepped over with the Right key, and the mask skips the ":".
inline void TypeTime(QLineEdit* field, const char* typed) {
    ASSERT_NE(field, nullptr);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    field->setCursorPosition(0);
    for (const char* c = typed; *c != '\0'; ++c) {
        if (*c == ' ') {
            QTest::keyClick(field, Qt::Key_Right);
        } else {
            QTest::keyClicks(field, QString(QLatin1Char(*c)));
        }
    }
}

inline QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace lumivo::test

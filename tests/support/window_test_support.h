#pragma once

// What the window tests share: a connection to a scripted line, a prompter that answers every
// box, a main window that records what the windows ask of it, and waiting for a command.

#include "link/clock.h"
#include "link/command_thread.h"
#include "link/fake_port.h"
#include "link/sign_connection.h"
#include "support/line_clock.h"
#include "support/qt_printers.h"
#include "support/scripted_prompter.h"
#include "widgets/editor_host.h"

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
    void setNextFileName(const QString& fileName) { m_boxes.setNextFileName(fileName); }
    const std::vector<ui::ScriptedPrompter::ShownBox>& boxes() const { return m_boxes.boxes(); }
    QStringList texts() const { return m_boxes.texts(); }

private:
    ui::ScriptedPrompter m_boxes;
};

// The main window as the windows see it: Line 1's text, the tags inserted, the menu bindings and
// the COM port setting.
class RecordingHost final : public ui::EditorHost {
public:
    int comPortSetting = 1;
    std::string line1;
    QStringList tags;
    QWidget* mainWidget = nullptr;
    std::map<QString, std::function<void()>> commands;

    QWidget* mainWindow() override { return mainWidget; }
    QTextEdit* currentEditor() const override { return nullptr; }
    void SetTagColor() override {}
    void ResetTextColor() override {}
    void replaceSelection(const QString&) override {}
    void insertTag(const QString& tag) override { tags.append(tag); }
    void InsertEffectTag(const QString&, const QString&) override {}
    std::string lineText(int line) const override { return line == 0 ? line1 : std::string(); }
    int comPort() const override { return comPortSetting; }
    QString settingsPath() const override { return {}; }
    bool singleColorMode() const override { return false; }
    void ApplyColorMode(bool) override {}
    void followColorMode(QObject*, std::function<void(bool)>) override {}
    void bindCommand(const QString& itemName, std::function<void()> handler) override {
        commands[itemName] = std::move(handler);
    }
    void reportStatus(const QString& message) override { statusMessages.append(message); }
    QStringList statusMessages;

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

// Types a masked date or time the way a user does: the field is emptied, digits go in from the
// first position, a blank is stepped over with the Right key, and the mask skips its literals.
inline void TypeMasked(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    edit->setCursorPosition(0);
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            QTest::keyClick(edit, Qt::Key_Right);
        } else if (c.isDigit()) {
            QTest::keyClicks(edit, QString(c));
        }
    }
}

} // namespace lumivo::test

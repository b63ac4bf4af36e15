#pragma once

#include "app/editor_host.h"
#include "app/prompter.h"
#include "link/clock.h"
#include "link/command_thread.h"
#include "link/fake_port.h"
#include "link/sign_connection.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

namespace lumivo::test {

// Hands the pauses a runner takes to the fake line's log.
class LineClock final : public link::Clock {
public:
    explicit LineClock(link::Clock& line) : m_line(line) {}
    void delay(int ms) override { m_line.delay(ms); }

private:
    link::Clock& m_line;
};

// The connection a window gets: ports and pauses of one fake line.
inline link::SignConnection ConnectionTo(link::FakeLine& line) {
    link::SignConnection connection;
    connection.portOpener = [&line] { return line.opener(); };
    connection.makeClock = [&line] { return std::make_unique<LineClock>(line.clock()); };
    return connection;
}

// Answers every box at once like the scripted prompter, and first lets a test look at the window
// as it is when the box appears.
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

    const std::vector<ui::ScriptedPrompter::ShownBox>& boxes() const { return m_boxes.boxes(); }
    QStringList texts() const { return m_boxes.texts(); }

private:
    ui::ScriptedPrompter m_boxes;
};

// Waits (with the test's own event loop) until the window's command has reported its end.
inline bool WaitForCommand(QObject* window, int timeoutMs = 15000) {
    auto* command = window->findChild<link::CommandThread*>();
    if (command == nullptr) {
        return false;
    }
    if (!command->isRunning()) {
        return false;
    }
    QSignalSpy finished(command, &link::CommandThread::finished);
    return finished.wait(timeoutMs);
}

// Types a masked date or time the way a user does: digits go in, a blank position is stepped
// over with the Right key, and literals are skipped by the mask itself.
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

// The main window as the start-up factories see it: it keeps the menu bindings and the COM port
// setting, and nothing else.
class FakeHost final : public ui::EditorHost {
public:
    int comPort = 1;
    std::map<QString, std::function<void()>> commands;

    QWidget* MainWindow() override { return nullptr; }
    QTextEdit* CurrentEditor() const override { return nullptr; }
    void SetTagColor() override {}
    void ResetTextColor() override {}
    void ReplaceSelection(const QString&) override {}
    void InsertTag(const QString&) override {}
    void InsertEffectTag(const QString&, const QString&) override {}
    std::string LineText(int) const override { return {}; }
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

inline void ChooseSignId(QComboBox* combo, const QString& id) {
    combo->setCurrentIndex(combo->findText(id));
}

} // namespace lumivo::test

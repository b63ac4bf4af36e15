#pragma once

#include "app/line_editor.h"
#include "app/main_window.h"
#include "support/scripted_prompter.h"

#include <QAction>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lumivo::ui::test {

// A fresh program folder (LUMIVO_HOME), a scripted prompter, and the editor started the way the
// program starts it.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the editor; the settings file holds `settings` first unless it is null.
    TForm1& Start(const char* settings);
    // Starts with no colour question ("showform=0").
    TForm1& StartQuiet() { return Start("[Sign]\nshowform=0\n"); }

    QString settingsPath() const;
    std::string SettingsText() const;
    bool SettingsFileExists() const;
    QString HomeFile(const QString& name) const { return m_home.filePath(name); }

    QAction* item(const char* name) const;
    void Trigger(const char* name);
    LineEditor& line1() const { return *m_main->line1(); }
    // Types text into the editor, key by key, through the window's key preview.
    void Type(QWidget& widget, const QString& text);
    void TypeKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Line 1's bytes as text.
    std::string Text() const { return line1().lineBytes(); }

    ScriptedPrompter m_prompts;
    std::unique_ptr<PrompterScope> m_scope;
    QTemporaryDir m_home;
    std::unique_ptr<TForm1> m_main;
};

inline constexpr RtfColour kRed{255, 0, 0};
inline constexpr RtfColour kBlack{0, 0, 0};

// "a" repeated n times.
QString Repeat(char c, int n);

// Every character of [from, to) of the line has this colour (and is bold).
::testing::AssertionResult Coloured(const RtfDocument& line, std::size_t from, std::size_t to,
                                    RtfColour colour);

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, std::string_view bytes);

} // namespace lumivo::ui::test

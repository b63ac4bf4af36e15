#pragma once

#include <QString>

#include <functional>
#include <string>

class QObject;
class QTextEdit;
class QWidget;

namespace lumivo::ui {

// What the main window offers the other windows. Header only: a window library includes it and
// needs nothing else of the editor, so the start-up table (startup.cpp) can name that library's
// factory without a circle between the libraries. A window that needs another window receives
// it, typed, from its factory's parameters, not from here.
class EditorHost {
public:
    virtual ~EditorHost() = default;

    // The main window itself (parent for boxes; disabled while the start-up colour question is
    // open).
    virtual QWidget* mainWindow() = 0;

    // The editor of the selected tab; every insertion acts on it.
    virtual QTextEdit* currentEditor() const = 0;
    // Insertion attributes of the current editor: red for a tag, black bold for typing.
    virtual void SetTagColor() = 0;
    virtual void ResetTextColor() = 0;
    // Replaces the current editor's selection (or inserts at the caret) with the text in its
    // insertion attributes; characters above U+00FF are dropped.
    virtual void replaceSelection(const QString& text) = 0;
    // SetTagColor, replace the selection with the tag, ResetTextColor.
    virtual void insertTag(const QString& tag) = 0;
    virtual void InsertEffectTag(const QString& capital, const QString& lowerCase) = 0;
    // The 8-bit text of a line (line breaks CR LF), as the message compiler reads it: `line` 2
    // is Line 2, any other value Line 1.
    virtual std::string lineText(int line) const = 0;

    // The COM port setting held by the COM dialog (a number outside 1..8 means COM1).
    virtual int comPort() const = 0;
    // The settings file (section "Sign").
    virtual QString settingsPath() const = 0;

    // The sign colour mode; `apply` runs with the new mode whenever it is applied, for as long as
    // `receiver` lives.
    virtual bool singleColorMode() const = 0;
    virtual void ApplyColorMode(bool single) = 0;
    virtual void followColorMode(QObject* receiver, std::function<void(bool single)> apply) = 0;

    // Binds a menu item or toolbar button the main window dispatches to a window of yours, and
    // enables it ("SendMessages1" also binds its toolbar twin "ToolButton9").
    virtual void bindCommand(const QString& itemName, std::function<void()> handler) = 0;

    // Says in the main window's status bar what a command that ends without a box did.
    virtual void reportStatus(const QString& message) = 0;
};

} // namespace lumivo::ui

#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

namespace lumivo::ui {

// The kind of box a window shows; it decides the icon and nothing else.
enum class MessageKind {
    Plain,       // no icon (the length rule, reply failures)
    Information, // success and "is Over" reports
    Warning,
    Error, // file errors, open-port errors
    Question,
};

struct BoxRequest {
    MessageKind kind = MessageKind::Plain;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // Shown under the text when not empty (the file and the system's reason for a file error).
    QString details;
};

struct FileRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString caption;
    // Each entry is shown as it is written and lists the files of its patterns ("*.lmv").
    QStringList filters;
    // Appended (with a dot) to a name chosen for saving that has no extension of its own. When
    // opening, a name is taken as typed when such a file exists, and with the suffix only when
    // it does not (see OpenedFileName).
    QString defaultSuffix;
    // The folder the dialog starts in; empty: the dialog's own choice.
    QString directory;
};

// Every message box and file dialog of the windows goes through the current prompter, so a test
// can answer them without a screen and read what was shown.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows the box modally and returns the button pressed.
    virtual QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& request) = 0;
    // The chosen file name, or an empty text when the user cancelled.
    virtual QString askFileName(QWidget* parent, const FileRequest& request) = 0;
};

// The prompter in use: the real dialogs unless a test installed another.
Prompter& CurrentPrompter();

// Installs a prompter for the lifetime of this object and restores the previous one after.
class PrompterScope {
public:
    explicit PrompterScope(Prompter& prompter);
    ~PrompterScope();
    PrompterScope(const PrompterScope&) = delete;
    PrompterScope& operator=(const PrompterScope&) = delete;

private:
    Prompter* m_previous;
};

// The file an open dialog means by the name `typed`: the name itself when such a file exists,
// else, for a name without an extension, the name with `defaultSuffix` when that file exists;
// otherwise the name as typed, which the caller reports as missing.
QString OpenedFileName(const QString& typed, const QString& defaultSuffix);

// The real file dialog for a request, as the prompter shows it.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileRequest& request);

// The title of every message box: the program's name as users read it.
QString BoxTitle();

// Shorthands for the boxes the windows show.
QMessageBox::StandardButton ShowBox(QWidget* parent, MessageKind kind, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// An error box with the text a window fixes and the details that explain it.
QMessageBox::StandardButton ShowErrorWithDetails(QWidget* parent, const QString& text,
                                                 const QString& details);
QString AskFileName(QWidget* parent, const FileRequest& request);

} // namespace lumivo::ui

#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

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
};

struct FileRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString caption;
    // Each entry is shown as it is written and lists the files of its patterns ("*.lmv").
    QStringList filters;
    // Appended (with a dot) to a name chosen for saving that has no extension of its own.
    QString defaultSuffix;
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

// Shorthands for the boxes the windows show.
QMessageBox::StandardButton ShowBox(QWidget* parent, MessageKind kind, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
QString AskFileName(QWidget* parent, const FileRequest& request);

// A prompter that shows nothing: it records every box and file request and answers from queues
// filled beforehand. With no answer queued a box returns its first button and a file dialog is
// cancelled.
class ScriptedPrompter final : public Prompter {
public:
    struct ShownBox {
        QWidget* parent = nullptr;
        BoxRequest request;
    };

    void setNextAnswer(QMessageBox::StandardButton answer);
    void setNextFileName(const QString& fileName);

    const std::vector<ShownBox>& boxes() const { return m_boxes; }
    const std::vector<FileRequest>& fileRequests() const { return m_fileRequests; }
    // The texts of the boxes shown, oldest first.
    QStringList texts() const;
    void clear();

    QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& request) override;
    QString askFileName(QWidget* parent, const FileRequest& request) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_fileNames;
    std::vector<ShownBox> m_boxes;
    std::vector<FileRequest> m_fileRequests;
};

} // namespace lumivo::ui

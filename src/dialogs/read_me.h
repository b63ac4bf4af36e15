#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>

class QPlainTextEdit;

namespace lumivo::ui {

// Opens a document with the platform's default application for its type; false when no
// application took it.
using DocumentOpener = std::function<bool(const QUrl& document)>;

// Replaces how documents are opened for the lifetime of this object (a test records the
// request instead of starting an editor), and restores the previous way after.
class DocumentOpenerScope {
public:
    explicit DocumentOpenerScope(DocumentOpener opener);
    ~DocumentOpenerScope();
    DocumentOpenerScope(const DocumentOpenerScope&) = delete;
    DocumentOpenerScope& operator=(const DocumentOpenerScope&) = delete;

private:
    DocumentOpener m_previous;
};

// The places "Manual.txt" is looked for, in order: the program folder's copy (or the user's own
// copy of an installed program), the copy the program ships, the installed share/lumivo folder
// beside the executable's folder, and the executable's own folder.
QStringList ManualCandidates();

// The first of ManualCandidates() that is a regular file; empty when there is none.
QString ManualPath();

// A window of the program's own that shows the manual read-only, for a desktop where no
// program opens text files.
class ManualWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget* parent = nullptr);
    void setManual(const QString& path, const QString& text);
    QString text() const;

private:
    QPlainTextEdit* m_text = nullptr;
};

// "Read Me": asks the platform to open the manual. When no application takes it, the manual is
// shown in a ManualWindow of `parent`; when it cannot be found or read, a box says so.
void ReadMe1Click(QWidget* parent);

} // namespace lumivo::ui

#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace lumivo::ui {

// Opens a document with the platform's default application for its type.
using DocumentOpener = std::function<void(const QUrl& document)>;

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

// "Manual.txt" in the program folder.
QString ManualPath();

// "Read Me": asks the platform to open the manual; the outcome is not examined and nothing is
// reported.
void ReadMe1Click();

} // namespace lumivo::ui

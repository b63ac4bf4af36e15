#include "app/dialogs/read_me.h"

#include "core/program_folder.h"

#include <QDesktopServices>

namespace lumivo::ui {

namespace {

DocumentOpener& CurrentOpener() {
    static DocumentOpener opener = [](const QUrl& document) {
        QDesktopServices::openUrl(document);
    };
    return opener;
}

} // namespace

DocumentOpenerScope::DocumentOpenerScope(DocumentOpener opener)
    : m_previous(std::move(CurrentOpener())) {
    CurrentOpener() = std::move(opener);
}

DocumentOpenerScope::~DocumentOpenerScope() {
    CurrentOpener() = std::move(m_previous);
}

QString ManualPath() {
    const std::filesystem::path path = ReadOnlyDataFile("Manual.txt");
    return QString::fromStdU16String(path.u16string());
}

void ReadMe1Click() {
    CurrentOpener()(QUrl::fromLocalFile(ManualPath()));
}

} // namespace lumivo::ui

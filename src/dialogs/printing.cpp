#include "dialogs/printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace lumivo::ui {

QString PrintingFolder() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral(LUMIVO_PRINTING_FROM_BIN));
}

std::unique_ptr<Printing> LoadPrinting(QString& why, const QString& folder) {
    // Going out of scope does not unload the library: the objects it made keep their code.
    QLibrary library(QDir(folder).filePath(QStringLiteral("lumivo_printing")));
    auto* make = reinterpret_cast<LumivoMakePrinting*>(library.resolve("lumivo_make_printing"));
    if (make == nullptr) {
        why = library.errorString();
        return nullptr;
    }
    return std::unique_ptr<Printing>(make());
}

} // namespace lumivo::ui

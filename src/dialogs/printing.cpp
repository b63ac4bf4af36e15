#include "dialogs/printing.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace lumivo::ui {

std::unique_ptr<Printing> LoadPrinting(QString& why) {
    // Kept loaded to the end of the program: the objects it made use its code.
    static QLibrary* const library = [] {
        auto* module = new QLibrary(
            QDir(QCoreApplication::applicationDirPath())
                .filePath(QStringLiteral(LUMIVO_PRINTING_FROM_BIN "/lumivo_printing")));
        module->load();
        return module;
    }();
    auto* make = reinterpret_cast<LumivoMakePrinting*>(library->resolve("lumivo_make_printing"));
    if (make == nullptr) {
        why = library->errorString();
        return nullptr;
    }
    return std::unique_ptr<Printing>(make());
}

} // namespace lumivo::ui

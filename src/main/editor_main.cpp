#include "app/main_window.h"
#include "app/startup.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    lumivo::ui::EditorOptions options;
    if (const auto status = lumivo::ui::ReadEditorArguments({argv + 1, argv + argc}, options,
                                                            std::cout, std::cerr)) {
        return *status;
    }
    QApplication application(argc, argv);
    const auto window = lumivo::ui::StartEditor(options);
    return QApplication::exec();
}

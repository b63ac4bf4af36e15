#include "app/main_window.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const auto window = lumivo::ui::StartEditor(QApplication::arguments());
    return QApplication::exec();
}

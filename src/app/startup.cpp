#include "app/startup.h"

#include "app/artwork.h"
#include "app/dialogs/about_box.h"
#include "app/dialogs/input_text_dialog.h"
#include "app/dialogs/link_pages_dialog.h"
#include "app/dialogs/move_speed_dialog.h"
#include "app/dialogs/set_id_dialog.h"
#include "app/main_window.h"
#include "app/set_com.h"
#include "app/sign_color.h"
#include "schedule/delete_dialog.h"
#include "schedule/schedule_window.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace lumivo::ui {

namespace {

// Taken while the program loads, before main() runs.
const auto kProcessStart = std::chrono::steady_clock::now();

constexpr StartupWindow kStartupWindows[] = {
    {"TSetCom", &TSetCom::Create},
    {"TAboutBox", &TAboutBox::Create},
    {"TSchedule", &TSchedule::Create},
    {"TScheduleAdd", nullptr}, // made by TSchedule, which owns it
    {"TDeletefrm", &TDeletefrm::Create},
    {"TSetID", &TSetID::Create},
    {"TGraphicForm", nullptr},
    {"TuEuropeanCharForm", nullptr},
    {"TLinkpagefrm", &TLinkpagefrm::Create},
    {"TInputTextfrm", &TInputTextfrm::Create},
    {"TBmpSaveLoad", nullptr},
    {"TMoveSpeedfrm", &TMoveSpeedfrm::Create},
    {"TSelectGaphName", nullptr},
    {"TFontMakefrm", nullptr},
    {"TsignColorfrm", &TsignColorfrm::Create},
};

// Reports the first paint of the main window and ends the run.
class FirstPaintProbe final : public QObject {
public:
    explicit FirstPaintProbe(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - kProcessStart);
            std::printf("main window shown after %lld ms\n",
                        static_cast<long long>(elapsed.count()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

} // namespace

std::span<const StartupWindow> StartupWindows() {
    return kStartupWindows;
}

std::unique_ptr<TForm1> StartEditor(const QStringList& arguments) {
    QApplication::setApplicationName(QStringLiteral("lumivo"));
    QApplication::setWindowIcon(ApplicationIcon());

    auto main = std::make_unique<TForm1>();
    for (const StartupWindow& entry : StartupWindows()) {
        if (entry.create != nullptr) {
            main->AdoptWindow(QString::fromLatin1(entry.className), entry.create(*main));
        }
    }
    if (arguments.contains(QStringLiteral("--quit-after-show"))) {
        new FirstPaintProbe(main.get());
    }
    main->show();
    return main;
}

} // namespace lumivo::ui

#include "app/startup.h"

#include "app/artwork.h"
#include "app/main_window.h"
#include "app/set_com.h"
#include "app/sign_color.h"
#include "dialogs/about_box.h"
#include "dialogs/input_text_dialog.h"
#include "dialogs/link_pages_dialog.h"
#include "dialogs/move_speed_dialog.h"
#include "dialogs/sign_command_dialog.h"
#include "graphic/bmp_save_load.h"
#include "graphic/graphic_form.h"
#include "graphic/select_graph_name.h"
#include "schedule/delete_dialog.h"
#include "schedule/schedule_window.h"
#include "signs/window/signs_window.h"
#include "userfont/delete_font_dialog.h"
#include "userfont/euro_char_form.h"
#include "userfont/font_maker.h"

#include "core/command_line.h"
#include "link/path_text.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace lumivo::ui {

namespace {

// Taken while the program loads, before main() runs.
const auto kProcessStart = std::chrono::steady_clock::now();

// A window that needs no other.
template <std::unique_ptr<QWidget> (*Make)(EditorHost&)>
std::unique_ptr<QWidget> Alone(EditorHost& host, StartedWindows&) {
    return Make(host);
}

// A window made earlier in the table that a later one receives. A table that made them the
// other way round is a fault of the program, not of the run: it stops at once.
template <typename Window> Window& Needed(Window* window, const char* className) {
    if (window == nullptr) {
        qFatal("start-up table: %s is needed before it is made", className);
    }
    return *window;
}

// Keeps the typed pointer of a window that later windows receive.
template <typename Window>
std::unique_ptr<QWidget> Kept(std::unique_ptr<QWidget> window, Window*& slot) {
    slot = dynamic_cast<Window*>(window.get());
    return window;
}

std::unique_ptr<QWidget> MakeDeletion(EditorHost& host, StartedWindows& made) {
    return Kept(schedule::TDeletefrm::create(host), made.fontTransfer);
}

std::unique_ptr<QWidget> MakeTextDialog(EditorHost& host, StartedWindows& made) {
    return Kept(TInputTextfrm::create(host), made.textDialog);
}

std::unique_ptr<QWidget> MakeGraphicEditor(EditorHost& host, StartedWindows& made) {
    return Kept(graphic::TGraphicForm::create(host, Needed(made.textDialog, "TInputTextfrm")),
                made.graphicEditor);
}

std::unique_ptr<QWidget> MakeEuropeanChars(EditorHost& host, StartedWindows& made) {
    return Kept(userfont::TuEuropeanCharForm::create(host), made.europeanChars);
}

std::unique_ptr<QWidget> MakeBitmapDialog(EditorHost& host, StartedWindows& made) {
    return graphic::TBmpSaveLoad::create(host, Needed(made.graphicEditor, "TGraphicForm"));
}

std::unique_ptr<QWidget> MakeNameDialog(EditorHost& host, StartedWindows& made) {
    return graphic::TSelectGaphName::create(host, Needed(made.graphicEditor, "TGraphicForm"));
}

std::unique_ptr<QWidget> MakeFontMaker(EditorHost& host, StartedWindows& made) {
    return userfont::TFontMakefrm::create(host, Needed(made.fontTransfer, "TDeletefrm"),
                                          Needed(made.europeanChars, "TuEuropeanCharForm"));
}

// The text dialog comes before the graphic editor, which receives it.
constexpr StartupWindow kStartupWindows[] = {
    {"TSetCom", &Alone<&TSetCom::create>},
    {"TAboutBox", &Alone<&TAboutBox::create>},
    {"TSchedule", &Alone<&schedule::TSchedule::create>},
    {"TScheduleAdd", nullptr}, // made by TSchedule, which owns it
    {"TDeletefrm", &MakeDeletion},
    {"TSetID", &Alone<&TSetID::create>},
    {"TInputTextfrm", &MakeTextDialog},
    {"TGraphicForm", &MakeGraphicEditor},
    {"TuEuropeanCharForm", &MakeEuropeanChars},
    {"TLinkpagefrm", &Alone<&TLinkpagefrm::create>},
    {"TBmpSaveLoad", &MakeBitmapDialog},
    {"TMoveSpeedfrm", &Alone<&TMoveSpeedfrm::create>},
    {"TSelectGaphName", &MakeNameDialog},
    {"TFontMakefrm", &MakeFontMaker},
    {"TsignColorfrm", &Alone<&TsignColorfrm::create>},
    {"SignsWindow", &Alone<&signs::SignsWindow::bindMenuItem>}, // made at its first use
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

const char* const kEditorUsage =
    "usage: lumivo [FILE.lmv]\n"
    "\n"
    "The editor and controller for LED moving-message signs. A message document FILE.lmv, when\n"
    "given, is opened in Line 1 at start, as File > Open opens it.\n"
    "\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n"
    "\n"
    "The window system's options, such as -style NAME and -platform NAME, are passed on to it.\n";

std::optional<int> ReadEditorArguments(const std::vector<std::string>& args, EditorOptions& options,
                                       std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec kOptions[] = {
        kHelpOption,
        kVersionOption,
        {"--quit-after-show", OptionKind::Flag},
        // Read by the application object; listed so that their values are not taken for a
        // document.
        {"-platform", OptionKind::Value},
        {"-platformpluginpath", OptionKind::Value},
        {"-platformtheme", OptionKind::Value},
        {"-plugin", OptionKind::Repeated},
        {"-style", OptionKind::Value},
        {"-stylesheet", OptionKind::Value},
        {"-session", OptionKind::Value},
        {"-display", OptionKind::Value},
        {"-geometry", OptionKind::Value},
        {"-qwindowgeometry", OptionKind::Value},
        {"-qwindowtitle", OptionKind::Value},
        {"-qwindowicon", OptionKind::Value},
        {"-reverse", OptionKind::Flag},
        {"-widgetcount", OptionKind::Flag},
    };
    const CommandLine line = ParseCommandLine(args, kOptions);
    if (const auto status = AnswerStandardOptions(line, "lumivo", kEditorUsage, out, err)) {
        return status;
    }
    if (line.positionals().size() > 1) {
        return ReportUsageError(err, "lumivo", "give one document at most", kEditorUsage);
    }
    options.quitAfterShow = line.has("--quit-after-show");
    if (!line.positionals().empty()) {
        options.document = link::PathText(line.positionals().front());
    }
    return std::nullopt;
}

std::span<const StartupWindow> StartupWindows() {
    return kStartupWindows;
}

void NameApplication() {
    // The executable's name for the system (settings, window classes); the program's name as
    // users read it for the titles of boxes and windows.
    QApplication::setApplicationName(QStringLiteral("lumivo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Lumivo"));
}

std::unique_ptr<TForm1> StartEditor(const EditorOptions& options) {
    NameApplication();
    QApplication::setWindowIcon(ApplicationIcon());

    auto main = std::make_unique<TForm1>();
    StartedWindows made;
    for (const StartupWindow& entry : StartupWindows()) {
        if (entry.create != nullptr) {
            main->adoptWindow(QString::fromLatin1(entry.className), entry.create(*main, made));
        }
    }
    // Made anew per use, so it has no line in the table; it redraws the picker made above.
    userfont::TDeleteFontfrm::bindMenuItem(*main, Needed(made.europeanChars, "TuEuropeanCharForm"));
    if (options.quitAfterShow) {
        new FirstPaintProbe(main.get());
    }
    main->show();
    if (!options.document.isEmpty()) {
        main->openDocument(options.document);
    }
    return main;
}

} // namespace lumivo::ui

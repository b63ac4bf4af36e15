#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

class QWidget;

namespace lumivo::graphic {
class TGraphicForm;
}

namespace lumivo::userfont {
class TuEuropeanCharForm;
}

namespace lumivo::ui {

class EditorHost;
class FontTransferPanel;
class TForm1;
class TInputTextfrm;

// The windows of the run that other windows receive at their creation, set as they are made.
struct StartedWindows {
    FontTransferPanel* fontTransfer = nullptr; // the deletion window's font panel
    TInputTextfrm* textDialog = nullptr;
    graphic::TGraphicForm* graphicEditor = nullptr;
    userfont::TuEuropeanCharForm* europeanChars = nullptr;
};

// Creates one window of the run, binds the menu items it serves (EditorHost::bindCommand) and
// follows what it needs (EditorHost::followColorMode); the main window keeps it. The windows it
// needs come from `made`, the ones others need are set there.
using WindowFactory = std::unique_ptr<QWidget> (*)(EditorHost& host, StartedWindows& made);

// What the editor's command line asks for at start.
struct EditorOptions {
    QString document; // FILE.lmv, opened in Line 1; empty: none
    bool quitAfterShow = false;
};

// Reads the editor's command line (the arguments after the program name). It runs before the
// application object exists, so --help and --version need no display. Returns the exit status
// when the run ends here (help or version shown, a usage error); otherwise nullopt and `options`
// is filled. The options of the window system (-style NAME, -platform NAME...) are let through
// for the application object to take.
std::optional<int> ReadEditorArguments(const std::vector<std::string>& args, EditorOptions& options,
                                       std::ostream& out, std::ostream& err);

extern const char* const kEditorUsage;

struct StartupWindow {
    const char* className;
    WindowFactory create; // null: the window is not part of the program yet
};

// The windows created at start, after the main window, in their order of creation. A window
// joins the program by naming its factory in its line of this table; until then its menu items
// stay disabled.
std::span<const StartupWindow> StartupWindows();

// The whole start of the editor, inside a running QApplication: the main window, then every
// window of StartupWindows() in order, then the main window is shown, which runs the start-up
// settings step (the sign colour dialog, the colour mode). Closing the main window ends the
// program.
//
// With a document, it is opened in Line 1 once the main window is shown, as File > Open opens
// one (the same boxes when it cannot be read). With quitAfterShow the milliseconds from process
// start to the first paint of the main window are printed on standard output and the event loop
// quits (a start-up timing switch for tests and measurements).
// Names the application: "lumivo" to the system, "Lumivo" in the titles users read.
void NameApplication();

std::unique_ptr<TForm1> StartEditor(const EditorOptions& options = {});

} // namespace lumivo::ui

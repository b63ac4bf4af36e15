#pragma once

#include <QStringList>

#include <memory>
#include <span>

class QWidget;

namespace lumivo::ui {

class EditorHost;
class TForm1;

// Creates one window of the run, binds the menu items it serves (EditorHost::BindCommand) and
// follows what it needs (EditorHost::FollowColorMode); the main window keeps it.
using WindowFactory = std::unique_ptr<QWidget> (*)(EditorHost& host);

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
// Arguments: "--quit-after-show" prints the milliseconds from process start to the first paint
// of the main window on standard output and quits the event loop.
std::unique_ptr<TForm1> StartEditor(const QStringList& arguments = {});

} // namespace lumivo::ui

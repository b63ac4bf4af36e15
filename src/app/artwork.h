#pragma once

#include <QIcon>
#include <QPixmap>

namespace lumivo::ui {

// Pictures the windows show, drawn by the program itself.

// A small LED sign showing "LED" in dots: three colours (red, green, yellow letters) or one
// (every dot red).
QPixmap SignPicture(bool tripleColour);

// Toolbar and window icons.
enum class ToolIcon { New, Open, Save, Cut, Copy, Paste, SendMessage, Sign, SendViaNetwork };
QIcon MakeToolIcon(ToolIcon icon);

// The program's own icon: a moving-message sign.
QIcon ApplicationIcon();

} // namespace lumivo::ui

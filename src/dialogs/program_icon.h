#pragma once

#include <QIcon>
#include <QPixmap>

namespace lumivo::ui {

// The program's picture drawn at `size` pixels square: a moving-message sign on its post, its
// dots spelling an arrow in red, green and yellow.
QPixmap DrawProgramIcon(int size);

// The program's icon: the application's window icon when the program set one, otherwise the
// drawn picture.
QIcon ProgramIcon();

} // namespace lumivo::ui

#pragma once

class QWidget;

namespace lumivo::ui {

// Places a window, at its current size, in the middle of the primary screen's free area.
void CentreOnDesktop(QWidget& window);

} // namespace lumivo::ui

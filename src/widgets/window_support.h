#pragma once

#include "link/outcome.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace lumivo::ui {

// A drop-down list of the 256 sign IDs "00".."FF" in numeric order (the index is the value),
// "00" chosen. With `discardTyping` the list ignores typed characters, so the choice is made
// from the list only; navigation keys still work.
QComboBox* MakeSignIdCombo(QWidget* parent, const QString& objectName, bool discardTyping = true);
// The same for a list a form has made.
void FillSignIdCombo(QComboBox& combo, bool discardTyping = true);

// The chosen sign ID as the runners take it.
std::string SignIdOf(const QComboBox& combo);

// Shows the box that reports a command's end: information and error boxes with a single "Yes",
// plain boxes with "OK"; nothing for BoxKind::None. An error box shows the outcome's details
// (the device and the reason of an open failure) under its text.
void ShowOutcome(QWidget* parent, const link::Outcome& outcome);

// Masked date and time fields. The edit shows "_" in every position left empty; the text a
// window stores and sends has a space there, and literals "/" and ":" stay in place.
inline constexpr char16_t kMaskBlank = u'_';
QString DateMask(); // "mm/dd/yy": 8 characters
QString TimeMask(); // "hh:nn": 5 characters
QString MaskedText(const QLineEdit& edit);
void SetMaskedText(QLineEdit& edit, const QString& text);

// Centres a top-level window on the screen it is on.
void CentreOnScreen(QWidget& window);

// Shows the window in front, centred on the screen the first time (`shownBefore` remembers it),
// where the user left it afterwards.
void ShowInFront(QWidget& window, bool& shownBefore);

} // namespace lumivo::ui

#pragma once

#include <QString>

#include <string>

class QLineEdit;
class QTime;

namespace lumivo::ui {

// The time field of the Set Clock panel: "hh:nn:ss" behind an input mask that keeps the two ":"
// in place, shows "_" in every position not typed yet and holds at most 8 characters. Its text
// as the runners take it has a blank in each such position.

// Puts the mask on the edit (and clears it).
void SetUpClockField(QLineEdit& edit);

// The field's text with blanks as spaces: "14:05:09", "1 :0 :  ".
std::string ClockFieldText(const QLineEdit& edit);

// Writes a text with spaces for blanks, keeping the cursor and the selection where they were.
void SetClockFieldText(QLineEdit& edit, const std::string& text);

// The time as "hh:nn:ss".
void SetClockFieldTime(QLineEdit& edit, const QTime& time);

// One second later when the field holds a valid time; the user's selection stays as it was, so
// typing goes on while the clock runs. Returns false (and changes nothing) for an invalid time.
bool TickClockField(QLineEdit& edit);

// The corrections after every key: an impossible first digit of the hour, minute or second
// becomes the largest possible one, and an hour above 23 becomes 23. Blanks stay blanks.
void CorrectClockField(QLineEdit& edit);

} // namespace lumivo::ui

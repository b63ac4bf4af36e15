#include "dialogs/clock_field.h"

#include "core/payloads.h"
#include "widgets/window_support.h"

#include <QLineEdit>
#include <QTime>

#include <optional>

namespace lumivo::ui {

namespace {

constexpr int kClockLength = 8; // "hh:nn:ss"

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void SetUpClockField(QLineEdit& edit) {
    // Hour, minute and second digits; the separators are literals the cursor steps over.
    edit.setInputMask(QStringLiteral("90:00:00;") + QChar(kMaskBlank));
    edit.setMaxLength(kClockLength);
}

std::string ClockFieldText(const QLineEdit& edit) {
    return MaskedText(edit).toStdString();
}

void SetClockFieldText(QLineEdit& edit, const std::string& text) {
    const bool selected = edit.hasSelectedText();
    const int start = edit.selectionStart();
    const int length = static_cast<int>(edit.selectedText().size());
    const int cursor = edit.cursorPosition();
    SetMaskedText(edit, Latin1(text));
    if (selected) {
        // The anchor goes back to the end the user started from.
        if (cursor == start) {
            edit.setSelection(start + length, -length);
        } else {
            edit.setSelection(start, length);
        }
    } else {
        edit.setCursorPosition(cursor);
    }
}

void SetClockFieldTime(QLineEdit& edit, const QTime& time) {
    SetMaskedText(edit, time.toString(QStringLiteral("HH:mm:ss")));
}

bool TickClockField(QLineEdit& edit) {
    const std::optional<std::string> next = TickClockText(ClockFieldText(edit));
    if (!next) {
        return false;
    }
    SetClockFieldText(edit, *next);
    return true;
}

void CorrectClockField(QLineEdit& edit) {
    const std::string text = ClockFieldText(edit);
    const std::string corrected = CorrectClockTime(text);
    if (corrected != text) {
        SetClockFieldText(edit, corrected);
    }
}

} // namespace lumivo::ui

#pragma once

#include "core/userfont.h"

#include <QString>

#include <vector>

namespace lumivo::ui {

// What the font transfer needs of the user-font windows: the font maker's characters and the
// European character picture that records which characters the sign holds. Header only, so the
// deletion window's font panel and the user-font windows meet without linking each other.
class UserFontSource {
public:
    virtual ~UserFontSource() = default;

    // Every record of the font maker's list, in list order.
    virtual std::vector<UserCharRecord> fontRecords() const = 0;
    // Draws the characters the sign took into the picture on screen, in order (a later one over
    // an earlier one of the same code). With `save` the picture is then written over the saved
    // picture file; the message says why that failed, and is empty when it did not.
    virtual QString drawSentCharacters(const std::vector<UserCharRecord>& sent, bool save) = 0;
};

// The font panel of the deletion window, as the font maker's "Transfer to Sign..." opens it.
class FontTransferPanel {
public:
    virtual ~FontTransferPanel() = default;
    // Shows the font panel without blocking; "Transfer" sends the characters of `source`.
    virtual void openTransferFont(UserFontSource& source) = 0;
};

} // namespace lumivo::ui

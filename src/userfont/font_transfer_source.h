#pragma once

#include "core/result.h"
#include "core/userfont.h"
#include "widgets/font_transfer.h"

#include <filesystem>
#include <functional>

namespace lumivo::userfont {

class FontMakerModel;
class TuEuropeanCharForm;

// The font maker's side of the font transfer: its list as it stands, and the picker's picture,
// into which the characters the sign took are drawn and which is then saved. Beside the picture
// file the font file kSentUserFontFile records every character the sign took.
class FontTransferSource final : public ui::UserFontSource {
public:
    FontTransferSource(const FontMakerModel& model, std::function<TuEuropeanCharForm*()> picker,
                       std::filesystem::path pictureFile);

    std::vector<UserCharRecord> fontRecords() const override;
    QString drawSentCharacters(const std::vector<UserCharRecord>& sent, bool save) override;

private:
    const FontMakerModel& m_model;
    std::function<TuEuropeanCharForm*()> m_picker;
    std::filesystem::path m_pictureFile;
};

// Adds `sent` to the record of the characters the sign holds, a later character of a code over
// an earlier one; the file is replaced whole or not at all.
Status RecordSentCharacters(const std::filesystem::path& sentFontFile,
                            const std::vector<UserCharRecord>& sent);

} // namespace lumivo::userfont

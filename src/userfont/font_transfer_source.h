#pragma once

#include "widgets/font_transfer.h"

#include <filesystem>
#include <functional>

namespace lumivo::userfont {
class FontMakerModel;
}

namespace lumivo::ui {

class TuEuropeanCharForm;

// The font maker's side of the font transfer: its list as it stands, and the picker's picture,
// into which the characters the sign took are drawn and which is then saved.
class FontTransferSource final : public UserFontSource {
public:
    FontTransferSource(const userfont::FontMakerModel& model,
                       std::function<TuEuropeanCharForm*()> picker,
                       std::filesystem::path pictureFile);

    std::vector<UserCharRecord> FontRecords() const override;
    QString DrawSentCharacters(const std::vector<UserCharRecord>& sent, bool save) override;

private:
    const userfont::FontMakerModel& m_model;
    std::function<TuEuropeanCharForm*()> m_picker;
    std::filesystem::path m_pictureFile;
};

} // namespace lumivo::ui

#include "userfont/font_transfer_source.h"

#include "userfont/euro_char_form.h"
#include "userfont/font_maker_model.h"

namespace lumivo::ui {

FontTransferSource::FontTransferSource(const userfont::FontMakerModel& model,
                                       std::function<TuEuropeanCharForm*()> picker,
                                       std::filesystem::path pictureFile)
    : m_model(model), m_picker(std::move(picker)), m_pictureFile(std::move(pictureFile)) {}

std::vector<UserCharRecord> FontTransferSource::FontRecords() const {
    return m_model.records();
}

QString FontTransferSource::DrawSentCharacters(const std::vector<UserCharRecord>& sent, bool save) {
    TuEuropeanCharForm* picker = m_picker ? m_picker() : nullptr;
    if (picker == nullptr) {
        return {};
    }
    picker->drawCharacters(sent);
    if (!save) {
        return {};
    }
    const Status written = picker->savePicture(m_pictureFile);
    return written ? QString() : QString::fromStdString(written.error().message);
}

} // namespace lumivo::ui

#include "userfont/font_transfer_source.h"

#include "userfont/euro_char_form.h"
#include "userfont/font_maker_model.h"

#include <system_error>

namespace lumivo::userfont {

FontTransferSource::FontTransferSource(const FontMakerModel& model,
                                       std::function<TuEuropeanCharForm*()> picker,
                                       std::filesystem::path pictureFile)
    : m_model(model), m_picker(std::move(picker)), m_pictureFile(std::move(pictureFile)) {}

std::vector<UserCharRecord> FontTransferSource::fontRecords() const {
    return m_model.records();
}

QString FontTransferSource::drawSentCharacters(const std::vector<UserCharRecord>& sent, bool save) {
    // The record of what the sign holds follows every character it took, also when a later one
    // was refused: those characters are on the sign, and the preview should show them.
    const Status recorded =
        RecordSentCharacters(m_pictureFile.parent_path() / kSentUserFontFile, sent);
    QString problem = recorded ? QString() : QString::fromStdString(recorded.error().message);
    TuEuropeanCharForm* picker = m_picker ? m_picker() : nullptr;
    if (picker == nullptr) {
        return problem;
    }
    picker->drawCharacters(sent);
    if (!save) {
        return problem;
    }
    const Status written = picker->savePicture(m_pictureFile);
    if (!written) {
        problem = QString::fromStdString(written.error().message);
    }
    return problem;
}

Status RecordSentCharacters(const std::filesystem::path& sentFontFile,
                            const std::vector<UserCharRecord>& sent) {
    // A record that cannot be read (missing before the first transfer, or damaged) holds
    // nothing: the characters just sent are then all the record knows of.
    std::vector<UserCharRecord> held;
    std::error_code error;
    if (std::filesystem::exists(sentFontFile, error)) {
        if (Result<FontFileContents> read = ReadFontFile(sentFontFile); read) {
            held = std::move(read->records);
        }
    }
    return WriteFontFile(sentFontFile, CharactersHeldAfter(held, sent));
}

} // namespace lumivo::userfont

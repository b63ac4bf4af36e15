#include "core/document.h"

#include "core/file_io.h"

namespace lumivo {

namespace {

DocumentFailure FailureOf(ReadStep step) {
    switch (step) {
    case ReadStep::Open:
    case ReadStep::NotRegular:
        return DocumentFailure::CannotOpen;
    case ReadStep::TooLarge:
    case ReadStep::Read:
        break;
    }
    return DocumentFailure::CannotLoad;
}

DocumentRead CannotLoad(const std::string& name, const std::string& why) {
    DocumentRead failed;
    failed.failure = DocumentFailure::CannotLoad;
    failed.message = "Cannot read " + name + ": " + why;
    return failed;
}

} // namespace

std::size_t LineCharacters(const RtfDocument& document) {
    const std::vector<StyledChar>& chars = document.chars;
    std::size_t count = chars.size();
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].byte == '\r' && i + 1 < chars.size() && chars[i + 1].byte == '\n') {
            ++i; // a CR LF pair counts its two characters
        } else if (chars[i].byte == '\r' || chars[i].byte == '\n') {
            ++count;
        }
    }
    return count;
}

DocumentRead ReadMessageDocument(const std::filesystem::path& path, RtfColour plainColour,
                                 bool plainBold, std::size_t maxBytes) {
    ReadStep failedStep = ReadStep::Read;
    const Result<Bytes> file = ReadWholeFile(path, maxBytes, &failedStep);
    if (!file) {
        DocumentRead failed;
        failed.failure = FailureOf(failedStep);
        failed.message = file.error().message;
        return failed;
    }
    return ReadMessageDocumentBytes(*file, path.string(), plainColour, plainBold, maxBytes);
}

DocumentRead ReadMessageDocumentBytes(std::string_view bytes, const std::string& name,
                                      RtfColour plainColour, bool plainBold, std::size_t maxBytes) {
    if (bytes.size() > maxBytes) {
        return CannotLoad(name, "it is " + std::to_string(bytes.size()) + " bytes, more than the " +
                                    std::to_string(maxBytes) + " a message document holds");
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return CannotLoad(name, "it holds NUL bytes, so it is not a message document");
    }

    DocumentRead read;
    bool readAsRtf = false;
    if (LooksLikeRtf(bytes)) {
        if (Result<RtfDocument> rtf = ReadRtf(bytes); rtf.ok()) {
            read.document = std::move(rtf).value();
            readAsRtf = true;
        }
    }
    if (!readAsRtf) {
        read.document = RtfDocument::fromText(bytes, plainColour, plainBold);
    }
    if (const std::size_t count = LineCharacters(read.document); count > kMaxLineCharacters) {
        return CannotLoad(name, "its line has " + std::to_string(count) +
                                    " characters, more than the " +
                                    std::to_string(kMaxLineCharacters) + " a line holds");
    }
    return read;
}

} // namespace lumivo

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

} // namespace

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
    const Bytes& bytes = *file;

    DocumentRead read;
    if (LooksLikeRtf(bytes)) {
        Result<RtfDocument> rtf = ReadRtf(bytes);
        if (rtf.ok()) {
            read.document = std::move(rtf).value();
            return read;
        }
    }
    read.document = RtfDocument::FromText(bytes, plainColour, plainBold);
    return read;
}

} // namespace lumivo

#include "image/picture_formats.h"

#include "core/file_io.h"
#include "image/argb_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace lumivo {

std::vector<std::string> WritablePictureSuffixes() {
    std::vector<std::string> suffixes;
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    for (const QByteArray& format : formats) {
        suffixes.push_back(format.toLower().toStdString());
    }
    std::sort(suffixes.begin(), suffixes.end());
    suffixes.erase(std::unique(suffixes.begin(), suffixes.end()), suffixes.end());
    return suffixes;
}

std::optional<std::string> WritableFormatOfName(const std::filesystem::path& path) {
    std::string suffix = path.extension().string();
    if (suffix.size() < 2) {
        return std::nullopt;
    }
    suffix.erase(0, 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::vector<std::string> writable = WritablePictureSuffixes();
    if (!std::binary_search(writable.begin(), writable.end(), suffix)) {
        return std::nullopt;
    }
    return suffix;
}

std::string UnwritableNameProblem(const std::filesystem::path& path) {
    if (WritableFormatOfName(path)) {
        return {};
    }
    std::string known;
    for (const std::string& suffix : WritablePictureSuffixes()) {
        known += (known.empty() ? "." : ", .") + suffix;
    }
    const std::string suffix = path.extension().string();
    return "cannot write " + path.string() + ": " +
           (suffix.size() < 2 ? std::string("the name has no suffix to choose a picture format")
                              : "no picture format is written as " + suffix) +
           " (the names may end in " + known + ")";
}

Status WritePictureAs(const std::filesystem::path& path, int width, int height,
                      const std::vector<std::uint32_t>& argb) {
    const std::optional<std::string> format = WritableFormatOfName(path);
    if (!format) {
        return Error{UnwritableNameProblem(path)};
    }
    const Result<QImage> image = ArgbImage(path, width, height, argb);
    if (!image.ok()) {
        return image.error();
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArray::fromStdString(*format));
    if (!writer.write(image.value()) || encoded.isEmpty()) {
        return Error{"Cannot write " + path.string() + ": the picture could not be encoded (" +
                     writer.errorString().toStdString() + ")"};
    }
    return WriteFileReplacing(
        path, std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

} // namespace lumivo

#include "userfont/euro_picture_file.h"

#include "core/file_io.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <system_error>
#include <utility>

namespace lumivo::userfont {

Result<EuroPicture> DecodeEuroPicture(const Bytes& bytes, const std::string& what) {
    const Result<BmpHeader> header = ReadBmpHeader(bytes);
    if (!header) {
        return Error{what + ": " + header.error().message};
    }
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QByteArrayLiteral("bmp"));
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return Error{what + ": Not a picture: " + reader.errorString().toStdString()};
    }
    if (image.width() != header->width || image.height() != header->height) {
        return Error{what + ": Not a picture: its pixels do not match its size"};
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    EuroPicture picture(image.width(), image.height(), SavedFormOf(*header));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            picture.setColour(x, y,
                              Rgb{static_cast<std::uint8_t>(qRed(line[x])),
                                  static_cast<std::uint8_t>(qGreen(line[x])),
                                  static_cast<std::uint8_t>(qBlue(line[x]))});
        }
    }
    return picture;
}

Result<EuroPicture> ReadEuroPicture(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path, kLargestEuroPictureFile);
    if (!bytes) {
        return bytes.error();
    }
    return DecodeEuroPicture(*bytes, path.string());
}

FactoryEuroPicture LoadFactoryEuroPicture(const std::filesystem::path& factoryFile) {
    std::string problem;
    std::error_code error;
    if (!factoryFile.empty() && std::filesystem::exists(factoryFile, error)) {
        Result<Bytes> bytes = ReadWholeFile(factoryFile, kLargestEuroPictureFile);
        if (!bytes) {
            problem = bytes.error().message;
        } else if (Result<EuroPicture> picture = DecodeEuroPicture(*bytes, factoryFile.string());
                   !picture) {
            problem = picture.error().message;
        } else {
            return {std::move(picture).value(), std::move(bytes).value(), {}};
        }
    }
    EuroPicture builtIn = BuiltInEuroPicture();
    Bytes file = EncodeEuroBmp(builtIn);
    return {std::move(builtIn), std::move(file), std::move(problem)};
}

} // namespace lumivo::userfont

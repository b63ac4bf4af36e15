#include "image/picture_file.h"

#include "core/file_io.h"
#include "core/graphic_picture_check.h"
#include "image/argb_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QList>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace lumivo {

namespace {

// More pixels than this are refused before decoding: 16 Mi pixels (4096 x 4096) decode well
// within a second and are 64 MiB as 32-bit pixels, 128 MiB as the 64-bit pixels of a 16-bit PNG.
constexpr qint64 kMaxPicturePixels = qint64{16} * 1024 * 1024;
// What the image reader may allocate for one picture, in MiB: the largest picture in its widest
// pixel format, so a reader that would need more stops instead of filling memory.
constexpr int kPictureAllocationLimitMiB = 128;

Error CannotRead(const std::string& what, const std::string& why) {
    return Error{"Cannot read " + what + ": " + why};
}

bool IsWholePicture(int width, int height, std::size_t pixelCount) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           pixelCount == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

std::string SizeText(const QSize& size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels";
}

bool HasPngName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png";
}

// The image encoded as PNG in memory; empty when the encoder failed.
QByteArray EncodePng(const QImage& image) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("png"));
    if (!writer.write(image)) {
        return {};
    }
    return encoded;
}

Status WriteEncoded(const std::filesystem::path& path, const QByteArray& encoded) {
    if (encoded.isEmpty()) {
        return Error{"Cannot write " + path.string() + ": the picture could not be encoded"};
    }
    return WriteFileReplacing(
        path, std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

} // namespace

Result<RgbPicture> DecodePicture(const Bytes& bytes, const std::string& what) {
    // The bytes first, before the reader looks at them: a file that lacks pixels would be filled
    // in blank, and compressed data beyond what the picture needs would be inflated to its end,
    // however long that takes (a PNG's metadata already while its size is read).
    if (Status whole = CheckPictureBytes(bytes, {kMaxPictureSide, kMaxPicturePixels}); !whole) {
        return CannotRead(what, whole.error().message);
    }
    // The reader works on a copy-free view of the bytes, which outlive it.
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kPictureAllocationLimitMiB);
    if (!reader.canRead()) {
        return CannotRead(what, "not a picture in a format this program reads");
    }
    // The size the file claims is checked before any pixel is decoded, so a small file that
    // claims a huge picture never fills memory or takes long.
    const QSize claimed = reader.size();
    if (claimed.isValid() &&
        (claimed.width() > kMaxPictureSide || claimed.height() > kMaxPictureSide ||
         qint64{claimed.width()} * claimed.height() > kMaxPicturePixels)) {
        return CannotRead(what, "the picture (" + SizeText(claimed) + ") is too large");
    }

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return CannotRead(what, "the picture is damaged (" +
                                    reader.errorString().toLocal8Bit().toStdString() + ")");
    }
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide) {
        return CannotRead(what, "the picture (" + SizeText(image.size()) + ") is too large");
    }
    // Transparency is ignored: each pixel takes the red, green and blue the file stores, which
    // is the colour the user painted whatever its opacity. Non-premultiplied pixels keep it.
    image = image.convertToFormat(QImage::Format_ARGB32);

    RgbPicture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back({static_cast<std::uint8_t>(qRed(line[x])),
                                      static_cast<std::uint8_t>(qGreen(line[x])),
                                      static_cast<std::uint8_t>(qBlue(line[x]))});
        }
    }
    return picture;
}

Result<RgbPicture> ReadPictureFile(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path, kMaxPictureFileBytes);
    if (!bytes) {
        return bytes.error();
    }
    return DecodePicture(bytes.value(), path.string());
}

Status WritePictureFile(const std::filesystem::path& path, const RgbPicture& picture) {
    if (!IsWholePicture(picture.width, picture.height, picture.pixels.size())) {
        return Error{"Cannot write " + path.string() + ": the picture has no pixels"};
    }
    if (!HasPngName(path)) {
        return WriteFileReplacing(path, EncodeBmp24(picture));
    }
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    if (image.isNull()) {
        return Error{"Cannot write " + path.string() + ": not enough memory for the picture"};
    }
    for (int y = 0; y < picture.height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < picture.width; ++x) {
            const Rgb colour = picture.at(x, y);
            line[3 * x] = colour.r;
            line[3 * x + 1] = colour.g;
            line[3 * x + 2] = colour.b;
        }
    }
    return WriteEncoded(path, EncodePng(image));
}

Status WritePngFile(const std::filesystem::path& path, int width, int height,
                    const std::vector<std::uint32_t>& argb) {
    const Result<QImage> image = ArgbImage(path, width, height, argb);
    if (!image.ok()) {
        return image.error();
    }
    return WriteEncoded(path, EncodePng(image.value()));
}

std::vector<std::string> ReadablePictureSuffixes() {
    std::vector<std::string> suffixes;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats) {
        suffixes.push_back(format.toLower().toStdString());
    }
    return suffixes;
}

} // namespace lumivo

// The European character picture read from bitmap files of every kind, drawn into and saved.

#include "core/file_io.h"
#include "core/test_support.h"
#include "userfont/euro_picture_file.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace lumivo::userfont {
namespace {

struct FormCase {
    std::string name;
    int writtenAs = 0;
    int colours = 0;
    bool blackAndWhite = true;
    int saved = 0;
};

std::vector<FormCase> ReadFormCases() {
    std::ifstream in(test::DataDir() / "euro" / "picture_forms.txt");
    std::vector<FormCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        FormCase c;
        std::string colours;
        fields >> c.name >> c.writtenAs >> colours >> c.saved;
        c.blackAndWhite = colours.find("nobw") == std::string::npos;
        c.colours = std::stoi(colours);
        cases.push_back(c);
    }
    return cases;
}

// Colour number i of a case: black and white first when the case has them, then others that
// are neither.
Rgb CaseColour(const FormCase& c, int i) {
    if (c.colours == 1) {
        return kEuroBlack;
    }
    if (c.blackAndWhite && i < 2) {
        return i == 0 ? kEuroBlack : kEuroWhite;
    }
    return Rgb{static_cast<std::uint8_t>(10 + i % 200), static_cast<std::uint8_t>(20 + i / 200),
               static_cast<std::uint8_t>(30 + i % 7)};
}

// The case's picture: its colours one after the other along the rows, then again.
EuroPicture CasePicture(const FormCase& c) {
    EuroPicture picture(kEuroPictureWidth, kEuroPictureHeight);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setColour(x, y, CaseColour(c, (y * picture.width() + x) % c.colours));
        }
    }
    return picture;
}

// The picture as a paint program would write it: Qt's writer, or ours for 32 bits.
Bytes CaseFile(const FormCase& c, const EuroPicture& picture) {
    if (c.writtenAs == 32) {
        EuroPicture copy = picture;
        copy.setForm(BmpForm{32, {}});
        return EncodeEuroBmp(copy);
    }
    QImage image;
    if (c.writtenAs <= 8) {
        // Qt writes a two-colour table as 1 bit, up to 16 colours as 4 and else 8.
        image = QImage(picture.width(), picture.height(),
                       c.writtenAs == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < c.colours; ++i) {
            const Rgb colour = CaseColour(c, i);
            table.push_back(qRgb(colour.r, colour.g, colour.b));
        }
        image.setColorTable(table);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                image.setPixel(x, y, static_cast<uint>((y * picture.width() + x) % c.colours));
            }
        }
    } else {
        image = QImage(picture.width(), picture.height(), QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const Rgb colour = picture.colour(x, y);
                image.setPixel(x, y, qRgb(colour.r, colour.g, colour.b));
            }
        }
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, "bmp").write(image));
    return Bytes(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

int BitsOf(const Bytes& file) {
    const Result<BmpHeader> header = ReadBmpHeader(file);
    return header ? header->bitsPerPixel : -1;
}

TEST(EuroPictureFile, EveryFormReadDrawnAndSavedInItsForm) {
    const std::vector<FormCase> cases = ReadFormCases();
    ASSERT_EQ(cases.size(), 9u);
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.name);
        const EuroPicture source = CasePicture(c);
        const Bytes file = CaseFile(c, source);
        ASSERT_EQ(BitsOf(file), c.writtenAs);
        const Result<EuroPicture> decoded = DecodeEuroPicture(file, c.name);
        ASSERT_TRUE(decoded) << decoded.error().message;
        EuroPicture read = *decoded;
        EXPECT_EQ(read.form().bitsPerPixel, c.writtenAs);
        EuroPicture drawn = source;
        drawn.setForm(read.form());
        EXPECT_EQ(read, drawn) << "the colours as the file holds them";

        DrawUserCharRecord(read, MakeUserCharRecord(0x41, 'A', {0xF8, 0x88, 0, 0, 0, 0, 0x88}));
        DrawUserCharRecord(drawn, MakeUserCharRecord(0x41, 'A', {0xF8, 0x88, 0, 0, 0, 0, 0x88}));
        const Bytes saved = EncodeEuroBmp(read);
        EXPECT_EQ(BitsOf(saved), c.saved);
        const Result<EuroPicture> again = DecodeEuroPicture(saved, c.name);
        ASSERT_TRUE(again) << again.error().message;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                ASSERT_EQ(again->colour(x, y), drawn.colour(x, y)) << x << "," << y;
            }
        }
        // Read back, the saved file is saved again as it is.
        EXPECT_EQ(EncodeEuroBmp(*again), saved);
    }
}

TEST(EuroPictureFile, TopDownRowsAndAnyPaletteOrder) {
    EuroPicture picture(9, 3);
    picture.setBlack(0, 0, true);
    picture.setBlack(8, 2, true);
    Bytes bytes = EncodeEuroBmp(picture);
    // Swap the palette and invert every pixel bit: the same colours, the table in another order.
    for (std::size_t i = 54; i < 58; ++i) {
        std::swap(bytes[i], bytes[i + 4]);
    }
    for (std::size_t i = 62; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(~bytes[i]);
    }
    Result<EuroPicture> swapped = DecodeEuroPicture(bytes, "swapped");
    ASSERT_TRUE(swapped) << swapped.error().message;
    EXPECT_TRUE(swapped->black(0, 0) && swapped->black(8, 2) && !swapped->black(1, 0));
    EXPECT_EQ(swapped->form().palette, (std::vector<Rgb>{kEuroWhite, kEuroBlack}));
    // Height -3: rows from the top; the file's first row is now the picture's top row.
    bytes[22] = static_cast<char>(0xFD);
    bytes[23] = bytes[24] = bytes[25] = static_cast<char>(0xFF);
    Result<EuroPicture> topDown = DecodeEuroPicture(bytes, "top-down");
    ASSERT_TRUE(topDown) << topDown.error().message;
    EXPECT_TRUE(topDown->black(8, 0));
    EXPECT_TRUE(topDown->black(0, 2));
    EXPECT_FALSE(topDown->black(0, 0));
}

TEST(EuroPictureFile, FileWrittenWholeAndReadBack) {
    test::TempDir dir;
    const auto path = dir.path() / "EuroCharForm58204.bmp";
    const EuroPicture picture = BuiltInEuroPicture();
    ASSERT_TRUE(WriteEuroBmp(path, picture));
    const Result<EuroPicture> read = ReadEuroPicture(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, picture);
    test::WriteBytes(path, "BM");
    const Result<EuroPicture> broken = ReadEuroPicture(path);
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error().message.find(path.string()), std::string::npos);
}

} // namespace
} // namespace lumivo::userfont

#include "image/picture_file.h"

#include "core/file_io.h"
#include "core/test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace lumivo {
namespace {

using test::TempDir;
using test::WriteBytes;

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every pixel a different colour, odd width so that BMP rows need padding.
RgbPicture Colourful(int width, int height) {
    RgbPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back({static_cast<std::uint8_t>(x * 7),
                                      static_cast<std::uint8_t>(y * 40 + 3),
                                      static_cast<std::uint8_t>(255 - x * 5)});
        }
    }
    return picture;
}

TEST(PictureFile, WritesByNameAndReadsBackEveryPixel) {
    struct Case {
        const char* name;
        const char* magic;
    };
    const Case cases[] = {
        {"p.png", "\x89PNG"}, {"p.PNG", "\x89PNG"}, {"p.bmp", "BM"},
        {"p.Png.bmp", "BM"},  {"noext", "BM"},      {"p.jpg", "BM"},
    };
    const TempDir dir;
    const RgbPicture picture = Colourful(37, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir.path() / c.name;
        ASSERT_TRUE(WritePictureFile(path, picture).ok());
        EXPECT_EQ(Contents(path).rfind(c.magic, 0), 0u);
        const Result<RgbPicture> back = ReadPictureFile(path);
        ASSERT_TRUE(back.ok()) << back.error().message;
        EXPECT_EQ(back->width, picture.width);
        EXPECT_EQ(back->height, picture.height);
        EXPECT_EQ(back->pixels, picture.pixels);
    }
}

TEST(PictureFile, PngOfAnySizeKeepsColoursAndIgnoresTransparency) {
    const TempDir dir;
    const auto path = dir.path() / "render.png";
    // Opaque red, see-through green, half-transparent yellow, opaque grey.
    const std::vector<std::uint32_t> argb = {0xFFFF0000, 0x0000FF00, 0x80FFFF00,
                                             0xFF808080, 0xFF000000, 0xFFFFFFFF};
    ASSERT_TRUE(WritePngFile(path, 3, 2, argb).ok());
    const Result<RgbPicture> back = ReadPictureFile(path);
    ASSERT_TRUE(back.ok()) << back.error().message;
    ASSERT_EQ(back->width, 3);
    ASSERT_EQ(back->height, 2);
    const std::vector<Rgb> expected = {{255, 0, 0},     {0, 255, 0}, {255, 255, 0},
                                       {128, 128, 128}, {0, 0, 0},   {255, 255, 255}};
    EXPECT_EQ(back->pixels, expected);
}

TEST(PictureFile, PicturesWithoutPixelsAreNotWritten) {
    const TempDir dir;
    EXPECT_FALSE(WritePngFile(dir.path() / "a.png", 2, 2, {0, 0, 0}).ok());
    EXPECT_FALSE(WritePngFile(dir.path() / "b.png", 0, 0, {}).ok());
    EXPECT_FALSE(WritePictureFile(dir.path() / "c.bmp", RgbPicture{}).ok());
    EXPECT_FALSE(WritePictureFile(dir.path() / "d.png", RgbPicture{2, 1, {{1, 2, 3}}}).ok());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A 1 x 1 BMP whose header claims another width and height.
Bytes BmpClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes bmp = EncodeBmp24(RgbPicture{1, 1, {{1, 2, 3}}});
    for (int i = 0; i < 4; ++i) {
        bmp[18 + i] = static_cast<char>(width >> (8 * i));
        bmp[22 + i] = static_cast<char>(height >> (8 * i));
    }
    return bmp;
}

TEST(PictureFile, BadInputIsRefusedWithTheFileNameAndReason) {
    const TempDir dir;
    const auto text = dir.path() / "notes.bmp";
    WriteBytes(text, "this is not a picture\n");
    const auto truncated = dir.path() / "cut.png";
    {
        const auto whole = dir.path() / "whole.png";
        ASSERT_TRUE(WritePictureFile(whole, Colourful(40, 40)).ok());
        WriteBytes(truncated, Contents(whole).substr(0, 60));
    }
    const auto wide = dir.path() / "wide.bmp";
    WriteBytes(wide, BmpClaiming(kMaxPictureSide + 1, 1));
    const auto huge = dir.path() / "huge.bmp";
    WriteBytes(huge, BmpClaiming(8000, 8000));
    const auto empty = dir.path() / "empty.png";
    WriteBytes(empty, "");

    struct Case {
        std::filesystem::path path;
        std::string reason;
    };
    const Case cases[] = {
        {text, "not a picture"},
        {truncated, "cut short"},
        {wide, "too large"},
        {huge, "too large"},
        {empty, "not a picture"},
        {dir.path(), "not a regular file"},
        {dir.path() / "missing.png", "No such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        const Result<RgbPicture> read = ReadPictureFile(c.path);
        ASSERT_FALSE(read.ok());
        EXPECT_NE(read.error().message.find(c.path.string()), std::string::npos)
            << read.error().message;
        EXPECT_NE(read.error().message.find(c.reason), std::string::npos) << read.error().message;
    }
}

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void PutChunk(std::string& png, const char* type, std::string_view data) {
    PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + std::string(data);
    png += typed;
    PutBigEndian(png, static_cast<std::uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                static_cast<uInt>(typed.size()))));
}

// A valid PNG of one black pixel whose image data inflates to `mebibytes` MiB of zeros: one
// compressed MiB repeated (it refers only to itself), an empty last block and the right checksum.
std::string InflatingPng(std::uint32_t mebibytes) {
    std::string segment(2048, '\0');
    {
        const std::string zeros(1 << 20, '\0');
        z_stream stream{};
        deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = static_cast<uInt>(zeros.size());
        stream.next_out = reinterpret_cast<Bytef*>(segment.data());
        stream.avail_out = static_cast<uInt>(segment.size());
        deflate(&stream, Z_SYNC_FLUSH);
        segment.resize(segment.size() - stream.avail_out);
        deflateEnd(&stream);
    }
    std::string data = "\x78\xda";
    for (std::uint32_t i = 0; i < mebibytes; ++i) {
        data += segment;
    }
    data += std::string("\x03\x00", 2); // the last block, empty
    const std::uint64_t length = std::uint64_t{mebibytes} << 20;
    PutBigEndian(data, static_cast<std::uint32_t>((length % 65521) << 16 | 1)); // adler-32

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(header, 1);
    PutBigEndian(header, 1);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit red, green, blue
    PutChunk(png, "IHDR", header);
    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t at = 0; at < data.size(); at += kChunk) {
        PutChunk(png, "IDAT", std::string_view(data).substr(at, kChunk));
    }
    PutChunk(png, "IEND", "");
    return png;
}

TEST(PictureFile, PictureThatInflatesWithoutBoundIsRefusedWithinASecond) {
    const TempDir dir;
    const auto bomb = dir.path() / "bomb.png";
    WriteBytes(bomb, InflatingPng(16 * 1024)); // 16 GiB from about 16 MB
    ASSERT_GT(std::filesystem::file_size(bomb), 10'000'000u);
    const auto start = std::chrono::steady_clock::now();
    const Result<RgbPicture> read = ReadPictureFile(bomb);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().message.find("inflates to more than the 4 bytes"), std::string::npos)
        << read.error().message;
}

TEST(PictureFile, FifoIsRefusedWithoutWaiting) {
    const TempDir dir;
    const auto fifo = dir.path() / "pipe.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto read = test::ReadWithinTwoSeconds(fifo, [&] { return ReadPictureFile(fifo); });
    ASSERT_TRUE(read.has_value()) << "the reader waited on the FIFO";
    ASSERT_FALSE(read->ok());
    EXPECT_NE(read->error().message.find(fifo.string()), std::string::npos);
}

long FailingWrite(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}

TEST(PictureFile, FailedWriteKeepsTheOldFile) {
    const TempDir dir;
    for (const char* name : {"old.bmp", "old.png"}) {
        SCOPED_TRACE(name);
        const auto path = dir.path() / name;
        WriteBytes(path, "previous content");
        detail::WriterCalls().write = FailingWrite;
        const Status written = WritePictureFile(path, Colourful(8, 8));
        detail::WriterCalls() = detail::DefaultWriterCalls();
        ASSERT_FALSE(written.ok());
        EXPECT_NE(written.error().message.find(path.string()), std::string::npos);
        EXPECT_EQ(Contents(path), "previous content");
    }
    // Nothing but the old files is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(PictureFile, ReadableSuffixesIncludeTheWrittenFormats) {
    const std::vector<std::string> suffixes = ReadablePictureSuffixes();
    for (const char* suffix : {"bmp", "png"}) {
        EXPECT_NE(std::find(suffixes.begin(), suffixes.end(), suffix), suffixes.end()) << suffix;
    }
    for (const std::string& suffix : suffixes) {
        EXPECT_TRUE(std::none_of(suffix.begin(), suffix.end(), [](char c) {
            return c >= 'A' && c <= 'Z';
        })) << suffix;
    }
}

} // namespace
} // namespace lumivo

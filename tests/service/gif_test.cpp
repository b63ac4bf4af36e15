// The animated picture of a sign: GIFs read back with the GIF library's own reader and checked,
// frame by frame, against the renderer, for every case of tests/data/service/gif_runs.tsv.

#include "service/sign_picture.h"

#include "core/compiler.h"
#include "core/led_render.h"
#include "signs/sent_graphics.h"
#include "test_support.h"

#include <QImage>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <sstream>

namespace lumivo::service {
namespace {

using lumivo::test::Split;

// A GIF as its reader sees it: each frame drawn over the one before, with its delay.
struct ReadGif {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> palette;
    bool loopsForever = false;
    std::vector<ArgbPicture> frames;
    std::vector<int> delays;
};

struct Source {
    const QByteArray* bytes;
    int at = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* out, int length) {
    auto* source = static_cast<Source*>(file->UserData);
    const int count = std::min(length, static_cast<int>(source->bytes->size()) - source->at);
    std::memcpy(out, source->bytes->constData() + source->at, static_cast<std::size_t>(count));
    source->at += count;
    return count;
}

std::optional<ReadGif> Decode(const QByteArray& bytes) {
    Source source{&bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&source, ReadFromMemory, &error);
    if (file == nullptr) {
        ADD_FAILURE() << "DGifOpen: " << GifErrorString(error);
        return std::nullopt;
    }
    std::optional<ReadGif> gif;
    if (DGifSlurp(file) != GIF_OK || file->SColorMap == nullptr) {
        ADD_FAILURE() << "DGifSlurp: " << GifErrorString(file->Error);
    } else {
        gif.emplace();
        gif->width = file->SWidth;
        gif->height = file->SHeight;
        for (int i = 0; i < file->SColorMap->ColorCount; ++i) {
            const GifColorType c = file->SColorMap->Colors[i];
            gif->palette.push_back(0xFF000000u | (std::uint32_t{c.Red} << 16) |
                                   (std::uint32_t{c.Green} << 8) | c.Blue);
        }
        ArgbPicture canvas{
            gif->width, gif->height,
            std::vector<std::uint32_t>(static_cast<std::size_t>(gif->width * gif->height), 0)};
        for (int i = 0; i < file->ImageCount; ++i) {
            const SavedImage& image = file->SavedImages[i];
            for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
                const ExtensionBlock& name = image.ExtensionBlocks[e];
                const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
                gif->loopsForever |=
                    name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
                    std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
                    data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0;
            }
            const GifImageDesc& d = image.ImageDesc;
            EXPECT_FALSE(d.Interlace);
            EXPECT_LE(d.Left + d.Width, gif->width);
            EXPECT_LE(d.Top + d.Height, gif->height);
            for (int y = 0; y < d.Height; ++y) {
                for (int x = 0; x < d.Width; ++x) {
                    canvas.pixels[static_cast<std::size_t>((d.Top + y) * gif->width + d.Left + x)] =
                        gif->palette.at(image.RasterBits[y * d.Width + x]);
                }
            }
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(file, i, &control);
            gif->delays.push_back(control.DelayTime);
            gif->frames.push_back(canvas);
        }
    }
    DGifCloseFile(file, &error);
    return gif;
}

// The line as a send stores it on the sign: what follows "<ID01><L?><P?>", without the trailer.
StoredLine Stored(const std::string& line, int number) {
    const signs::SentGraphics none;
    const auto page = BuildPage(line, number - 1, 'A', "01", none);
    EXPECT_TRUE(page.ok()) << line;
    const std::string_view stream = page.ok() ? std::string_view(page->stream) : "";
    return StoredLine{number, std::string(stream.substr(14, stream.size() - 19))};
}

std::uint32_t NamedColour(const std::string& name) {
    static const std::map<std::string, std::uint32_t> kColours = {
        {"board", kBoardColour},
        {"off", LampColour(Dot::Off, 100)},
        {"red", LampColour(Dot::Red, 100)},
        {"green", LampColour(Dot::Green, 100)},
        {"yellow", LampColour(Dot::Yellow, 100)}};
    return kColours.at(name);
}

TEST(SignPictureGif, PlaysOneRunOfEveryCaseAsTheRendererDraws) {
    test::ForEachCase("service/gif_runs.tsv", 7, [](const test::CaseRow& row) {
        const auto& f = row.fields;
        signs::Sign sign;
        sign.columns = std::stoi(f[1]);
        const std::vector<std::string> lines = Split(f[2], " || ");
        GifBounds bounds;
        if (f[6] != "-") {
            bounds.maxBytes = std::stoul(f[6]);
        }

        // One line goes the service's way, from the page as sent; two run as the sign shows both.
        QByteArray bytes;
        double run = 0;
        std::function<DotImage(double)> frameAt;
        std::optional<PageAnimation> animation;
        std::optional<SignDisplay> display;
        signs::SignRecord record;
        if (lines.size() == 1) {
            record.pages['A'] = signs::SentPage{lines[0], {}, {}};
            const Result<PageAnimation> animated =
                AnimateLine(lines[0], signs::SentGraphics(), SignMemory(), {sign.columns});
            ASSERT_TRUE(animated.ok());
            animation.emplace(*animated);
            run = animation->duration();
            frameAt = [&](double at) { return animation->frameAt(at); };
            const Result<QByteArray> gif = DrawSentPageGif(sign, record, 'A', bounds);
            ASSERT_TRUE(gif.ok()) << gif.error().message;
            bytes = *gif;
        } else {
            display.emplace(std::vector<StoredLine>{Stored(lines[0], 1), Stored(lines[1], 2)},
                            SignMemory(), SignGeometry{sign.columns});
            run = display->duration();
            frameAt = [&](double at) { return display->frameAt(at); };
            const Result<QByteArray> gif = EncodeRunGif(SampleRun(run, frameAt, bounds), bounds);
            ASSERT_TRUE(gif.ok()) << gif.error().message;
            bytes = *gif;
        }
        EXPECT_TRUE(bytes.startsWith("GIF89a"));
        EXPECT_LE(static_cast<std::size_t>(bytes.size()), bounds.maxBytes);
        const std::optional<ReadGif> gif = Decode(bytes);
        ASSERT_TRUE(gif.has_value());
        EXPECT_EQ(gif->width, sign.columns * 6);
        EXPECT_EQ(gif->height, kSignRows * 6);
        EXPECT_TRUE(gif->loopsForever);

        std::vector<std::uint32_t> palette;
        for (const std::string& name : Split(f[3], " ")) {
            palette.push_back(NamedColour(name));
        }
        ASSERT_GE(gif->palette.size(), palette.size());
        EXPECT_EQ(std::vector<std::uint32_t>(gif->palette.begin(),
                                             gif->palette.begin() +
                                                 static_cast<std::ptrdiff_t>(palette.size())),
                  palette);
        EXPECT_LT(gif->palette.size(), 2 * palette.size()) << "padded past a power of two";

        const int count = static_cast<int>(gif->frames.size());
        if (f[4].rfind(">=", 0) == 0) {
            EXPECT_GE(count, std::stoi(f[4].substr(2)));
        } else if (f[4][0] == '<') {
            EXPECT_LT(count, std::stoi(f[4].substr(1)));
        } else {
            EXPECT_EQ(count, std::stoi(f[4]));
        }
        EXPECT_LE(count, bounds.maxFrames);
        int total = 0;
        for (int delay : gif->delays) {
            EXPECT_GE(delay, 1);
            total += delay;
        }
        EXPECT_EQ(total,
                  f[5] == "run" ? static_cast<int>(std::lround(run * 100)) : std::stoi(f[5]));

        // Each frame is the renderer's picture at the moment it starts, and differs from the
        // frame before (equal ones are merged into one longer delay).
        int start = 0;
        for (int i = 0; i < count; ++i) {
            const ArgbPicture expected = DrawLedPicture(frameAt(start / 100.0));
            EXPECT_TRUE(gif->frames[i].pixels == expected.pixels)
                << "frame " << i << " at " << start;
            if (i > 0) {
                EXPECT_FALSE(gif->frames[i].pixels == gif->frames[i - 1].pixels) << "frame " << i;
            }
            start += gif->delays[static_cast<std::size_t>(i)];
        }

        // The frame on show at the first sample after the line first stands in full is the
        // PNG's picture (a run cut before that moment has no such frame).
        const int shown =
            animation
                ? static_cast<int>(std::ceil(animation->shownAt() * 100 / kGifStepCentiseconds)) *
                      kGifStepCentiseconds
                : total;
        if (shown < total) {
            std::size_t frame = 0;
            for (int ends = gif->delays[0]; ends <= shown; ends += gif->delays[frame]) {
                ++frame;
            }
            const Result<QByteArray> png = DrawSentPagePng(sign, record, 'A');
            ASSERT_TRUE(png.ok());
            const QImage image =
                QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(image.width(), gif->width);
            ASSERT_EQ(image.height(), gif->height);
            std::vector<std::uint32_t> pixels;
            for (int y = 0; y < image.height(); ++y) {
                const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
                pixels.insert(pixels.end(), line, line + image.width());
            }
            EXPECT_TRUE(pixels == gif->frames[frame].pixels) << "frame " << frame;
        }
    });
}

} // namespace
} // namespace lumivo::service

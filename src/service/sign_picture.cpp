#include "service/sign_picture.h"

#include "core/compiler.h"
#include "core/graphic.h"
#include "core/led_picture.h"
#include "core/led_render.h"
#include "service/gif_writer.h"
#include "signs/sent_graphics.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace lumivo::service {

std::optional<char> PictureShowsPage(const signs::SignRecord& record, std::optional<char> asked) {
    if (asked) {
        return record.pages.count(*asked) != 0 ? asked : std::nullopt;
    }
    if (record.runningPage && record.pages.count(*record.runningPage) != 0) {
        return record.runningPage;
    }
    return signs::LastSentPage(record);
}

namespace {

// The page as it was last sent, animated by the one renderer at the sign's width.
Result<PageAnimation> SentPageAnimation(const signs::Sign& sign, const signs::SignRecord& record,
                                        char page) {
    const auto sent = record.pages.find(page);
    if (sent == record.pages.end()) {
        return Error{"nothing was sent to page " + std::string(1, page)};
    }
    SignMemory memory;
    memory.userCharacters = UserCharactersOf(record.userCharacters);
    SignGeometry geometry;
    geometry.columns = std::clamp(sign.columns, kMinSignColumns, kMaxSignColumns);
    signs::SentGraphics graphics;
    graphics.set(sent->second.graphics);
    return AnimateLine(sent->second.line, graphics, memory, geometry);
}

// The board's colour, then the lamp colour of each kind of dot the frames show.
std::vector<std::uint32_t> PaletteOf(const std::vector<HeldFrame>& frames, const LedLook& look) {
    constexpr std::array<Dot, 4> kDots = {Dot::Off, Dot::Red, Dot::Green, Dot::Yellow};
    std::array<bool, kDots.size()> used{};
    for (const HeldFrame& frame : frames) {
        for (int y = 0; y < frame.dots.rows(); ++y) {
            for (int x = 0; x < frame.dots.columns(); ++x) {
                used[static_cast<std::size_t>(frame.dots.at(x, y))] = true;
            }
        }
    }
    std::vector<std::uint32_t> palette = {kBoardColour};
    for (std::size_t i = 0; i < kDots.size(); ++i) {
        const std::uint32_t colour = LampColour(kDots[i], look.brightnessPercent);
        if (used[i] && std::find(palette.begin(), palette.end(), colour) == palette.end()) {
            palette.push_back(colour);
        }
    }
    return palette;
}

} // namespace

std::vector<HeldFrame> SampleRun(double seconds, const std::function<DotImage(double)>& frameAt,
                                 const GifBounds& bounds) {
    // Held to what a frame's delay can say (65535 cs), whatever the bounds ask.
    const double longest = std::clamp(bounds.longestSeconds, 0.0, 600.0);
    const double run = std::isfinite(seconds) ? std::clamp(seconds, 0.0, longest) : longest;
    const int total = std::max(1, static_cast<int>(std::lround(run * 100.0)));
    const std::size_t maxFrames = static_cast<std::size_t>(std::max(1, bounds.maxFrames));
    std::vector<HeldFrame> frames;
    for (int at = 0; at < total; at += kGifStepCentiseconds) {
        const int stands = std::min(kGifStepCentiseconds, total - at);
        DotImage dots = frameAt(at / 100.0);
        if (!frames.empty() && frames.back().dots == dots) {
            frames.back().centiseconds += stands;
        } else if (frames.size() == maxFrames) {
            frames.back().centiseconds += total - at;
            break;
        } else {
            frames.push_back(HeldFrame{std::move(dots), stands});
        }
    }
    return frames;
}

Result<QByteArray> EncodeRunGif(const std::vector<HeldFrame>& frames, const GifBounds& bounds,
                                const LedLook& look) {
    if (frames.empty()) {
        return Error{"a run of no frames has no picture"};
    }
    const ArgbPicture first = DrawLedPicture(frames.front().dots, look);
    auto opened = GifWriter::open(first.width, first.height, PaletteOf(frames, look));
    if (!opened) {
        return opened.error();
    }
    GifWriter& writer = **opened;
    const std::size_t worst = GifWriter::worstFrameBytes(first.width, first.height);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        int stands = frames[i].centiseconds;
        // The last frame written when the one after it might not fit: it stands for the rest.
        const bool last = i + 1 == frames.size() || writer.size() + 2 * worst + 1 > bounds.maxBytes;
        if (last) {
            for (std::size_t rest = i + 1; rest < frames.size(); ++rest) {
                stands += frames[rest].centiseconds;
            }
        }
        const ArgbPicture picture = i == 0 ? first : DrawLedPicture(frames[i].dots, look);
        if (Status added = writer.add(picture, stands); !added) {
            return added.error();
        }
        if (last) {
            break;
        }
    }
    return writer.finish();
}

Result<QByteArray> DrawSentPageGif(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page, const GifBounds& bounds) {
    const Result<PageAnimation> animation = SentPageAnimation(sign, record, page);
    if (!animation) {
        return animation.error();
    }
    const std::vector<HeldFrame> frames = SampleRun(
        animation->duration(), [&](double at) { return animation->frameAt(at); }, bounds);
    return EncodeRunGif(frames, bounds);
}

Result<QByteArray> DrawSentPagePng(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page) {
    const Result<PageAnimation> animation = SentPageAnimation(sign, record, page);
    if (!animation) {
        return animation.error();
    }
    const ArgbPicture picture = DrawLedPicture(animation->frameAt(animation->shownAt()));
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(image.scanLine(y),
                    picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return Error{"the picture could not be encoded as PNG"};
    }
    return png;
}

} // namespace lumivo::service

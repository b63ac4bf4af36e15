#pragma once

#include "core/led_dots.h"
#include "core/led_picture.h"
#include "core/result.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace lumivo::service {

// The page a sign's picture shows: `asked` when given, else the page it was last told to run
// when that was sent from here, else the page sent last. Nothing when no page was sent.
std::optional<char> PictureShowsPage(const signs::SignRecord& record, std::optional<char> asked);

// A PNG picture of the sign showing the page as it was last sent (its line and the graphics
// it went with, the user characters it holds), drawn by the one LED renderer at the moment the
// line first stands in full, at the sign's width.
Result<QByteArray> DrawSentPagePng(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page);

// The animated picture samples a run every 40 ms: the frame time of the editor's preview and of
// the virtual sign's window (25 a second), which shows every effect smoothly, and a whole number
// of the GIF's centiseconds (viewers slow down delays under 2 cs, so the renderer's own 25 ms
// step cannot be used).
inline constexpr int kGifStepCentiseconds = 4;

// What one animated picture may take. A run longer than `longestSeconds` is cut there; a frame
// past `maxFrames`, or one that could take the file past `maxBytes`, is not drawn: the frame
// before it stands for the rest of the run. At 25 frames a second 60 s is 1 500 frames, and the
// widest sign (512 columns) at most about 450 KiB per frame.
struct GifBounds {
    double longestSeconds = 60.0;
    int maxFrames = 1500;
    std::size_t maxBytes = std::size_t{8} << 20;
};

// One frame of a run and how long it stands, in centiseconds.
struct HeldFrame {
    DotImage dots;
    int centiseconds = 0;
};

// A run of `seconds` as the sign shows it, `frameAt` giving the dots at a moment of the run:
// sampled every kGifStepCentiseconds, a frame equal to the one before merged into it, cut as the
// bounds say. The delays add up to the run (at least one centisecond), or to the longest run.
std::vector<HeldFrame> SampleRun(double seconds, const std::function<DotImage(double)>& frameAt,
                                 const GifBounds& bounds = {});

// The frames drawn as the PNG draws the sign, as an animated GIF that loops forever, its palette
// the lamp colours the frames use and the board. Stops early, with the last frame written held
// for the rest of the run, where the next frame could take the file past `bounds.maxBytes`.
Result<QByteArray> EncodeRunGif(const std::vector<HeldFrame>& frames, const GifBounds& bounds = {},
                                const LedLook& look = {});

// One run of the page as it was last sent (leading effect, display time, closing effect), as an
// animated GIF at the PNG's scale.
Result<QByteArray> DrawSentPageGif(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page, const GifBounds& bounds = {});

} // namespace lumivo::service

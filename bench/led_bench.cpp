// Timings of the LED renderer: one frame of a running page, and the work a preview does after a
// keystroke (compile the line, draw its static dots). Run: build/bin/led_bench

#include "core/compiler.h"
#include "core/led_render.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lumivo;

class MemoryGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view) const override { return m_graphic; }

private:
    Graphic m_graphic{std::vector<std::string>(8, std::string(64, 'D'))};
};

// A 210-character line of text, colours, a column, a graphic and a 7x13 part.
std::string Line210() {
    std::string line = "<Scoll Left><Red>Sale <Green>today<COL 090><Rainbow>every price "
                       "<Pic:G01><RYG>halved<Font5x8> until six<Orange> o'clock ";
    while (line.size() < 210) {
        line += "more text ";
    }
    return line.substr(0, 210);
}

// Frames at times spread over the run, so every phase (effects, moving on, display) is timed.
void FrameOfARunningPage(benchmark::State& state, const std::string& line, int columns) {
    const MemoryGraphics graphics;
    const auto animation = AnimateLine(line, graphics, {}, SignGeometry{columns});
    if (!animation.ok()) {
        state.SkipWithError("the line does not compile");
        return;
    }
    const double step = animation->duration() / 97.0;
    double t = 0;
    for (auto _ : state) {
        DotImage frame = animation->frameAt(t);
        benchmark::DoNotOptimize(frame);
        t += step;
    }
    state.SetLabel(std::to_string(animation->content().columns()) + " columns of dots");
}

void BM_Frame80x16Line210(benchmark::State& state) {
    FrameOfARunningPage(state, Line210(), 80);
}
BENCHMARK(BM_Frame80x16Line210)->Unit(benchmark::kMicrosecond);

void BM_Frame512x16Line210(benchmark::State& state) {
    FrameOfARunningPage(state, Line210(), 512);
}
BENCHMARK(BM_Frame512x16Line210)->Unit(benchmark::kMicrosecond);

// Snow draws every dot on its own: the dearest effect per frame.
void BM_Frame512x16Snow(benchmark::State& state) {
    FrameOfARunningPage(state, "<Snow><Snow><Inversed Red>" + Line210(), 512);
}
BENCHMARK(BM_Frame512x16Snow)->Unit(benchmark::kMicrosecond);

// A line of 5000 characters: a frame costs the window, not the line.
void BM_Frame80x16Line5000(benchmark::State& state) {
    std::string line;
    while (line.size() < 5000) {
        line += Line210();
    }
    FrameOfARunningPage(state, line.substr(0, 5000), 80);
}
BENCHMARK(BM_Frame80x16Line5000)->Unit(benchmark::kMicrosecond);

// What a preview does once per change of the line: compile it and draw its static dots.
void BM_AnimateLine210(benchmark::State& state) {
    const MemoryGraphics graphics;
    const std::string line = Line210();
    for (auto _ : state) {
        auto animation = AnimateLine(line, graphics, {}, SignGeometry{});
        benchmark::DoNotOptimize(animation);
    }
}
BENCHMARK(BM_AnimateLine210)->Unit(benchmark::kMicrosecond);

} // namespace

// Timings of the byte work that every send does: compiling a full line and cutting a graphic.
// Run: build/bin/core_bench

#include "core/compiler.h"
#include "core/graphic.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lumivo;

// Graphics from memory, so the benchmark times the compiler and not the disk.
class MemoryGraphics final : public GraphicSource {
public:
    Result<Graphic> load(std::string_view) const override { return m_graphic; }

private:
    Graphic m_graphic{std::vector<std::string>(8, std::string(64, 'A'))};
};

// A 210-character line with 20 tags of every kind.
std::string FullLine() {
    const std::string line =
        "<Xopen><Red>Sale<Font7x13>!<Hold><3Sec><Blinking><Speed 1><COL 010><Green>Now<Pic:G01>"
        "<Bell 1Sec><Display Time><RYG>x<Rainbow><Orange><Inversed Red><Font5x8><Font4x7><1Sec>"
        "<Green On Red>";
    std::string padded = line;
    while (padded.size() < 210) {
        padded += 'a';
    }
    return padded.substr(0, 210);
}

void BM_BuildPage210Chars20Tags(benchmark::State& state) {
    const MemoryGraphics graphics;
    const std::string line = FullLine();
    for (auto _ : state) {
        auto page = BuildPage(line, 0, 'A', "01", graphics);
        benchmark::DoNotOptimize(page);
    }
    state.SetLabel(std::to_string(line.size()) + " chars");
}
BENCHMARK(BM_BuildPage210Chars20Tags);

// A megabyte made only of tags (colours alone, or tags that are replaced, removed and grown
// mixed): the compiler must stay linear in the line.
void BM_BuildPageMegabyteOfTags(benchmark::State& state) {
    const MemoryGraphics graphics;
    const std::string unit = state.range(0) == 0 ? "<Red>" : "<Red><Hold><COL 010><Pic:G01>x";
    const std::size_t tagsPerUnit = state.range(0) == 0 ? 1 : 4;
    std::string line;
    while (line.size() + unit.size() <= (1u << 20)) {
        line += unit;
    }
    for (auto _ : state) {
        auto page = BuildPage(line, 0, 'A', "01", graphics);
        benchmark::DoNotOptimize(page);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(line.size()));
    state.SetLabel(std::to_string(line.size() / unit.size() * tagsPerUnit) + " tags");
}
BENCHMARK(BM_BuildPageMegabyteOfTags)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CutTallGraphic128x16(benchmark::State& state) {
    std::vector<std::string> rows;
    for (int y = 0; y < 16; ++y) {
        std::string row;
        for (int x = 0; x < 128; ++x) {
            row += "@ADE"[(x + y) % 4];
        }
        rows.push_back(row);
    }
    const Graphic graphic{rows};
    for (auto _ : state) {
        auto frames = GraphicBlockFrames('P', graphic, "01");
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_CutTallGraphic128x16);

} // namespace

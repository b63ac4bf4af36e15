// Timings of the drawing tools on a 128 x 8 graphic at zoom 10, over a canvas that keeps the
// stores and walks every shown cell on each full redraw as the grid's paint pass does.
// Run: build/bin/tools_bench

#include "core/graphic.h"
#include "graphic/drawing_tool.h"
#include "graphic/floating_selection.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace lumivo;
using namespace lumivo::graphic;

class BenchCanvas final : public ToolCanvas {
public:
    int width() const override { return 128; }
    int height() const override { return 8; }
    int zoom() const override { return 10; }
    char colour() const override { return kPixelGreen; }
    const PixelStore& store() const override { return m_store; }
    void setCell(int x, int y, char letter) override {
        if (x >= 0 && x < PixelStore::kSize && y >= 0 && y < PixelStore::kSize)
            m_store.set(x, y, letter);
    }
    void replaceStore(const PixelStore& store) override {
        m_store = store;
        redraw();
    }
    void setRubberBand(const RubberBand& band) override { m_band = band; }
    void drawTrailDot(int, int) override {}
    // The grid's full pass: the screen colour of every shown cell.
    void redraw() override {
        for (int x = 0; x < width(); ++x)
            for (int y = 0; y < height(); ++y)
                m_colourSum += ScreenColourOfLetter(m_store.at(x, y)).g;
        benchmark::DoNotOptimize(m_colourSum);
    }
    const PixelStore& floating() const override { return m_floating; }
    void replaceFloating(const PixelStore& floating) override { m_floating = floating; }
    bool floatingShown() const override { return false; }
    void showFloating(const QRect&) override {}
    void dropFloating() override {}
    void askText(std::function<void(const TextRequest&)>) override {}
    void beginStep() override {}
    void endStep(const QString&) override {}

private:
    PixelStore m_store;
    PixelStore m_floating;
    RubberBand m_band;
    std::uint64_t m_colourSum = 0;
};

void BM_FillAndFullPass128x8(benchmark::State& state) {
    BenchCanvas canvas;
    const auto fill = MakeDrawingTool(12);
    for (auto _ : state) {
        fill->pressed(canvas, QPoint(40, 40), Qt::LeftButton);
        fill->released(canvas, QPoint(40, 40), Qt::LeftButton);
    }
}
BENCHMARK(BM_FillAndFullPass128x8)->Unit(benchmark::kMicrosecond);

// One line dragged across the graphic: 200 rubber band moves, then the commit through the mask.
void BM_Line200MovesAndCommit(benchmark::State& state) {
    BenchCanvas canvas;
    const auto line = MakeDrawingTool(3);
    for (auto _ : state) {
        line->pressed(canvas, QPoint(0, 0), Qt::LeftButton);
        for (int i = 0; i < 200; ++i)
            line->moved(canvas, QPoint(i * 6, (i * 79) / 200), Qt::LeftButton);
        line->released(canvas, QPoint(1199, 79), Qt::LeftButton);
    }
    state.counters["per_move"] = benchmark::Counter(
        200, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Line200MovesAndCommit)->Unit(benchmark::kMicrosecond);

// One brush stroke of 200 moves across the graphic, each painting its 2 x 2 cells.
void BM_Brush200Moves(benchmark::State& state) {
    BenchCanvas canvas;
    const auto brush = MakeDrawingTool(2);
    for (auto _ : state) {
        brush->pressed(canvas, QPoint(0, 0), Qt::LeftButton);
        for (int i = 0; i < 200; ++i)
            brush->moved(canvas, QPoint(i * 6, (i * 79) / 200), Qt::LeftButton);
        brush->released(canvas, QPoint(1199, 79), Qt::LeftButton);
    }
    state.counters["per_move"] = benchmark::Counter(
        200, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Brush200Moves)->Unit(benchmark::kMicrosecond);

void BM_FilledEllipseCommit(benchmark::State& state) {
    BenchCanvas canvas;
    const auto ellipse = MakeDrawingTool(7);
    for (auto _ : state) {
        ellipse->pressed(canvas, QPoint(0, 0), Qt::LeftButton);
        ellipse->released(canvas, QPoint(1279, 79), Qt::LeftButton);
    }
}
BENCHMARK(BM_FilledEllipseCommit)->Unit(benchmark::kMicrosecond);

// Two lines of text into the 1280 x 80 mask and out into the floating store.
void BM_TextRender(benchmark::State& state) {
    TextRequest request;
    request.lines = {QStringLiteral("Open 24h"), QStringLiteral("Sale")};
    request.fontFamily = QStringLiteral("DejaVu Sans");
    request.pointSize = 10;
    request.heightField = QStringLiteral("16");
    PixelStore floating;
    for (auto _ : state) {
        const QSize size = RenderTextSelection(floating, request, 128, 8, kPixelRed);
        benchmark::DoNotOptimize(size);
    }
}
BENCHMARK(BM_TextRender)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

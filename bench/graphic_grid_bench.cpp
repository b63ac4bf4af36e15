// Timings of the graphic editor's grid: a full repaint into an image the size of the grid, as a
// size, zoom or Open redraws it.
// Run: build/bin/graphic_grid_bench

#include "graphic/graphic_grid.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lumivo;

PixelStore Pattern() {
    PixelStore store;
    const char letters[] = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};
    for (int x = 0; x < PixelStore::kSize; ++x) {
        for (int y = 0; y < PixelStore::kSize; ++y) {
            store.set(x, y, letters[(x * 7 + y * 3) % 4]);
        }
    }
    return store;
}

// The grid widget keeps one image and draws every dot into it.
void BM_FullRepaint(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    constexpr int kZoom = 10;
    const PixelStore store = Pattern();
    const graphic::DotSprites sprites(kZoom);
    QImage image(width * kZoom, height * kZoom, QImage::Format_RGB32);
    for (auto _ : state) {
        graphic::DrawDots(image, store, sprites, QRect(0, 0, width, height));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FullRepaint)->Args({128, 16})->Args({160, 160})->Unit(benchmark::kMillisecond);

// The same with the dot pictures made anew and the image allocated, as a zoom change does.
void BM_RenderGridAfterZoomChange(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const PixelStore store = Pattern();
    for (auto _ : state) {
        QImage image = graphic::RenderGrid(store, width, height, 10);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderGridAfterZoomChange)
    ->Args({128, 16})
    ->Args({160, 160})
    ->Unit(benchmark::kMillisecond);

} // namespace

// Timings of the graphic editor's grid: a full repaint into an image the size of the grid, as a
// size, zoom or Open redraws it; and, through the real window offscreen, a pen stroke and a Fill
// with the repaints they cause.
// Run: QT_QPA_PLATFORM=offscreen build/bin/graphic_grid_bench

#include "graphic/graphic_form.h"
#include "graphic/graphic_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <filesystem>

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

// The window at 128 x 8, zoom 10, shown offscreen, with tool `number` chosen.
std::unique_ptr<graphic::TGraphicForm> FormAt128x8Zoom10(int number) {
    auto form = std::make_unique<graphic::TGraphicForm>(
        nullptr, std::filesystem::temp_directory_path() / "lumivo-bench-no-graphics");
    auto* width = form->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    auto* height = form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    width->setCurrentIndex(4);
    Q_EMIT width->activated(4); // 128 dots
    height->setCurrentIndex(1);
    Q_EMIT height->activated(1); // 8 dots
    for (int i = 0; i < 7; ++i) {
        form->findChild<QToolButton*>(QStringLiteral("SpeedButton14"))->click();
    }
    form->findChild<QToolButton*>(QStringLiteral("SpeedButton") + QString::number(number))->click();
    form->resize(1400, 400);
    form->show();
    QApplication::processEvents();
    return form;
}

void Send(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// One pen stroke of 200 moves along the graphic, each move's cell repainted on screen before
// the next; the time reported is that of the whole stroke (divide by 200 for one move).
void BM_PenStroke200Moves(benchmark::State& state) {
    const auto form = FormAt128x8Zoom10(1);
    graphic::GraphicGrid* grid = form->grid();
    for (auto _ : state) {
        Send(grid, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < 200; ++i) {
            const QPoint at((i * 7) % 1280, 5 + (i % 8) * 10);
            Send(grid, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            grid->repaint(QRect(at.x() / 10 * 10, at.y() / 10 * 10, 10, 10));
        }
        Send(grid, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
    }
}
BENCHMARK(BM_PenStroke200Moves)->Unit(benchmark::kMillisecond);

// Fill on a release over the grid, then the whole grid repainted on screen.
void BM_FillAndFullRepaint(benchmark::State& state) {
    const auto form = FormAt128x8Zoom10(12);
    graphic::GraphicGrid* grid = form->grid();
    for (auto _ : state) {
        Send(grid, QEvent::MouseButtonPress, QPoint(15, 15), Qt::LeftButton, Qt::LeftButton);
        Send(grid, QEvent::MouseButtonRelease, QPoint(15, 15), Qt::LeftButton, Qt::NoButton);
        grid->repaint();
    }
}
BENCHMARK(BM_FillAndFullRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

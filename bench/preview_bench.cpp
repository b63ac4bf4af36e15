// The editor's preview: the time from a changed line to the new picture on screen, and the cost
// of one animation frame (at 25 frames a second, the share of one core is 25 times it).
#include "core/compiler.h"
#include "widgets/led_view.h"
#include "widgets/preview_model.h"
#include "widgets/preview_strip.h"

#include <QApplication>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace lumivo;

// A 200-character line with colours and effects, as a user would type it.
std::string LongLine() {
    std::string line = "<Scroll Left><Red>Sale ";
    while (line.size() < 200) {
        line += "<Green>50% <Orange>off ";
    }
    return line.substr(0, 200);
}

struct Preview {
    Preview() : model(std::make_shared<FolderGraphicSource>("/nonexistent")), strip(model) {
        strip.resize(900, 140);
        strip.show();
        // Painting starts once the window is on screen.
        while (strip.windowHandle() == nullptr || !strip.windowHandle()->isExposed()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        model.setPlaying(false); // the benchmark moves time itself
    }
    ui::PreviewModel model;
    ui::PreviewStrip strip;
};

// A key typed: the line compiled, animated and its frame painted.
void BM_KeystrokeToPicture(benchmark::State& state) {
    Preview preview;
    const std::string line = LongLine();
    int typed = 0;
    for (auto _ : state) {
        preview.model.setText(line.substr(0, 199) + static_cast<char>('a' + typed++ % 26));
        preview.model.flush();
        preview.strip.view()->repaint();
    }
    state.counters["compile_ms"] = preview.model.lastCompileMs();
}
BENCHMARK(BM_KeystrokeToPicture)->Unit(benchmark::kMillisecond);

// One tick of the animation: time moved on, the frame drawn, the dots that changed painted.
void BM_AnimationFrame(benchmark::State& state) {
    Preview preview;
    preview.model.setText(LongLine());
    preview.model.flush();
    preview.model.setPlaying(true);
    for (auto _ : state) {
        preview.model.advance(0.04);
        preview.strip.view()->repaint();
    }
}
BENCHMARK(BM_AnimationFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

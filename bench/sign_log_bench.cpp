// Times a page with two graphics sent to a virtual sign on TCP (lumivo-sign beside this
// program) with the real clock, with the Sign Log dock shown and with it hidden, the runs taking
// turns. The send runs on a CommandThread as in the editor, and its own time is taken on the
// worker around the runner, while the dock's timer takes and formats what the worker posts.
// Goal: the median with the log shown within 1 % of the median with it hidden.
//
//   QT_QPA_PLATFORM=offscreen sign_log_bench [runs]   (default 5 of each); exits 1 over the goal.

#include "core/compiler.h"
#include "core/graphic.h"
#include "link/command_thread.h"
#include "link/frame_log.h"
#include "link/port_factory.h"
#include "link/runners.h"
#include "widgets/sign_log_dock.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace lumivo;

namespace {

constexpr double kGoal = 0.01;

// lumivo-sign serving TCP on a free port of the loopback; empty target when it did not start.
QString StartSign(QProcess& process) {
    process.setProgram(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lumivo-sign")));
    process.setArguments({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                          QStringLiteral("--id"), QStringLiteral("01")});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    while (!process.canReadLine() && process.waitForReadyRead(5000)) {
    }
    const QString line = QString::fromLatin1(process.readLine()).trimmed();
    const QString prefix = QStringLiteral("listening on ");
    return line.startsWith(prefix) ? QStringLiteral("tcp://") + line.mid(prefix.size()) : QString();
}

// The runner's own seconds for one send; negative when the sign did not take it.
double TimeSend(const QString& target, const GraphicSource& graphics) {
    link::CommandThread thread;
    std::atomic<double> seconds{-1};
    QEventLoop loop;
    QObject::connect(&thread, &link::CommandThread::finished, &loop, &QEventLoop::quit);
    thread.start(
        [&](const link::Progress& progress) {
            link::RealClock clock;
            const auto start = std::chrono::steady_clock::now();
            link::Outcome outcome = link::RunSendMessage(
                link::LoggedOpener(link::OpenerForTarget(target), target.toStdString()), clock,
                {"<Pic:G01>Log<Pic:G02>", "01", 'A', &graphics}, progress);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            seconds = outcome.success ? took.count() : -1.0;
            return outcome;
        },
        "Send Message");
    loop.exec();
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString() + "/Graphdata";
    std::filesystem::create_directories(folder);
    if (!WriteGraphicFile(GraphicPath(folder, "G01"), std::vector(16, std::string(64, 'A'))).ok() ||
        !WriteGraphicFile(GraphicPath(folder, "G02"),
                          std::vector(16, std::string(32, 'D') + std::string(32, 'E')))
             .ok()) {
        std::fprintf(stderr, "sign_log_bench: cannot write the graphics\n");
        return 2;
    }
    const FolderGraphicSource graphics(folder);
    QProcess sign;
    const QString target = StartSign(sign);
    if (target.isEmpty()) {
        std::fprintf(stderr, "sign_log_bench: the virtual sign did not start\n");
        return 2;
    }
    auto queue = std::make_shared<link::FrameLogQueue>();
    link::SetFrameLogQueue(queue);
    ui::SignLogDock dock(queue);
    std::vector<double> shown;
    std::vector<double> hidden;
    for (int i = 0; i < runs; ++i) {
        for (bool open : {true, false}) {
            dock.setVisible(open);
            const double seconds = TimeSend(target, graphics);
            if (seconds < 0) {
                std::fprintf(stderr, "sign_log_bench: the sign did not take the page\n");
                return 2;
            }
            (open ? shown : hidden).push_back(seconds);
            std::printf("run %d, log %s: %.4f s\n", i + 1, open ? "shown " : "hidden", seconds);
        }
    }
    dock.setVisible(true);
    dock.takeNew();
    const double withLog = Median(shown);
    const double without = Median(hidden);
    const double change = withLog / without - 1.0;
    std::printf("median with the log shown %.4f s, hidden %.4f s: %+.2f %% (%lld lines shown)\n",
                withLog, without, 100.0 * change,
                static_cast<long long>(dock.text().count(QLatin1Char('\n')) + 1));
    sign.terminate();
    sign.waitForFinished(3000);
    return change <= kGoal ? 0 : 1;
}

// Times a page with two graphics sent to one sign, then to N signs at once through the
// dispatcher, each sign a virtual sign (lumivo-sign beside this program) on a TCP port of its
// own, with the real clock. Signs on different lines run in parallel, so N signs should take
// hardly longer than one: the goal is at most 1.1 times one sign's time.
//
// A plain timed program rather than a micro-benchmark: a send lasts seconds and is dominated by
// the pauses between frames, so repetition statistics would add nothing but run time.
//
//   multi_sign_bench [runs] [signs]   (defaults 1 and 16); each run times both sends; prints
//   both medians and their ratio, and exits 1 when the ratio is over 1.1.

#include "core/graphic.h"
#include "signs/dispatcher.h"
#include "signs/sign_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace lumivo;

namespace {

constexpr double kGoal = 1.1;

// One virtual sign serving TCP clients on a free port of the loopback.
class TcpSign {
public:
    explicit TcpSign(const QString& program) {
        m_process.setProgram(program);
        m_process.setArguments({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                QStringLiteral("--id"), QStringLiteral("01")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        // The first line is "listening on HOST:PORT".
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        const QString line = QString::fromLatin1(m_process.readLine()).trimmed();
        const QString prefix = QStringLiteral("listening on ");
        if (line.startsWith(prefix)) {
            m_target = QStringLiteral("tcp://") + line.mid(prefix.size());
        }
    }
    ~TcpSign() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    TcpSign(const TcpSign&) = delete;
    TcpSign& operator=(const TcpSign&) = delete;

    // Empty when the sign did not start.
    const QString& target() const { return m_target; }

private:
    QProcess m_process;
    QString m_target;
};

// Two graphics of 64 x 16 dots (four blocks each) in `folder`.
bool MakeGraphics(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::vector<std::string> first(16, std::string(64, 'A'));
    const std::vector<std::string> second(16, std::string(32, 'D') + std::string(32, 'E'));
    return WriteGraphicFile(GraphicPath(folder, "G01"), first).ok() &&
           WriteGraphicFile(GraphicPath(folder, "G02"), second).ok();
}

// The seconds a send of the page to `signs` takes; negative when a sign did not take it.
double TimeSend(signs::Dispatcher& dispatcher, const std::vector<signs::Sign>& signs,
                const std::shared_ptr<const GraphicSource>& graphics) {
    const auto started = std::chrono::steady_clock::now();
    const signs::DispatchResult result = dispatcher.run(
        signs, signs::SendPageCommand("Two pictures <Pic:G01><Pic:G02>", 'A', graphics));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!result.allSucceeded()) {
        std::fprintf(stderr, "%s\n", result.summary().toStdString().c_str());
        return -1;
    }
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const int count = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 64) : 16;

    // The graphics live in the Graphdata folder of a program folder of this run's own.
    QTemporaryDir home;
    const std::filesystem::path graphdata =
        std::filesystem::path(home.path().toStdString()) / "Graphdata";
    if (!home.isValid() || !MakeGraphics(graphdata)) {
        std::fprintf(stderr, "multi_sign_bench: the graphics could not be written\n");
        return 1;
    }
    qputenv("LUMIVO_HOME", home.path().toLocal8Bit());
    const auto graphics = std::make_shared<FolderGraphicSource>(graphdata);

    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lumivo-sign"));
    std::vector<std::unique_ptr<TcpSign>> started;
    std::vector<signs::Sign> all;
    for (int n = 0; n < count; ++n) {
        started.push_back(std::make_unique<TcpSign>(program));
        if (started.back()->target().isEmpty()) {
            std::fprintf(stderr, "multi_sign_bench: %s did not start\n",
                         program.toStdString().c_str());
            return 1;
        }
        signs::Sign sign;
        sign.name = QStringLiteral("sign %1").arg(n + 1);
        sign.port = started.back()->target();
        all.push_back(sign);
    }

    signs::Dispatcher dispatcher(signs::PortOpenerForSigns(QString()), QString(), nullptr, nullptr);
    std::vector<double> one;
    std::vector<double> many;
    for (int run = 0; run < runs; ++run) {
        one.push_back(TimeSend(dispatcher, {all.front()}, graphics));
        many.push_back(TimeSend(dispatcher, all, graphics));
        if (one.back() < 0 || many.back() < 0) {
            return 1;
        }
        std::printf("run %d: 1 sign %.3f s, %d signs %.3f s\n", run + 1, one.back(), count,
                    many.back());
    }
    const double ratio = Median(many) / Median(one);
    std::printf("median: 1 sign %.3f s, %d signs %.3f s, ratio %.3fx (goal at most %.1fx)\n",
                Median(one), count, Median(many), ratio, kGoal);
    return ratio <= kGoal ? 0 : 1;
}

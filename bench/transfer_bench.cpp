// Times a Send Message of one page and 32 graphic blocks with the real clock, through the serial
// port, to a sign on a pseudo-terminal that answers "ACK" at once. The mandated pauses alone take
// 200 + 100 + 32 x 250 + 200 = 8500 ms; everything above that is the link's own cost (framing,
// port calls, reply reads), which should stay within 3 %.
//
// A plain timed program rather than a micro-benchmark: one run lasts seconds and is dominated by
// sleeps, so repetition statistics would add nothing but run time.
//
//   transfer_bench [runs]   (default 1); exits 1 when a run is more than 3 % over.

#include "link/port_factory.h"
#include "link/runners.h"

// The pseudo-terminal sign and the in-memory graphics are the link tests' own helpers.
#include "../tests/link/link_test_support.h"
#include "../tests/link/pty_support.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace lumivo;
using namespace lumivo::link;

namespace {

// Records the pauses it takes while sleeping for real, so the mandated sum is measured, not
// assumed.
class CountingRealClock final : public Clock {
public:
    void delay(int ms) override {
        m_total += ms;
        m_real.delay(ms);
    }
    int total() const { return m_total; }

private:
    RealClock m_real;
    int m_total = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    test::MemoryGraphics graphics;
    const char letters[] = {'A', 'D', 'E', 'A'};
    for (int g = 0; g < 4; ++g) {
        // 128 x 16 dots: eight blocks each.
        graphics.add(GraphicName(g + 1), test::SolidRows(16, 128, letters[g]));
    }
    const SendMessageInput input{"<Pic:G01><Pic:G02><Pic:G03><Pic:G04> Welcome", "01", 'A',
                                 &graphics};

    test::PseudoTerminal pty;
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 2;
    }
    test::AnsweringSign sign(pty);
    const PortOpener open = OpenerForTarget(QString::fromStdString(pty.path()));

    bool withinGoal = true;
    for (int run = 1; run <= runs; ++run) {
        CountingRealClock clock;
        const int framesBefore = sign.frames();
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = RunSendMessage(open, clock, input);
        const double elapsedMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const int frames = sign.frames() - framesBefore;
        const double overPercent = 100.0 * (elapsedMs - clock.total()) / clock.total();
        std::printf("run %d: %s, %d frames, elapsed %.1f ms, pauses %d ms, over %.2f %%\n", run,
                    outcome.success ? "sent" : outcome.text.c_str(), frames, elapsedMs,
                    clock.total(), overPercent);
        if (!outcome.success || frames != 35 || overPercent > 3.0) {
            withinGoal = false;
        }
    }
    std::printf("%s\n", withinGoal ? "within 3 % of the mandated pauses" : "GOAL MISSED");
    return withinGoal ? 0 : 1;
}

#include "link/clock.h"

#include <chrono>
#include <numeric>
#include <thread>

namespace lumivo::link {

void RealClock::delay(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

int FakeClock::total() const {
    return std::accumulate(m_pauses.begin(), m_pauses.end(), 0);
}

} // namespace lumivo::link

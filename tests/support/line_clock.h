#pragma once

#include "link/clock.h"

namespace lumivo::test {

// Hands the pauses a runner takes to another clock, usually a fake line's: each sign or window
// gets a clock of its own while the pauses are seen in order with the line's frames.
class LineClock final : public link::Clock {
public:
    explicit LineClock(link::Clock& line) : m_line(line) {}
    void delay(int ms) override { m_line.delay(ms); }

private:
    link::Clock& m_line;
};

} // namespace lumivo::test

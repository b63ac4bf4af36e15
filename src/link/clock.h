#pragma once

#include <vector>

namespace lumivo::link {

// The pauses between frames.
class Clock {
public:
    virtual ~Clock() = default;
    // Returns once at least `ms` milliseconds have passed.
    virtual void delay(int ms) = 0;
};

// Sleeps the calling thread (the command's worker thread), burning no processor time.
class RealClock final : public Clock {
public:
    void delay(int ms) override;
};

// Records every pause and returns at once: runner tests check the pauses in order.
class FakeClock final : public Clock {
public:
    void delay(int ms) override { m_pauses.push_back(ms); }
    const std::vector<int>& pauses() const { return m_pauses; }
    int total() const;

private:
    std::vector<int> m_pauses;
};

} // namespace lumivo::link

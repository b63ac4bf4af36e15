#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <deque>
#include <map>
#include <optional>

namespace lumivo::service {

// One command for one sign as it waits for the sign's line: the path under the sign, the JSON
// body, the slot (what a newer command of the same slot replaces) and where it came from, for
// the log.
struct QueuedCommand {
    QString sign;
    QString action;
    QByteArray body;
    QString slot;
    QString origin;
};

// The commands for each sign that came while the sign was busy. A sign runs one command at a
// time; the others wait in the order they came, at most `perSign` of them. A newer command for a
// slot that already waits takes its place in the queue and the older is dropped unsent.
class CommandQueue {
public:
    explicit CommandQueue(std::size_t perSign) : m_perSign(perSign) {}

    enum class Offer {
        Start,    // the sign was idle: run the command now (the sign is busy from now on)
        Queued,   // it waits its turn
        Replaced, // it took the place of a waiting command of its slot, given back in `dropped`
        Refused,  // the sign's queue is full; the command is dropped
    };
    Offer offer(QueuedCommand command, std::optional<QueuedCommand>& dropped);

    // The sign's running command ended: the next to run, or nothing (the sign is idle again).
    std::optional<QueuedCommand> ended(const QString& sign);

    bool busy(const QString& sign) const { return m_signs.count(sign) != 0; }
    std::size_t waiting(const QString& sign) const;
    std::size_t perSign() const { return m_perSign; }
    bool empty() const { return m_signs.empty(); }

    // Forgets the waiting commands of a sign no longer listed; they are given back, for the log.
    std::deque<QueuedCommand> forget(const QString& sign);

private:
    std::size_t m_perSign;
    std::map<QString, std::deque<QueuedCommand>> m_signs; // busy signs and what waits for them
};

} // namespace lumivo::service

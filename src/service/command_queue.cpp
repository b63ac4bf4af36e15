#include "service/command_queue.h"

#include <algorithm>

namespace lumivo::service {

CommandQueue::Offer CommandQueue::offer(QueuedCommand command,
                                        std::optional<QueuedCommand>& dropped) {
    dropped.reset();
    const auto busy = m_signs.find(command.sign);
    if (busy == m_signs.end()) {
        m_signs.emplace(command.sign, std::deque<QueuedCommand>());
        return Offer::Start;
    }
    std::deque<QueuedCommand>& waiting = busy->second;
    const auto same =
        std::find_if(waiting.begin(), waiting.end(),
                     [&](const QueuedCommand& queued) { return queued.slot == command.slot; });
    if (same != waiting.end()) {
        dropped = std::move(*same);
        waiting.erase(same);
        waiting.push_back(std::move(command));
        return Offer::Replaced;
    }
    if (waiting.size() >= m_perSign) {
        return Offer::Refused;
    }
    waiting.push_back(std::move(command));
    return Offer::Queued;
}

std::optional<QueuedCommand> CommandQueue::ended(const QString& sign) {
    const auto busy = m_signs.find(sign);
    if (busy == m_signs.end()) {
        return std::nullopt;
    }
    if (busy->second.empty()) {
        m_signs.erase(busy);
        return std::nullopt;
    }
    QueuedCommand next = std::move(busy->second.front());
    busy->second.pop_front();
    return next;
}

std::size_t CommandQueue::waiting(const QString& sign) const {
    const auto busy = m_signs.find(sign);
    return busy == m_signs.end() ? 0 : busy->second.size();
}

std::deque<QueuedCommand> CommandQueue::forget(const QString& sign) {
    std::deque<QueuedCommand> dropped;
    const auto busy = m_signs.find(sign);
    if (busy != m_signs.end()) {
        dropped = std::move(busy->second);
        busy->second.clear(); // the running command still ends and frees the sign
    }
    return dropped;
}

} // namespace lumivo::service

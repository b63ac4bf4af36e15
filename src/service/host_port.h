#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace lumivo::service {

// "HOST:PORT" or "[v6]:PORT" split into the host (brackets taken off) and the port; nothing
// when there is no colon, no host or the port is not a number up to 65535.
inline std::optional<std::pair<QString, uint>> SplitHostPort(const QString& text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return std::nullopt;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
    }
    bool number = false;
    const uint port = text.mid(colon + 1).toUInt(&number);
    if (!number || port > 65535 || host.isEmpty()) {
        return std::nullopt;
    }
    return std::make_pair(host, port);
}

} // namespace lumivo::service

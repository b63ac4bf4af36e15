#pragma once

#include "core/result.h"
#include "signs/dispatcher.h"
#include "signs/sign_list.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace lumivo::signs {

// What a running lumivod tells the editor and lumivo-cli: its process, where it listens and the
// signs whose lines it owns. It keeps this in "lumivod.run" beside the settings file while it
// runs, so a desk user and the service never fight over a line.
struct ServiceRuntime {
    qint64 pid = 0;
    QString address;         // "127.0.0.1:8686", "[::1]:8686"
    std::vector<Sign> signs; // name, port and ID of each
};

std::filesystem::path ServiceRuntimePath(const std::filesystem::path& settingsFile);
// The token lumivod made, beside the settings file.
std::filesystem::path ServiceTokenPath(const std::filesystem::path& settingsFile);

QByteArray ServiceRuntimeJson(const ServiceRuntime& runtime);
// Nothing for a text that is not a runtime record: bad JSON, no positive pid, no address, a
// sign without a name or port or with an ID that is not two hexadecimal digits.
std::optional<ServiceRuntime> ParseServiceRuntime(const QByteArray& json);

Status WriteServiceRuntime(const std::filesystem::path& file, const ServiceRuntime& runtime);
// Removes the file when it is the record of process `pid`, so a newer lumivod's is kept.
void RemoveServiceRuntime(const std::filesystem::path& file, qint64 pid);

// True while process `pid` exists (one this user may not signal included).
bool ProcessIsAlive(qint64 pid);

// The record of a lumivod that runs now; nothing when there is no file, it is not a record, or
// its process is gone (a stale file left by a lumivod that was killed).
std::optional<ServiceRuntime> ReadLiveServiceRuntime(const std::filesystem::path& file);

// The route to lumivod for a sign on a line it owns: the sign of that line and ID it serves,
// or a route without a sign name when it owns the line but serves no sign of that ID there.
// Nothing when the line is not one of its own.
std::optional<ServiceRoute> RouteFor(const ServiceRuntime& runtime, const QByteArray& token,
                                     const Sign& sign, const QString& settingsFile);

// What the editor and lumivo-cli route with: the runtime record and token beside the settings
// file, read again for each sign, so a lumivod started or stopped meanwhile is seen.
Dispatcher::ServiceFor ServiceForSigns(QString settingsFile);

} // namespace lumivo::signs

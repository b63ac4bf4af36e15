#include "signs/service_runtime.h"

#include "core/file_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

#include <system_error>

namespace lumivo::signs {

namespace {

// A runtime record is a few lines per sign; anything larger is not one.
constexpr std::size_t kMaxRuntimeBytes = 1024 * 1024;
constexpr std::size_t kMaxTokenBytes = 1024;

bool IsSignId(const QString& id) {
    if (id.size() != 2) {
        return false;
    }
    for (const QChar c : id) {
        const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                         (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (!hex) {
            return false;
        }
    }
    return true;
}

} // namespace

std::filesystem::path ServiceRuntimePath(const std::filesystem::path& settingsFile) {
    return settingsFile.parent_path() / "lumivod.run";
}

std::filesystem::path ServiceTokenPath(const std::filesystem::path& settingsFile) {
    return settingsFile.parent_path() / "lumivod.token";
}

QByteArray ServiceRuntimeJson(const ServiceRuntime& runtime) {
    QJsonArray signs;
    for (const Sign& sign : runtime.signs) {
        signs.append(QJsonObject{{QStringLiteral("name"), sign.name},
                                 {QStringLiteral("port"), sign.port},
                                 {QStringLiteral("id"), QString::fromStdString(sign.id)}});
    }
    const QJsonObject object{{QStringLiteral("pid"), runtime.pid},
                             {QStringLiteral("address"), runtime.address},
                             {QStringLiteral("signs"), signs}};
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<ServiceRuntime> ParseServiceRuntime(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    ServiceRuntime runtime;
    const QJsonValue pid = object.value(QStringLiteral("pid"));
    runtime.pid = pid.isDouble() ? pid.toInteger() : 0;
    runtime.address = object.value(QStringLiteral("address")).toString();
    if (runtime.pid <= 0 || runtime.address.isEmpty() ||
        !object.value(QStringLiteral("signs")).isArray()) {
        return std::nullopt;
    }
    for (const QJsonValue& entry : object.value(QStringLiteral("signs")).toArray()) {
        const QJsonObject fields = entry.toObject();
        Sign sign;
        sign.name = fields.value(QStringLiteral("name")).toString();
        sign.port = fields.value(QStringLiteral("port")).toString();
        const QString id = fields.value(QStringLiteral("id")).toString();
        if (sign.name.isEmpty() || sign.port.isEmpty() || !IsSignId(id)) {
            return std::nullopt;
        }
        sign.id = id.toStdString();
        runtime.signs.push_back(std::move(sign));
    }
    return runtime;
}

Status WriteServiceRuntime(const std::filesystem::path& file, const ServiceRuntime& runtime) {
    const QByteArray json = ServiceRuntimeJson(runtime);
    return WriteFileReplacing(file, std::string_view(json.constData(), json.size()));
}

void RemoveServiceRuntime(const std::filesystem::path& file, qint64 pid) {
    const Result<Bytes> bytes = ReadWholeFile(file, kMaxRuntimeBytes);
    if (!bytes) {
        return;
    }
    const std::optional<ServiceRuntime> runtime =
        ParseServiceRuntime(QByteArray::fromStdString(*bytes));
    if (runtime && runtime->pid == pid) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

bool ProcessIsAlive(qint64 pid) {
    if (pid <= 0) {
        return false;
    }
#ifdef Q_OS_UNIX
    // Signal 0 only asks whether the process exists; EPERM says it does, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    return true; // no cheap test here: the record is taken, and a refused connection falls back
#endif
}

std::optional<ServiceRuntime> ReadLiveServiceRuntime(const std::filesystem::path& file) {
    const Result<Bytes> bytes = ReadWholeFile(file, kMaxRuntimeBytes);
    if (!bytes) {
        return std::nullopt;
    }
    std::optional<ServiceRuntime> runtime = ParseServiceRuntime(QByteArray::fromStdString(*bytes));
    if (!runtime || !ProcessIsAlive(runtime->pid)) {
        return std::nullopt;
    }
    return runtime;
}

std::optional<ServiceRoute> RouteFor(const ServiceRuntime& runtime, const QByteArray& token,
                                     const Sign& sign, const QString& settingsFile) {
    const QString line = LineKey(sign, settingsFile);
    std::optional<ServiceRoute> route;
    for (const Sign& served : runtime.signs) {
        if (LineKey(served, settingsFile) != line) {
            continue;
        }
        if (!route) {
            route = ServiceRoute{runtime.address, token, runtime.pid, QString(), {}};
        }
        route->signsOnLine.append(
            QStringLiteral("%1 (ID %2)").arg(served.name, QString::fromStdString(served.id)));
        // The desk's sign of that line and ID, under whatever name lumivod gives it; the same
        // name first, should two entries share the ID.
        if (served.id == sign.id && (route->signName.isEmpty() || served.name == sign.name)) {
            route->signName = served.name;
        }
    }
    return route;
}

Dispatcher::ServiceFor ServiceForSigns(QString settingsFile) {
    return [settingsFile](const Sign& sign) -> std::optional<ServiceRoute> {
        const std::filesystem::path settings = settingsFile.toStdString();
        const std::optional<ServiceRuntime> runtime =
            ReadLiveServiceRuntime(ServiceRuntimePath(settings));
        if (!runtime) {
            return std::nullopt;
        }
        const Result<Bytes> token = ReadWholeFile(ServiceTokenPath(settings), kMaxTokenBytes);
        const QByteArray tokenText =
            token ? QByteArray::fromStdString(*token).trimmed() : QByteArray();
        return RouteFor(*runtime, tokenText, sign, settingsFile);
    };
}

} // namespace lumivo::signs

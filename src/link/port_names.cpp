#include "link/port_names.h"

#include "core/settings_file.h"
#include "link/path_text.h"

namespace lumivo::link {

int NormalizeComPort(int n) {
    return (n < 1 || n > kComPortCount) ? 1 : n;
}

QString ComPortName(int n) {
    return QStringLiteral("COM%1").arg(NormalizeComPort(n));
}

namespace {

QString MappedTarget(int n, const QString& settingsFile) {
    // An environment variable LUMIVO_COMn maps a port for one run only (the launcher uses it to
    // point COM1 at a virtual sign without touching the settings).
    const QByteArray fromEnvironment =
        qgetenv(QStringLiteral("LUMIVO_%1").arg(ComPortName(n)).toLatin1().constData());
    if (!fromEnvironment.trimmed().isEmpty()) {
        return QString::fromLocal8Bit(fromEnvironment.trimmed());
    }
    if (settingsFile.isEmpty()) {
        return {};
    }
    const SettingsFile settings(FileSystemPath(settingsFile));
    const std::optional<std::string> target =
        settings.readString("Ports", ComPortName(n).toStdString());
    return target ? QString::fromLocal8Bit(QByteArray::fromStdString(*target)).trimmed()
                  : QString();
}

} // namespace

bool ComPortIsMapped(int n, const QString& settingsFile) {
    return !MappedTarget(n, settingsFile).isEmpty();
}

QString ComPortTarget(int n, const QString& settingsFile) {
    const QString mapped = MappedTarget(n, settingsFile);
    if (!mapped.isEmpty()) {
        return mapped;
    }
#ifdef Q_OS_WIN
    return ComPortName(n);
#else
    return QStringLiteral("/dev/ttyS%1").arg(NormalizeComPort(n) - 1);
#endif
}

} // namespace lumivo::link

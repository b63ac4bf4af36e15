#include "link/port_names.h"

#include <QSettings>

namespace lumivo::link {

int NormalizeComPort(int n) { return (n < 1 || n > kComPortCount) ? 1 : n; }

QString ComPortName(int n) { return QStringLiteral("COM%1").arg(NormalizeComPort(n)); }

namespace {

QString MappedTarget(int n, const QString& settingsFile) {
    if (settingsFile.isEmpty()) {
        return {};
    }
    QSettings settings(settingsFile, QSettings::IniFormat);
    return settings.value(QStringLiteral("Ports/") + ComPortName(n)).toString().trimmed();
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

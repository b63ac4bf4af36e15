#pragma once

// The virtual sign program as the dialogs' partner over a real pseudo-terminal.

#include "support/sign_process.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace lumivo::test {

// The virtual sign program on a pseudo-terminal, mapped to COM `comPort` (LUMIVO_COMn) for as
// long as it lives, with its frame log and its state file in a folder of its own.
class VirtualSign {
public:
    explicit VirtualSign(QStringList options = {}, int comPort = 4);
    ~VirtualSign();
    VirtualSign(const VirtualSign&) = delete;
    VirtualSign& operator=(const VirtualSign&) = delete;

    bool started() const { return m_device.startsWith(QStringLiteral("/dev/")); }
    int comPort() const { return m_comPort; }
    const QString& device() const { return m_device; }

    // Ends the sign (its log is complete afterwards) and returns the events it logged.
    QList<QJsonObject> stopAndReadLog();
    // The sign's whole state as it last wrote it.
    QJsonObject state() const;

private:
    QTemporaryDir m_folder;
    QString m_log;
    QString m_stateFile;
    QString m_device;
    int m_comPort;
    std::unique_ptr<SignProcess> m_process;
    bool m_stopped = false;
};

// The frame as it crossed the line, put back together from what the sign logged.
QString LoggedFrame(const QJsonObject& event);
QString Field(const QJsonObject& event, const char* name);

} // namespace lumivo::test

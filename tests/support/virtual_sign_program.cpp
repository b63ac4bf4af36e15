#include "virtual_sign_program.h"

#include <QFile>
#include <QJsonDocument>

namespace lumivo::test {

namespace {

QByteArray ComVariable(int comPort) {
    return QByteArrayLiteral("LUMIVO_COM") + QByteArray::number(comPort);
}

} // namespace

VirtualSign::VirtualSign(QStringList options, int comPort) : m_comPort(comPort) {
    m_log = m_folder.filePath(QStringLiteral("sign.jsonl"));
    m_stateFile = m_folder.filePath(QStringLiteral("state.json"));
    options << QStringLiteral("--log") << m_log << QStringLiteral("--state") << m_stateFile;
    std::vector<std::string> arguments;
    for (const QString& option : options) {
        arguments.push_back(option.toStdString());
    }
    m_process = std::make_unique<SignProcess>(arguments);
    m_device = QString::fromStdString(m_process->firstLine(5000));
    qputenv(ComVariable(m_comPort).constData(), m_device.toLocal8Bit());
}

VirtualSign::~VirtualSign() {
    if (!m_stopped) {
        m_process->stop();
    }
    qunsetenv(ComVariable(m_comPort).constData());
}

QList<QJsonObject> VirtualSign::stopAndReadLog() {
    if (!m_stopped) {
        m_stopped = true;
        m_process->stop();
    }
    QList<QJsonObject> events;
    QFile file(m_log);
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (!line.isEmpty()) {
                events.append(QJsonDocument::fromJson(line).object());
            }
        }
    }
    return events;
}

QJsonObject VirtualSign::state() const {
    QFile file(m_stateFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString Field(const QJsonObject& event, const char* name) {
    return event.value(QString::fromLatin1(name)).toString();
}

QString LoggedFrame(const QJsonObject& event) {
    return QStringLiteral("<ID") + Field(event, "id") + QLatin1Char('>') + Field(event, "payload") +
           Field(event, "checksum") + QStringLiteral("<E>");
}

} // namespace lumivo::test

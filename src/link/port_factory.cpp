#include "link/port_factory.h"

#include "link/port_names.h"
#include "link/serial_port.h"
#include "link/tcp_port.h"

namespace lumivo::link {

PortOpener OpenerForTarget(const QString& target) {
    // The opener runs on the command's thread, so the port's Qt object is born there.
    return [target]() -> std::unique_ptr<Port> {
        QString error;
        std::unique_ptr<Port> port;
        if (target.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
            QString host;
            quint16 number = 0;
            if (!TcpPort::parseTarget(target, host, number)) {
                error = QStringLiteral("not a network address of the form tcp://host:port");
            } else {
                port = TcpPort::open(host, number, &error);
            }
        } else if (target.isEmpty()) {
            error = QStringLiteral("no device is set for this port");
        } else {
            port = SerialPort::open(target, &error);
        }
        if (port == nullptr) {
            NoteOpenFailure(target.toStdString(), error.toStdString());
        } else {
            NoteOpenedDevice(target.toStdString());
        }
        return port;
    };
}

PortOpener OpenerForComPort(int n, const QString& settingsFile) {
    // The mapping is read now, on the caller's thread; the device is opened by the command.
    return OpenerForTarget(ComPortTarget(n, settingsFile));
}

} // namespace lumivo::link

#include "link/port_factory.h"

#include "link/port_names.h"
#include "link/serial_port.h"
#include "link/tcp_port.h"

namespace lumivo::link {

PortOpener OpenerForTarget(const QString& target) {
    // The opener runs on the command's thread, so the port's Qt object is born there.
    return [target]() -> std::unique_ptr<Port> {
        if (target.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
            QString host;
            quint16 port = 0;
            if (!TcpPort::parseTarget(target, host, port)) {
                return nullptr;
            }
            return TcpPort::open(host, port);
        }
        if (target.isEmpty()) {
            return nullptr;
        }
        return SerialPort::open(target);
    };
}

PortOpener OpenerForComPort(int n, const QString& settingsFile) {
    // The mapping is read now, on the caller's thread; the device is opened by the command.
    return OpenerForTarget(ComPortTarget(n, settingsFile));
}

} // namespace lumivo::link

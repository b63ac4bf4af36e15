#include "link/sign_connection.h"

#include "link/frame_log.h"
#include "link/port_factory.h"
#include "link/port_names.h"

namespace lumivo::link {

SignConnection MakeSignConnection(std::function<int()> comPortSetting, QString settingsFile) {
    SignConnection connection;
    connection.portOpener = [comPortSetting = std::move(comPortSetting),
                             settingsFile = std::move(settingsFile)] {
        const int n = comPortSetting();
        return LoggedOpener(OpenerForComPort(n, settingsFile), ComPortName(n).toStdString());
    };
    connection.makeClock = [] { return std::make_unique<RealClock>(); };
    return connection;
}

} // namespace lumivo::link

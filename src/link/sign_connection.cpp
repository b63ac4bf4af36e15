#include "link/sign_connection.h"

#include "link/port_factory.h"

namespace lumivo::link {

SignConnection MakeSignConnection(std::function<int()> comPortSetting, QString settingsFile) {
    SignConnection connection;
    connection.portOpener = [comPortSetting = std::move(comPortSetting),
                             settingsFile = std::move(settingsFile)] {
        return OpenerForComPort(comPortSetting(), settingsFile);
    };
    connection.makeClock = [] { return std::make_unique<RealClock>(); };
    return connection;
}

} // namespace lumivo::link

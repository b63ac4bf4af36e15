// Which device a COM port setting reaches: the one rule the editor, the command line and the
// launcher share.

#include "link/port_names.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivo::link {
namespace {

struct MappingCase {
    const char* settings; // nullptr: no settings file
    int port;
    const char* environment; // LUMIVO_COMn for this case, nullptr: unset
    const char* target;
    bool mapped;
};

TEST(PortNames, TheEnvironmentThenThePortsSectionThenThePlatformDefault) {
    const MappingCase cases[] = {
        {nullptr, 1, nullptr, "/dev/ttyS0", false},
        {nullptr, 9, nullptr, "/dev/ttyS0", false}, // out of range means COM1
        {"[Ports]\nCOM1=/dev/ttyUSB0\n", 1, nullptr, "/dev/ttyUSB0", true},
        {"[ports]\ncom3 = tcp://192.0.2.10:4001 \n", 3, nullptr, "tcp://192.0.2.10:4001", true},
        {"[Ports]\rCOM2=/dev/ttyACM0\r[Sign]\rcomport=2\r", 2, nullptr, "/dev/ttyACM0", true},
        {"[Ports]\r\nCOM1=\r\n", 1, nullptr, "/dev/ttyS0", false},
        {"[Sign]\nCOM1=/dev/ttyUSB0\n", 1, nullptr, "/dev/ttyS0", false}, // wrong section
        {"[Ports]\nCOM4=/dev/ttyUSB1\n", 4, "/dev/pts/7", "/dev/pts/7", true},
        {nullptr, 5, "  ", "/dev/ttyS4", false},
    };
    for (const MappingCase& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lumivo.INI"));
        if (c.settings != nullptr) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.settings);
        }
        const QByteArray variable =
            ComPortName(c.port).prepend(QStringLiteral("LUMIVO_")).toLatin1();
        if (c.environment != nullptr) {
            qputenv(variable.constData(), c.environment);
        }
        SCOPED_TRACE(c.settings != nullptr ? c.settings : "(no settings file)");
#ifndef Q_OS_WIN
        EXPECT_EQ(ComPortTarget(c.port, path), QString::fromLatin1(c.target));
#endif
        EXPECT_EQ(ComPortIsMapped(c.port, path), c.mapped);
        qunsetenv(variable.constData());
    }
}

} // namespace
} // namespace lumivo::link

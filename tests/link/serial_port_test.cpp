// The serial port over a real pseudo-terminal, and runners end to end through it.

#include "link/port_factory.h"
#include "link/runners.h"
#include "link/serial_port.h"
#include "link_test_support.h"
#include "pty_support.h"

#include <sys/file.h>

#include <gtest/gtest.h>

#include <chrono>

namespace lumivo::link::test {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_pty.ok()) << "no pseudo-terminal available"; }
    QString path() const { return QString::fromStdString(m_pty.path()); }
    PseudoTerminal m_pty;
};

TEST_F(SerialPortTest, BytesTravelBothWaysUnchanged) {
    auto port = SerialPort::open(path());
    ASSERT_TRUE(port);
    // Every byte value, CR and LF included, passes without translation.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_TRUE(port->writeBytes(all));
    EXPECT_TRUE(port->writeByte('\n'));
    EXPECT_EQ(m_pty.receive(257), all + "\n");

    ASSERT_TRUE(m_pty.send(std::string("AC\rK\n\0", 6)));
    std::string read;
    std::uint8_t b = 0;
    while (read.size() < 6 && port->readByte(b)) {
        read += static_cast<char>(b);
    }
    EXPECT_EQ(read, std::string("AC\rK\n\0", 6));
}

TEST_F(SerialPortTest, ReadTimesOutAfterAboutElevenHundredMillisecondsAndRecovers) {
    auto port = SerialPort::open(path());
    ASSERT_TRUE(port);
    std::uint8_t b = 0x5A;
    const auto start = Clock::now();
    EXPECT_FALSE(port->readByte(b));
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 1.0);
    EXPECT_LE(waited, 1.6);
    EXPECT_EQ(b, 0x5A);
    // The time-out is forgotten: the port still writes and reads.
    EXPECT_TRUE(port->writeBytes("<E>"));
    EXPECT_EQ(m_pty.receive(3), "<E>");
    m_pty.send("K");
    EXPECT_TRUE(port->readByte(b));
    EXPECT_EQ(b, 'K');
}

TEST_F(SerialPortTest, SecondOpenOfAHeldPortFailsUntilItIsClosed) {
    auto first = SerialPort::open(path());
    ASSERT_TRUE(first);
    QString why;
    EXPECT_EQ(SerialPort::open(path(), &why), nullptr);
    // Said as it is, with the holder: this very test program has the port.
    EXPECT_TRUE(why.startsWith(QStringLiteral("the device is in use by another program (")))
        << why.toStdString();
    EXPECT_TRUE(why.endsWith(QStringLiteral(", process %1)").arg(::getpid()))) << why.toStdString();
    first->close();
    first->close();
    EXPECT_FALSE(first->writeByte('x'));
    EXPECT_NE(SerialPort::open(path()), nullptr);
}

TEST_F(SerialPortTest, ADeviceLockedByAnotherProgramIsBusyEvenForRoot) {
    // Another program of ours holds the line: it opened the device plainly and took the lock.
    // The exclusive flag alone would not stop a second open (nor root); the lock does.
    const int other = ::open(m_pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    QString why;
    EXPECT_EQ(SerialPort::open(path(), &why), nullptr);
    EXPECT_TRUE(why.contains(QStringLiteral("in use"))) << why.toStdString();
    ::close(other);
    auto port = SerialPort::open(path(), &why);
    ASSERT_TRUE(port) << why.toStdString();
    // While we hold it, the other program's lock is refused in turn.
    const int again = ::open(m_pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(again, 0);
    EXPECT_NE(::flock(again, LOCK_EX | LOCK_NB), 0);
    ::close(again);
}

TEST_F(SerialPortTest, MissingDeviceCannotBeOpened) {
    EXPECT_EQ(SerialPort::open(QStringLiteral("/dev/lumivo-no-such-device")), nullptr);
    EXPECT_EQ(OpenerForTarget(QStringLiteral("/dev/lumivo-no-such-device"))(), nullptr);
    EXPECT_EQ(OpenerForTarget(QString())(), nullptr);
}

TEST_F(SerialPortTest, WriteFailsWhenTheOtherEndHasGone) {
    auto port = SerialPort::open(path());
    ASSERT_TRUE(port);
    m_pty.closeMaster();
    EXPECT_FALSE(port->writeBytes("<ID01><BE>05<E>"));
}

TEST_F(SerialPortTest, RunnerEndToEndWithAnAnsweringSign) {
    AnsweringSign sign(m_pty);
    FakeClock clock;
    EXPECT_EQ(RunSetBrightness(OpenerForTarget(path()), clock, "0A", 3),
              Info("  Set Brightness OK  "));

    MemoryGraphics graphics;
    graphics.add("G01", SolidRows(16, 64, 'E'));
    const Outcome sent =
        RunSendMessage(OpenerForTarget(path()), clock, {"<Pic:G01> Hello", "01", 'B', &graphics});
    EXPECT_EQ(sent, (Outcome{BoxKind::None, "", true}));
    // <BD>, then <BE>, the page, four blocks and <BF>.
    EXPECT_EQ(sign.frames(), 1 + 7);
    EXPECT_EQ(clock.pauses(), (std::vector<int>{200, 100, 250, 250, 250, 250, 200}));
}

TEST_F(SerialPortTest, SilentSignFailsAfterThreeReadTimeOuts) {
    FakeClock clock;
    const auto start = Clock::now();
    EXPECT_EQ(RunDeleteAll(OpenerForTarget(path()), clock, "01"),
              Plain("    Delete All Error    "));
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 3.0);
    EXPECT_LE(waited, 4.2);
    EXPECT_EQ(m_pty.receive(15), "<ID01><D*>6C<E>");
    // The port was closed on the way out: it opens again at once.
    EXPECT_NE(SerialPort::open(path()), nullptr);
}

} // namespace
} // namespace lumivo::link::test

// The TCP port against a local server standing in for a serial device server.

#include "link/port_factory.h"
#include "link/runners.h"
#include "link/tcp_port.h"
#include "link_test_support.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace lumivo::link::test {
namespace {

// The server accepts in the test's own thread: the kernel completes a connection before it is
// accepted, so the port under test and the server can take turns without an event loop.
class TcpPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.listen(QHostAddress::LocalHost, 0)); }

    QString target() const {
        return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.serverPort());
    }

    std::unique_ptr<QTcpSocket> accept() {
        if (!m_server.hasPendingConnections() && !m_server.waitForNewConnection(3000)) {
            return nullptr;
        }
        QTcpSocket* peer = m_server.nextPendingConnection();
        peer->setParent(nullptr);
        return std::unique_ptr<QTcpSocket>(peer);
    }

    static std::string receive(QTcpSocket& peer, qint64 count) {
        std::string bytes;
        while (static_cast<qint64>(bytes.size()) < count &&
               (peer.bytesAvailable() > 0 || peer.waitForReadyRead(2000))) {
            bytes += peer.read(count - static_cast<qint64>(bytes.size())).toStdString();
        }
        return bytes;
    }

    QTcpServer m_server;
};

TEST_F(TcpPortTest, ParsesOnlyTcpTargets) {
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(TcpPort::parseTarget(QStringLiteral("tcp://192.168.1.20:4001"), host, port));
    EXPECT_EQ(host, QStringLiteral("192.168.1.20"));
    EXPECT_EQ(port, 4001);
    EXPECT_TRUE(TcpPort::parseTarget(QStringLiteral("TCP://signs.local:23"), host, port));
    EXPECT_EQ(host, QStringLiteral("signs.local"));
    for (const char* bad : {"tcp://host", "tcp://:4001", "udp://host:4001", "/dev/ttyS0",
                            "tcp://host:4001/path", "tcp://host:99999"}) {
        EXPECT_FALSE(TcpPort::parseTarget(QLatin1String(bad), host, port)) << bad;
    }
}

TEST_F(TcpPortTest, BytesTravelBothWaysAndReadsTimeOut) {
    auto port = OpenerForTarget(target())();
    ASSERT_TRUE(port);
    auto peer = accept();
    ASSERT_TRUE(peer);

    EXPECT_TRUE(port->writeBytes(std::string("<ID01>\x80\x00<E>", 11)));
    EXPECT_EQ(receive(*peer, 11), std::string("<ID01>\x80\x00<E>", 11));

    peer->write("ACK");
    ASSERT_TRUE(peer->waitForBytesWritten(1000));
    std::string reply;
    std::uint8_t b = 0;
    while (reply.size() < 3 && port->readByte(b)) {
        reply += static_cast<char>(b);
    }
    EXPECT_EQ(reply, "ACK");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->readByte(b));
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 1.0);
    EXPECT_LE(waited, 1.6);
    EXPECT_TRUE(port->writeByte('x')); // a time-out does not break the connection
    EXPECT_EQ(receive(*peer, 1), "x");
}

TEST_F(TcpPortTest, WriteFailsOnceThePeerHasGone) {
    auto port = OpenerForTarget(target())();
    ASSERT_TRUE(port);
    auto peer = accept();
    ASSERT_TRUE(peer);
    peer->abort();
    peer.reset();
    m_server.close();
    bool failed = false;
    // The first bytes may still be taken by the kernel; the loss shows within a frame or two.
    for (int i = 0; i < 10 && !failed; ++i) {
        failed = !port->writeBytes("<ID01><BE>05<E>");
        std::uint8_t b = 0;
        port->readByte(b);
    }
    EXPECT_TRUE(failed);
}

TEST_F(TcpPortTest, RefusedConnectionAndBadTargetOpenNothing) {
    const quint16 unused = m_server.serverPort();
    m_server.close();
    EXPECT_EQ(OpenerForTarget(QStringLiteral("tcp://127.0.0.1:%1").arg(unused))(), nullptr);
    EXPECT_EQ(OpenerForTarget(QStringLiteral("tcp://127.0.0.1"))(), nullptr);
}

TEST_F(TcpPortTest, RunnerThroughTheSocket) {
    // The reply is queued before the frame: the server answers ahead, as a quick sign would.
    auto port = OpenerForTarget(target());
    FakeClock clock;
    // Connect, accept, and let the peer's "ACK" wait in the socket before the runner reads it.
    std::unique_ptr<QTcpSocket> peer;
    const PortOpener open = [&]() -> std::unique_ptr<Port> {
        auto opened = port();
        peer = accept();
        if (peer) {
            peer->write("ACK");
            peer->waitForBytesWritten(1000);
        }
        return opened;
    };
    EXPECT_EQ(RunRunPage(open, clock, "01", 'C'), Info("   Run page Error OK   "));
    ASSERT_TRUE(peer);
    EXPECT_EQ(receive(*peer, 16), "<ID01><RPC>43<E>");
}

} // namespace
} // namespace lumivo::link::test

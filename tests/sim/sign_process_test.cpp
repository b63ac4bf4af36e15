// The built lumivo-sign program, driven the way the editor drives a sign: through a
// pseudo-terminal in raw mode, or a TCP connection.
#include "core/frame.h"
#include "core/payloads.h"
#include "support/sign_process.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace lumivo {
namespace {

using test::MsLeft;
using test::ReadFor;
using test::ReadLines;
using test::SignProcess;
using test::WriteAll;
using Clock = std::chrono::steady_clock;

int OpenRawTerminal(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumivo-sign-XXXXXX");
        m_path = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    std::filesystem::path operator/(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const Bytes kPage = "<L1><PA><FE><MA><WC><FE>Hi";

TEST(SignProcess, PseudoTerminalAnswersAppliesAndLogs) {
    TempFolder folder;
    const auto log = folder / "sign.jsonl";
    const auto state = folder / "state.json";
    SignProcess sign({"--log", log.string(), "--state", state.string(), "--show"});
    const std::string path = sign.firstLine();
    ASSERT_TRUE(path.starts_with("/dev/pts/")) << path;

    int fd = OpenRawTerminal(path);
    ASSERT_GE(fd, 0);
    WriteAll(fd, BuildFrame(kPage, "01"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    WriteAll(fd, BuildFrame(RunPagePayload('A'), "00"));
    EXPECT_EQ(ReadFor(fd, 1, 300), ""); // all signs: nobody answers
    Bytes bad = BuildFrame(BrightnessPayload(1), "01");
    bad[bad.size() - 4] ^= 1;
    WriteAll(fd, bad);
    EXPECT_EQ(ReadFor(fd, 4, 1500), "NACK");
    close(fd);

    // The next command opens the port again and is served.
    fd = OpenRawTerminal(path);
    ASSERT_GE(fd, 0);
    WriteAll(fd, BuildFrame(BrightnessPayload(2), "01"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    // A block that came short is settled once the line is quiet, not left hanging.
    WriteAll(fd, BuildFrame("<GA1>" + Bytes(10, '\x11'), "01"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    close(fd);

    EXPECT_EQ(sign.stop(), 0);

    const auto lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 5u);
    for (const char* part : {"\"event\":\"frame\"", "\"id\":\"01\"", "\"kind\":\"page\"",
                             "\"payload\":\"<L1><PA><FE><MA><WC><FE>Hi\"", "\"checksum_ok\":true",
                             "\"reply\":\"ACK\""}) {
        EXPECT_TRUE(Contains(lines[0], part)) << part << " in " << lines[0];
    }
    EXPECT_TRUE(Contains(lines[1], "\"id\":\"00\",\"kind\":\"run-page\"")) << lines[1];
    EXPECT_TRUE(Contains(lines[1], "\"applied\":true,\"reply\":\"\"")) << lines[1];
    EXPECT_TRUE(Contains(lines[2], "\"checksum_ok\":false,\"applied\":false,\"reply\":\"NACK\""))
        << lines[2];
    EXPECT_TRUE(Contains(lines[3], "\"kind\":\"brightness\",\"payload\":\"<BC>\"")) << lines[3];
    EXPECT_TRUE(Contains(lines[4], "\"kind\":\"unknown\",\"payload\":\"<GA1>\\u0011")) << lines[4];

    const auto saved = ReadLines(state);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(Contains(saved[0], "\"brightness\":\"C\",\"running_page\":\"A\"")) << saved[0];
    EXPECT_TRUE(Contains(saved[0], "\"text\":\"Hi\"")) << saved[0];

    const std::string shown = sign.errorOutput();
    EXPECT_TRUE(Contains(shown, "page A (running)\nline 1\n")) << shown;
    EXPECT_TRUE(Contains(shown, "R...R...R...\n")) << shown; // the top row of "Hi"
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST(SignProcess, TcpServesOneClientAtATime) {
    SignProcess sign({"--listen", "127.0.0.1:0", "--id", "2C"});
    const std::string line = sign.firstLine();
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    const int port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    ASSERT_GT(port, 0);

    const int first = Connect(port);
    ASSERT_GE(first, 0);
    WriteAll(first, BuildFrame(kPage, "2C"));
    EXPECT_EQ(ReadFor(first, 3, 1500), "ACK");

    // A second client waits while the first is connected, and is served once it leaves.
    const int second = Connect(port);
    ASSERT_GE(second, 0);
    WriteAll(second, BuildFrame(RunPagePayload('A'), "2C"));
    EXPECT_EQ(ReadFor(second, 3, 300), "");
    close(first);
    EXPECT_EQ(ReadFor(second, 3, 1500), "ACK");
    close(second);

    EXPECT_EQ(sign.stop(), 0);
}

TEST(SignProcess, HangUpAfterClosesTheLineAndEnds) {
    SignProcess sign({"--hang-up-after", "2", "--id", "05"});
    const std::string path = sign.firstLine();
    const int fd = OpenRawTerminal(path);
    ASSERT_GE(fd, 0);
    WriteAll(fd, BuildFrame(kBeginTransferPayload, "05"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    WriteAll(fd, BuildFrame(kPage, "05"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");

    EXPECT_EQ(sign.waitExit(2000), 0);
    // The line is dead: reading gives end of file or an error, never a wait.
    char byte = 0;
    errno = 0;
    const ssize_t n = read(fd, &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << std::strerror(errno);
    close(fd);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SignProcess, DelayedGarbageReply) {
    SignProcess sign({"--garbage", "--reply-delay", "300"});
    const int fd = OpenRawTerminal(sign.firstLine());
    ASSERT_GE(fd, 0);
    const auto start = Clock::now();
    WriteAll(fd, BuildFrame(kPage, "01"));
    const std::string reply = ReadFor(fd, 3, 2000);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_EQ(reply.size(), 3u);
    EXPECT_FALSE(IsAckReply(reply));
    EXPECT_GE(took.count(), 290);
    close(fd);
    EXPECT_EQ(sign.stop(), 0);
}

TEST(SignProcess, BadOptionExitsWithUsage) {
    SignProcess sign({"--id", "00"});
    EXPECT_EQ(sign.waitExit(3000), 2);
    const std::string err = sign.errorOutput();
    EXPECT_TRUE(Contains(err, "usage: lumivo-sign")) << err;
    EXPECT_TRUE(Contains(err, "--id")) << err;
}

} // namespace
} // namespace lumivo

// The built lumivo-sign program, driven the way the editor drives a sign: through a
// pseudo-terminal in raw mode, or a TCP connection.
#include "core/frame.h"
#include "core/payloads.h"
#include "core/version.h"
#include "support/program_run.h"
#include "support/sign_process.h"
#include "support/small_file_system.h"

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
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
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

    // One line per event; the sign drawn again only when what it shows changed.
    const std::string shown = sign.errorOutput();
    EXPECT_TRUE(Contains(shown, "page A stored\npage A\n")) << shown;
    EXPECT_TRUE(Contains(shown, "running page A\npage A (running)\nR...R...R...")) << shown;
    EXPECT_TRUE(Contains(shown, "\nframe for sign 01 ignored: bad checksum\nbrightness 50 %\n"
                                "unknown command, nothing changed\n"))
        << shown;
}

TEST(SignProcess, LogIsAddedToAndShowSaysEachChangeInOneLine) {
    TempFolder folder;
    const auto log = folder / "sign.jsonl";
    {
        std::ofstream earlier(log);
        earlier << "{\"earlier\":true}\n";
    }
    SignProcess sign({"--log", log.string(), "--show", "--width", "16"});
    const int fd = OpenRawTerminal(sign.firstLine());
    ASSERT_GE(fd, 0);
    for (const Bytes& payload :
         {kPage, BrightnessPayload(3), SetClockPayload({2026, 12, 7}, "14:05:09"), kPage}) {
        WriteAll(fd, BuildFrame(payload, "01"));
        EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    }
    close(fd);
    EXPECT_EQ(sign.stop(), 0);

    const auto lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "{\"earlier\":true}");
    EXPECT_TRUE(Contains(lines[4], "\"kind\":\"page\"")) << lines[4];

    // The sign drawn once at sixteen columns: storing the same page again changes nothing shown.
    const std::string shown = sign.errorOutput();
    std::vector<std::string> out;
    std::istringstream in(shown);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    ASSERT_EQ(out.size(), 2u + 16u + 3u) << shown;
    EXPECT_EQ(out[0], "page A stored");
    EXPECT_EQ(out[1], "page A");
    for (std::size_t row = 2; row < 18; ++row) {
        EXPECT_EQ(out[row].size(), 16u) << shown;
        EXPECT_EQ(out[row].find_first_not_of(".RGY"), std::string::npos) << out[row];
    }
    EXPECT_EQ(out[2].substr(0, 5), "R...R") << shown; // the top of the "H"
    EXPECT_EQ(out[18], "brightness 25 %");
    EXPECT_EQ(out[19], "clock set to 2026-12-07 14:05:09");
    EXPECT_EQ(out[20], "page A stored");
}

TEST(SignProcess, RunsWithoutADisplayAndRefusesAWindowWithoutOne) {
    const std::vector<std::string> noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    // Without --window nothing of the window system is touched: the sign serves as ever.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const std::string& name : noDisplay) {
        if (const char* value = std::getenv(name.c_str())) {
            saved.emplace_back(name, value);
        }
        unsetenv(name.c_str());
    }
    {
        SignProcess sign({"--show"});
        const int fd = OpenRawTerminal(sign.firstLine());
        EXPECT_GE(fd, 0);
        if (fd >= 0) {
            WriteAll(fd, BuildFrame(kPage, "01"));
            EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
            close(fd);
        }
        EXPECT_EQ(sign.stop(), 0);
        EXPECT_TRUE(sign.errorOutput().starts_with("page A stored\npage A\n"));
    }
    for (const auto& [name, value] : saved) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    test::ExpectCommandLines(
        LUMIVO_SIGN_PATH,
        {{{"--window"},
          2,
          "",
          "lumivo-sign: --window needs a display (DISPLAY or WAYLAND_DISPLAY)\n"}},
        noDisplay);
}

// A loopback client of the sign; `receiveBuffer` (when not 0) shrinks what the kernel takes in
// for a client that stops reading.
int Connect(int port, int receiveBuffer = 0) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
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

TEST(SignProcess, TcpServesSeveralClientsAtOnce) {
    SignProcess sign({"--listen", "127.0.0.1:0", "--id", "2C"});
    const std::string line = sign.firstLine();
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    const int port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    ASSERT_GT(port, 0);

    const int first = Connect(port);
    ASSERT_GE(first, 0);
    WriteAll(first, BuildFrame(kPage, "2C"));
    EXPECT_EQ(ReadFor(first, 3, 1500), "ACK");

    // A second client is served while the first stays connected with half a frame sent; the
    // halves never mix, and each client gets the answer to its own frame.
    const Bytes frame = BuildFrame(kPage, "2C");
    WriteAll(first, frame.substr(0, 10));
    const int second = Connect(port);
    ASSERT_GE(second, 0);
    WriteAll(second, BuildFrame(RunPagePayload('A'), "2C"));
    EXPECT_EQ(ReadFor(second, 3, 1500), "ACK");
    WriteAll(first, frame.substr(10));
    EXPECT_EQ(ReadFor(first, 3, 1500), "ACK");
    EXPECT_EQ(ReadFor(second, 1, 200), "");
    close(first);
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

TEST(SignProcess, HelpVersionAndUnknownOptions) {
    test::ExpectCommandLines(
        LUMIVO_SIGN_PATH, {
                              {{"--help"}, 0, "usage: lumivo-sign ", ""},
                              {{"--show", "-h"}, 0, "usage: lumivo-sign ", ""},
                              {{"--version"}, 0, std::string("lumivo-sign ") + kVersion + "\n", ""},
                              {{"--bogus"}, 2, "", "lumivo-sign: unknown option --bogus\nusage: "},
                              {{"stray"}, 2, "", "lumivo-sign: unexpected argument 'stray'\n"},
                              {{"--log"}, 2, "", "lumivo-sign: --log needs a value\n"},
                          });
}

TEST(SignProcess, OutputsThatAreNotRegularFilesAreRefusedAtStart) {
    struct Case {
        const char* option;
        const char* name;
        void (*make)(const std::filesystem::path& at);
        std::filesystem::file_type typeAfter;
    };
    using std::filesystem::file_type;
    const std::vector<Case> cases = {
        {"--state", "device",
         [](const auto& at) { std::filesystem::create_symlink("/dev/full", at); },
         file_type::symlink},
        {"--state", "fifo", [](const auto& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
         file_type::fifo},
        {"--state", "folder", [](const auto& at) { std::filesystem::create_directory(at); },
         file_type::directory},
        {"--log", "fifo", [](const auto& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
         file_type::fifo},
        {"--log", "device",
         [](const auto& at) { std::filesystem::create_symlink("/dev/full", at); },
         file_type::symlink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.name);
        TempFolder folder;
        const auto path = folder / c.name;
        c.make(path);
        SignProcess sign({c.option, path.string()});
        EXPECT_EQ(sign.waitExit(3000), 2);
        const std::string err = sign.errorOutput();
        EXPECT_EQ(err, "lumivo-sign: " + std::string(c.option) + ": Cannot write " + path.string() +
                           ": not a regular file\n");
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), c.typeAfter);
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(SignProcess, StateIsReplacedWithoutFollowingALinkPlantedBesideIt) {
    TempFolder folder;
    const auto state = folder / "state.json";
    const auto victim = folder / "victim";
    std::ofstream(victim) << "keep me";
    std::filesystem::create_symlink(victim, state.string() + ".tmp");
    SignProcess sign({"--state", state.string()});
    const std::string path = sign.firstLine();
    ASSERT_TRUE(path.starts_with("/dev/pts/")) << path;
    const int fd = OpenRawTerminal(path);
    ASSERT_GE(fd, 0);
    WriteAll(fd, BuildFrame(kPage, "01"));
    EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    close(fd);
    EXPECT_EQ(sign.stop(), 0);

    EXPECT_EQ(ReadLines(victim), std::vector<std::string>{"keep me"});
    EXPECT_FALSE(std::filesystem::is_symlink(state));
    const auto saved = ReadLines(state);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(Contains(saved[0], "\"text\":\"Hi\"")) << saved[0];
}

TEST(SignProcess, AFullDiskUnderTheLogIsReportedOnceAndTheSignGoesOn) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const test::SmallFileSystem disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "no tmpfs could be mounted here";
    }
    const auto log = disk.path() / "sign.jsonl";
    SignProcess sign({"--log", log.string()});
    const std::string path = sign.firstLine();
    ASSERT_TRUE(path.starts_with("/dev/pts/")) << path;
    disk.fill();
    const int fd = OpenRawTerminal(path);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 3; ++i) {
        WriteAll(fd, BuildFrame(kPage, "01"));
        EXPECT_EQ(ReadFor(fd, 3, 1500), "ACK");
    }
    close(fd);
    EXPECT_EQ(sign.stop(), 0);
    EXPECT_EQ(sign.errorOutput(), "lumivo-sign: --log: Cannot write " + log.string() + ": " +
                                      std::strerror(ENOSPC) + "\n");
}

// A TCP client whose receive buffer is small, so answers it does not read pile up quickly.
int ConnectNotReading(int port) {
    return Connect(port, 1024);
}

enum class Flood { Closed, Stalled, TimedOut };

// Sends frames without reading a reply for up to `ms`, until the sign closes the connection or
// takes no more bytes for a while.
Flood FloodWithoutReading(int fd, int ms) {
    Bytes frames;
    while (frames.size() < 16384) {
        frames += BuildFrame(kPage, "01");
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (MsLeft(deadline) > 0) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, std::min(MsLeft(deadline), 500)) == 0) {
            return MsLeft(deadline) > 0 ? Flood::Stalled : Flood::TimedOut;
        }
        if (send(fd, frames.data(), frames.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 &&
            errno != EAGAIN && errno != EINTR) {
            return Flood::Closed;
        }
    }
    return Flood::TimedOut;
}

int ListeningPort(SignProcess& sign) {
    const std::string line = sign.firstLine();
    return std::atoi(line.substr(line.rfind(':') + 1).c_str());
}

TEST(SignProcess, TcpClientThatNeverReadsHoldsNobodyUp) {
    SignProcess sign({"--listen", "127.0.0.1:0"});
    const int port = ListeningPort(sign);
    ASSERT_GT(port, 0);
    // The first client connects first, sends a frame and never reads its answer.
    const int idle = ConnectNotReading(port);
    ASSERT_GE(idle, 0);
    WriteAll(idle, BuildFrame(kPage, "01"));
    const int busy = Connect(port);
    ASSERT_GE(busy, 0);
    for (int i = 0; i < 50; ++i) {
        WriteAll(busy, BuildFrame(BrightnessPayload(i % 4), "01"));
        ASSERT_EQ(ReadFor(busy, 3, 1500), "ACK") << "frame " << i;
    }
    close(busy);
    close(idle);
    EXPECT_EQ(sign.stop(), 0);
}

TEST(SignProcess, TcpClientThatFloodsWithoutReadingIsDroppedAndTheSignServesOn) {
    SignProcess sign({"--listen", "127.0.0.1:0"});
    const int port = ListeningPort(sign);
    ASSERT_GT(port, 0);
    const int flooding = ConnectNotReading(port);
    ASSERT_GE(flooding, 0);
    EXPECT_EQ(FloodWithoutReading(flooding, 10000), Flood::Closed);
    close(flooding);

    const int next = Connect(port);
    ASSERT_GE(next, 0);
    WriteAll(next, BuildFrame(kPage, "01"));
    EXPECT_EQ(ReadFor(next, 3, 1500), "ACK");
    close(next);
    EXPECT_EQ(sign.stop(), 0);
    EXPECT_TRUE(Contains(sign.errorOutput(), "closed a connection")) << sign.errorOutput();
}

TEST(SignProcess, TcpReplyDelayIsKeptPerClientWithoutHoldingTheOthersUp) {
    SignProcess sign({"--listen", "127.0.0.1:0", "--reply-delay", "1000"});
    const int port = ListeningPort(sign);
    ASSERT_GT(port, 0);
    std::vector<int> clients;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(Connect(port));
        ASSERT_GE(clients.back(), 0);
    }
    const auto start = Clock::now();
    for (const int fd : clients) {
        WriteAll(fd, BuildFrame(kPage, "01"));
    }
    // The first client sends a second frame at once: its own line answers it a delay later.
    WriteAll(clients[0], BuildFrame(RunPagePayload('A'), "01"));
    const auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    for (std::size_t i = 0; i < clients.size(); ++i) {
        EXPECT_EQ(ReadFor(clients[i], 3, MsLeft(start + std::chrono::milliseconds(1500))), "ACK")
            << "client " << i << " after " << elapsedMs() << " ms";
    }
    EXPECT_GE(elapsedMs(), 950);
    EXPECT_EQ(ReadFor(clients[0], 3, 300), "");
    EXPECT_EQ(ReadFor(clients[0], 3, 1000), "ACK");
    EXPECT_GE(elapsedMs(), 1950);
    for (const int fd : clients) {
        close(fd);
    }
    EXPECT_EQ(sign.stop(), 0);
}

TEST(SignProcess, StopSignalEndsTheSignWithinASecondWhateverItIsDoing) {
    const Bytes frame = BuildFrame(kPage, "01");
    struct Case {
        const char* state;
        std::vector<std::string> args;
        int signal;
        // Brings the sign into the state; returns the descriptor to keep open, or -1.
        std::function<int(SignProcess&)> enter;
    };
    const auto tcp = [](SignProcess& sign) { return Connect(ListeningPort(sign)); };
    const auto terminal = [](SignProcess& sign) { return OpenRawTerminal(sign.firstLine()); };
    const auto halfFrame = [&](int fd) {
        WriteAll(fd, frame.substr(0, 12));
        return fd;
    };
    const auto wholeFrame = [&](int fd) {
        WriteAll(fd, frame);
        return fd;
    };
    const std::vector<std::string> listen = {"--listen", "127.0.0.1:0"};
    const std::vector<std::string> slowListen = {"--listen", "127.0.0.1:0", "--reply-delay",
                                                 "5000"};
    const std::vector<Case> cases = {
        {"waiting for a TCP client", listen, SIGTERM,
         [](SignProcess& sign) {
             ListeningPort(sign);
             return -1;
         }},
        {"reading from a silent TCP client", listen, SIGTERM, tcp},
        {"holding half a TCP frame", listen, SIGINT,
         [&](SignProcess& s) { return halfFrame(tcp(s)); }},
        {"answering a TCP client that does not read", listen, SIGTERM,
         [](SignProcess& sign) {
             const int fd = ConnectNotReading(ListeningPort(sign));
             EXPECT_NE(FloodWithoutReading(fd, 5000), Flood::TimedOut);
             return fd;
         }},
        {"delaying a TCP answer", slowListen, SIGTERM,
         [&](SignProcess& s) { return wholeFrame(tcp(s)); }},
        {"waiting for a terminal client",
         {},
         SIGTERM,
         [](SignProcess& sign) {
             sign.firstLine();
             return -1;
         }},
        {"holding half a terminal frame",
         {},
         SIGINT,
         [&](SignProcess& s) { return halfFrame(terminal(s)); }},
        {"delaying a terminal answer",
         {"--reply-delay", "5000"},
         SIGTERM,
         [&](SignProcess& s) { return wholeFrame(terminal(s)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        SignProcess sign(c.args);
        const int fd = c.enter(sign);
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // let the sign get there
        const auto start = Clock::now();
        EXPECT_EQ(sign.stop(c.signal, 1000), 0);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
        if (fd >= 0) {
            close(fd);
        }
    }
}

} // namespace
} // namespace lumivo

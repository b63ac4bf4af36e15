#pragma once

// A pseudo-terminal pair for port tests: the test holds the master side and plays the sign; the
// port under test opens the slave path like a serial device.

#include "link/fake_port.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace lumivo::link::test {

class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        const char* name = ::ptsname(m_master);
        if (name == nullptr) {
            return;
        }
        m_path = name;
        // Hold the slave open in raw mode so the master never sees a hang-up between opens.
        m_slave = ::open(name, O_RDWR | O_NOCTTY);
        termios tio{};
        if (m_slave >= 0 && ::tcgetattr(m_slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    ~PseudoTerminal() {
        closeMaster();
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0 && m_slave >= 0 && !m_path.empty(); }
    const std::string& path() const { return m_path; }
    int master() const { return m_master; }

    // The sign's side: write bytes towards the port.
    bool send(const std::string& bytes) {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads up to `count` bytes, waiting at most `timeoutMs` in all.
    std::string receive(std::size_t count, int timeoutMs = 2000) {
        std::string bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{m_master, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buffer[256];
            const ssize_t n =
                ::read(m_master, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    void closeMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

// Plays an instantly answering sign on the master side: "ACK" after every complete frame.
class AnsweringSign {
public:
    explicit AnsweringSign(PseudoTerminal& pty, std::string reply = "ACK")
        : m_pty(pty), m_reply(std::move(reply)), m_thread([this] { run(); }) {}
    ~AnsweringSign() {
        m_stop = true;
        m_thread.join();
    }
    int frames() const { return m_frames; }

private:
    void run() {
        FrameAssembler assembler;
        while (!m_stop) {
            // Blocks in poll; the short time-out only lets the destructor stop the thread.
            pollfd p{m_pty.master(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            if ((p.revents & POLLIN) == 0) {
                // Hang-up or error without data: poll would return at once, so wait instead.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            char buffer[512];
            const ssize_t n = ::read(m_pty.master(), buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                if (assembler.push(buffer[i])) {
                    ++m_frames;
                    m_pty.send(m_reply);
                }
            }
        }
    }

    PseudoTerminal& m_pty;
    std::string m_reply;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_frames{0};
    std::thread m_thread;
};

} // namespace lumivo::link::test

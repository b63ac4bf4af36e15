#pragma once

// The built lumivo-sign program as a child process, for tests that talk to it the way the editor
// does. Users define LUMIVO_SIGN_PATH as the program's path.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace lumivo::test {

using Clock = std::chrono::steady_clock;

inline int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads until `want` bytes came or `ms` passed; what came is returned.
inline std::string ReadFor(int fd, std::size_t want, int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    std::string got;
    while (got.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) <= 0) {
            break;
        }
        char buffer[256];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, want - got.size()));
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

inline void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        ASSERT_GT(n, 0) << "write failed: " << std::strerror(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The sign program as a child process with its standard output and error captured.
class SignProcess {
public:
    explicit SignProcess(const std::vector<std::string>& args,
                         const std::string& program = LUMIVO_SIGN_PATH) {
        int out[2];
        int err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            ADD_FAILURE() << "cannot start " << program;
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }

    ~SignProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
        close(m_err);
    }

    // The first line of standard output, without its end; empty if none came in time.
    std::string firstLine(int ms = 3000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        std::string line;
        for (;;) {
            const std::string c = ReadFor(m_out, 1, MsLeft(deadline));
            if (c.empty() || c == "\n") {
                return line;
            }
            line += c;
        }
    }

    // Waits for the program to end by itself (its output closes when it does).
    std::optional<int> waitExit(int ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, MsLeft(deadline)) <= 0) {
                return std::nullopt;
            }
            char buffer[256];
            if (read(m_out, buffer, sizeof buffer) <= 0) {
                break;
            }
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Asks the program to stop as a user would (SIGTERM, or SIGINT for Ctrl+C) and returns its
    // exit code; nullopt when it has not ended within `ms`.
    std::optional<int> stop(int signal = SIGTERM, int ms = 3000) {
        kill(m_pid, signal);
        return waitExit(ms);
    }

    std::string errorOutput() { return ReadFor(m_err, 1 << 20, 100); }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

// The lines of a text file (the sign's log), without their ends.
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace lumivo::test

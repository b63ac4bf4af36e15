#pragma once

// Runs a built program to its end and keeps what it printed, for tests of the programs' command
// lines.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace lumivo::test {

struct ProgramRun {
    std::optional<int> status; // nullopt: killed after the time limit, or did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` and the test's environment less the variables named in `unset`,
// waits at most `ms` for it to end (then kills it) and returns its status and output.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& unset = {}, int ms = 10000) {
    ProgramRun run;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const std::string& name : unset) {
            keep = keep && entry.rfind(name + "=", 0) != 0;
        }
        if (keep) {
            environment.push_back(entry);
        }
    }
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> p;
        for (std::string& s : strings) {
            p.push_back(s.data());
        }
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argv = pointers(all);
    std::vector<char*> envp = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << program;
        close(out[0]);
        close(err[0]);
        return run;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    bool timedOut = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || poll(fds, 2, static_cast<int>(left)) <= 0) {
            timedOut = true;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
            } else {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    for (pollfd& f : fds) {
        if (f.fd >= 0) {
            close(f.fd);
        }
    }
    if (timedOut) {
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!timedOut && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

// One command line of a program and what it must give: the status, and a text that must start
// standard output or standard error (empty: that stream must stay empty).
struct CommandLineCase {
    std::vector<std::string> args;
    int status;
    std::string outStart;
    std::string errStart;
};

inline void ExpectCommandLines(const std::string& program,
                               const std::vector<CommandLineCase>& cases,
                               const std::vector<std::string>& unset = {}) {
    for (const CommandLineCase& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) {
            shown += " " + a;
        }
        SCOPED_TRACE(program + shown);
        const ProgramRun run = RunProgram(program, c.args, unset);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out.substr(0, c.outStart.size()), c.outStart);
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(run.out.empty(), c.outStart.empty()) << run.out;
        EXPECT_EQ(run.err.empty(), c.errStart.empty()) << run.err;
    }
}

} // namespace lumivo::test

// What lumivo-cli does when its output cannot be written, and with line files too large to be a
// sign line: run as a process with standard output sent where the test chooses.

#include "cli/cli_common.h"
#include "support/program_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lumivo::cli {
namespace {

const std::filesystem::path kData = LUMIVO_TEST_DATA_DIR;

struct OutputRun {
    std::optional<int> status;
    std::string err;
};

// Runs lumivo-cli with standard output opened on `outputPath` and returns its status and what it
// wrote on standard error.
OutputRun RunWithOutputTo(const std::string& outputPath, const std::vector<std::string>& args) {
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> all{LUMIVO_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, LUMIVO_CLI_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    OutputRun run;
    char buffer[4096];
    for (ssize_t n; spawned == 0 && (n = read(err[0], buffer, sizeof buffer)) > 0;) {
        run.err.append(buffer, static_cast<std::size_t>(n));
    }
    close(err[0]);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

class TempLineFile {
public:
    explicit TempLineFile(std::size_t size, const char* name) {
        m_path = std::filesystem::temp_directory_path() /
                 (std::string("lumivo-cli-") + name + "-" + std::to_string(getpid()));
        std::ofstream(m_path, std::ios::binary) << std::string(size, 'a');
    }
    ~TempLineFile() { std::filesystem::remove(m_path); }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

TEST(CliOutput, EveryCommandFailsWithAMessageWhenStandardOutputCannotBeWritten) {
    const TempLineFile line(5, "line");
    const std::string font = (kData / "fonts" / "three.fon").string();
    const std::vector<std::vector<std::string>> commands = {
        {"page", "Hello"},
        {"page", "--text-file", line.path()},
        {"send", "--dry-run", "Hello"},
        {"send", "--dry-run", "--sign", "01", "--text-file", line.path()},
        {"delete-all", "--dry-run", "--sign", "01"},
        {"font-transfer", "--dry-run", "--font", font},
        {"clock", "--dry-run", "--time", "2026-12-07 14:05:09"},
        {"--help"},
        {"page", "--help"},
        {"send", "--help"},
        {"--version"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const OutputRun fine = RunWithOutputTo("/dev/null", args);
        EXPECT_EQ(fine.status, 0);
        EXPECT_EQ(fine.err, "");
        const OutputRun full = RunWithOutputTo("/dev/full", args);
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err,
                  "lumivo-cli: cannot write to standard output: No space left on device\n");
    }
}

TEST(CliOutput, ALineFileLargerThanASignLineCanBeIsRefused) {
    const TempLineFile largest(kMaxLineFileBytes, "largest");
    const TempLineFile tooLarge(kMaxLineFileBytes + 1, "too-large");
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"page"}, {"send", "--dry-run"}}) {
        SCOPED_TRACE(command.front());
        auto with = [&](const std::string& path) {
            std::vector<std::string> args = command;
            args.insert(args.end(), {"--text-file", path});
            return RunWithOutputTo("/dev/null", args);
        };
        const OutputRun accepted = with(largest.path());
        EXPECT_EQ(accepted.status, 0) << accepted.err;
        const OutputRun refused = with(tooLarge.path());
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(tooLarge.path() + " holds 1048577 bytes"), std::string::npos)
            << refused.err;
        EXPECT_NE(refused.err.find("at most 1 MiB"), std::string::npos) << refused.err;
    }
}

} // namespace
} // namespace lumivo::cli

// `lumivo-cli check` and `scan` as a user runs them, against virtual signs on pseudo-terminals
// and loopback ports, and against devices that are missing, held or not allowed.

#include "core/test_support.h"
#include "support/program_run.h"
#include "support/sign_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>

namespace lumivo {
namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// tests/data/cli/check.tsv
TEST(LineCheck, CheckAndScanSayWhatTheLineAnswered) {
    for (const test::CaseRow& c : test::ReadCases("cli/check.tsv")) {
        SCOPED_TRACE("check.tsv line " + std::to_string(c.line) + ": " + c.fields[0]);
        ASSERT_GE(c.fields.size(), 7u);
        const std::string& kind = c.fields[2];
        std::unique_ptr<test::SignProcess> sign;
        std::unique_ptr<test::SignProcess> holder;
        std::string port;
        if (c.fields[1] != "-") {
            std::vector<std::string> flags = Words(c.fields[1]);
            if (kind == "tcp") {
                flags.insert(flags.end(), {"--listen", "127.0.0.1:0"});
            }
            sign = std::make_unique<test::SignProcess>(flags);
            port = sign->firstLine();
            if (kind == "tcp") {
                ASSERT_EQ(port.rfind("listening on ", 0), 0u) << port;
                port = "tcp://" + port.substr(13);
            }
            ASSERT_FALSE(port.empty());
        }
        if (kind == "busy") {
            // flock(1) holds the device open and locked, as another serial program would.
            ASSERT_TRUE(std::filesystem::exists("/usr/bin/flock")) << "util-linux is missing";
            holder = std::make_unique<test::SignProcess>(
                std::vector<std::string>{port, "-c", "echo locked; sleep 30"}, "/usr/bin/flock");
            ASSERT_EQ(holder->firstLine(), "locked");
        }
        std::vector<std::string> args(c.fields.begin() + 6, c.fields.end());
        for (std::string& arg : args) {
            if (arg == "{port}") {
                arg = port;
            }
        }
        const test::ProgramRun run = test::RunProgram(LUMIVO_CLI_PATH, args, {}, 30000);
        ASSERT_TRUE(run.status.has_value());
        EXPECT_EQ(*run.status, std::stoi(c.fields[3])) << run.out << run.err;
        if (const auto missing = test::FirstPieceMissing(run.out, c.fields[4])) {
            ADD_FAILURE() << "standard output lacks \"" << *missing << "\":\n" << run.out;
        }
        if (const auto missing = test::FirstPieceMissing(run.err, c.fields[5])) {
            ADD_FAILURE() << "standard error lacks \"" << *missing << "\":\n" << run.err;
        }
    }
}

// A device the user may not open: check names its group and the command that adds the user.
// Needs root, to make the device and to run the check as a user without access to it.
TEST(LineCheck, PermissionNamesTheGroupAndTheCommand) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the check as a user the device is closed to";
    }
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) {
        GTEST_SKIP() << "no user nobody to drop to";
    }
    test::SignProcess sign({"--id", "01"});
    const std::string port = sign.firstLine();
    ASSERT_EQ(chmod(port.c_str(), 0660), 0);
    ASSERT_EQ(chown(port.c_str(), 0, 0), 0);
    const group* owner = getgrgid(0);
    ASSERT_NE(owner, nullptr);

    // The child drops to nobody and runs the check from its own standard output.
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 2);
        dup2(out[1], 1);
        if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
            setuid(nobody->pw_uid) != 0) {
            _exit(99);
        }
        execl(LUMIVO_CLI_PATH, LUMIVO_CLI_PATH, "check", "--port", port.c_str(), nullptr);
        _exit(98);
    }
    close(out[1]);
    const std::string said = test::ReadFor(out[0], 1 << 16, 10000);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 98) << "lumivo-cli cannot be run as nobody: " << said;
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_NE(said.find(port + ": permission denied: the device belongs to the group " +
                        owner->gr_name +
                        " and you are not in it. Add yourself with 'sudo adduser "
                        "$USER " +
                        owner->gr_name + "', then log out and log in again."),
              std::string::npos)
        << said;
}

} // namespace
} // namespace lumivo

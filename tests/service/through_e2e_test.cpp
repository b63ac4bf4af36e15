// The desk and a running lumivod: lumivo-cli sends through lumivod to a sign whose line it owns,
// and opens the port itself once lumivod has stopped.

#include "support/program_run.h"
#include "support/sign_process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using lumivo::test::SignProcess;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The page frames the virtual sign logged, once it logged `frames` frames (it logs a frame after
// answering it) or two seconds passed.
std::vector<std::string> PagesOf(const std::filesystem::path& log, std::size_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<std::string> lines = lumivo::test::ReadLines(log);
    for (; lines.size() < frames && std::chrono::steady_clock::now() < deadline;
         lines = lumivo::test::ReadLines(log)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::erase_if(lines,
                  [](const std::string& line) { return !Contains(line, "\"kind\":\"page\""); });
    return lines;
}

TEST(ThroughLumivod, CliSendsThroughTheOwnerOfTheLineAndDirectlyOnceItStopped) {
    QTemporaryDir home;
    const std::string dir = home.path().toStdString();
    const std::filesystem::path log = dir + "/front.jsonl";
    SignProcess sign({"--listen", "127.0.0.1:0", "--log", log.string()});
    const std::string listening = sign.firstLine();
    const std::string port = "tcp://" + listening.substr(listening.rfind(' ') + 1);
    std::ofstream(dir + "/lumivo.INI") << "[Sign Front]\nPort=" << port << "\nID=01\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    const auto cli = [](const std::vector<std::string>& args) {
        return lumivo::test::RunProgram(LUMIVO_CLI_PATH, args, {}, 30000);
    };

    auto service = std::make_unique<SignProcess>(
        std::vector<std::string>{"--listen", "127.0.0.1:0"}, LUMIVOD_PATH);
    const std::string where = service->firstLine();
    ASSERT_TRUE(where.starts_with("listening on 127.0.0.1:")) << where;
    ASSERT_TRUE(std::filesystem::exists(dir + "/lumivod.run"));

    // The outputs of a direct send, and a note on standard error.
    const lumivo::test::ProgramRun sent = cli({"send", "--to", "Front", "--page", "A", "Through"});
    EXPECT_EQ(sent.status, std::optional<int>(0)) << sent.err;
    EXPECT_EQ(sent.out, "Front: Page A sent\n1 of 1 sign took page A\n");
    EXPECT_TRUE(Contains(sent.err, "Front: through lumivod at 127.0.0.1:")) << sent.err;
    // One command for one port that lumivod owns goes through it too, to its sign of that ID.
    const lumivo::test::ProgramRun single =
        cli({"send", "--port", port, "--sign", "01", "--page", "B", "Single"});
    EXPECT_EQ(single.status, std::optional<int>(0)) << single.err;
    EXPECT_EQ(single.out, "");
    EXPECT_TRUE(Contains(single.err, "through lumivod at 127.0.0.1:")) << single.err;
    // The sign took each page once, from lumivod, which logged both jobs.
    EXPECT_EQ(PagesOf(log, 4).size(), 2u);
    const std::string jobs = service->errorOutput();
    EXPECT_TRUE(Contains(jobs, "sign \"Front\" page A: sent")) << jobs;
    EXPECT_TRUE(Contains(jobs, "sign \"Front\" page B: sent")) << jobs;

    EXPECT_EQ(service->stop(SIGTERM, 2000), std::optional<int>(0));
    service.reset();
    EXPECT_FALSE(std::filesystem::exists(dir + "/lumivod.run"));
    const lumivo::test::ProgramRun direct = cli({"send", "--to", "Front", "--page", "C", "Direct"});
    EXPECT_EQ(direct.status, std::optional<int>(0)) << direct.err;
    EXPECT_EQ(direct.out, "Front: Page C sent\n1 of 1 sign took page C\n");
    EXPECT_FALSE(Contains(direct.err, "lumivod")) << direct.err;
    const std::vector<std::string> pages = PagesOf(log, 6);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(Contains(pages[0], "Through") && Contains(pages[1], "Single") &&
                Contains(pages[2], "Direct"));
    ::unsetenv("LUMIVO_HOME");
}

} // namespace

// A group send of the command line to several virtual signs at once, two on pseudo-terminals and
// two on TCP ports, set up with `lumivo-cli signs add` as a script would.

#include "support/program_run.h"
#include "support/sign_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

namespace lumivo {
namespace {

namespace fs = std::filesystem;
using test::ReadLines;
using test::SignProcess;
using Steady = std::chrono::steady_clock;

const fs::path kData = LUMIVO_TEST_DATA_DIR;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One virtual sign: its process, its log and the port the sign list names for it.
struct VirtualSign {
    std::string name;
    std::string id;
    fs::path log;
    std::unique_ptr<SignProcess> process;
    std::string port;

    // The log once it holds at least `lines` lines (the sign logs a frame after answering it).
    std::vector<std::string> logOf(std::size_t lines) const {
        const auto deadline = Steady::now() + std::chrono::seconds(2);
        auto read = ReadLines(log);
        while (read.size() < lines && Steady::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            read = ReadLines(log);
        }
        return read;
    }
};

// A program folder of its own (LUMIVO_HOME) for the sign list and the signs' state, and the
// virtual signs of the site.
class SiteOfSigns : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        m_home = fs::temp_directory_path() /
                 ("lumivo-site-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(m_home);
        if (const char* home = std::getenv("LUMIVO_HOME")) {
            m_oldHome = home;
        }
        setenv("LUMIVO_HOME", m_home.c_str(), 1);
    }
    void TearDown() override {
        m_signs.clear();
        if (m_oldHome) {
            setenv("LUMIVO_HOME", m_oldHome->c_str(), 1);
        } else {
            unsetenv("LUMIVO_HOME");
        }
        std::error_code ignored;
        fs::remove_all(m_home, ignored);
    }

    // Starts a sign on a new pseudo-terminal, or on a TCP port of its own when `tcp`.
    VirtualSign& start(const std::string& name, const std::string& id, bool tcp) {
        auto sign = std::make_unique<VirtualSign>();
        sign->name = name;
        sign->id = id;
        sign->log = m_home / (id + ".jsonl");
        std::vector<std::string> args{"--id", id, "--log", sign->log.string()};
        if (tcp) {
            args.insert(args.end(), {"--listen", "127.0.0.1:0"});
        }
        sign->process = std::make_unique<SignProcess>(args);
        const std::string first = sign->process->firstLine();
        const std::string listening = "listening on ";
        sign->port =
            tcp && first.starts_with(listening) ? "tcp://" + first.substr(listening.size()) : first;
        m_signs.push_back(std::move(sign));
        return *m_signs.back();
    }

    test::ProgramRun cli(const std::vector<std::string>& args) {
        return test::RunProgram(LUMIVO_CLI_PATH, args, {}, 30000);
    }

    std::vector<std::unique_ptr<VirtualSign>> m_signs;

private:
    fs::path m_home;
    std::optional<std::string> m_oldHome;
};

// The kinds of the frames a sign logged, in order, once every frame is its own, applied and of
// a good checksum; the page frame's payload goes to `page`.
std::vector<std::string> FramesOf(const VirtualSign& sign, const std::vector<std::string>& lines,
                                  std::string& page) {
    std::vector<std::string> kinds;
    for (const std::string& line : lines) {
        EXPECT_TRUE(Contains(line, "\"id\":\"" + sign.id + "\"")) << sign.name << ": " << line;
        EXPECT_TRUE(Contains(line, "\"applied\":true")) << sign.name << ": " << line;
        EXPECT_TRUE(Contains(line, "\"checksum_ok\":true")) << sign.name << ": " << line;
        const std::size_t at = line.find("\"kind\":\"");
        const std::size_t end = line.find('"', at + 8);
        kinds.push_back(at == std::string::npos ? "" : line.substr(at + 8, end - at - 8));
        if (kinds.back() == "page") {
            const std::size_t from = line.find("\"payload\":\"") + 11;
            page = line.substr(from, line.find('"', from) - from);
        }
    }
    return kinds;
}

TEST_F(SiteOfSigns, GroupSendReachesEverySignAndNamesTheOneThatIsGone) {
    start("Door 1", "01", false);
    start("Door 2", "02", false);
    start("Hall 3", "03", true);
    start("Hall 4", "04", true);
    for (const auto& sign : m_signs) {
        ASSERT_TRUE(sign->port.starts_with("/dev/pts/") || sign->port.starts_with("tcp://"))
            << sign->name << ": " << sign->port;
        const test::ProgramRun added = cli({"signs", "add", sign->name, "--port", sign->port,
                                            "--id", sign->id, "--group", "site"});
        ASSERT_EQ(added.status, 0) << added.err;
    }

    const test::ProgramRun sent = cli({"send", "--to", "site", "--page", "B", "--graphics",
                                       (kData / "Graphdata").string(), "Hi <Pic:G02>"});
    EXPECT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(sent.out, "Door 1: Page B sent\nDoor 2: Page B sent\nHall 3: Page B sent\n"
                        "Hall 4: Page B sent\n4 of 4 signs took page B\n");
    // Serial lines run on the dispatcher's own threads: nothing of Qt's complains about them.
    EXPECT_EQ(sent.err, "");
    const std::vector<std::string> pageWithTwoGraphics = {"begin-transfer", "page", "graphic-block",
                                                          "graphic-block", "end-transfer"};
    for (const auto& sign : m_signs) {
        SCOPED_TRACE(sign->name);
        std::string page;
        EXPECT_EQ(FramesOf(*sign, sign->logOf(5), page), pageWithTwoGraphics);
        EXPECT_EQ(page, "<L1><PB><FE><MA><WC><FE>Hi <GB1><GB2>");
    }

    // The last sign goes away; the others still get the next page.
    VirtualSign& gone = *m_signs.back();
    ASSERT_EQ(gone.process->stop(), 0);
    const test::ProgramRun again = cli({"send", "--to", "site", "--page", "C", "Again"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "Door 1: Page C sent\nDoor 2: Page C sent\nHall 3: Page C sent\n"
                         "Hall 4:  Open Com Error \n"
                         "3 of 4 signs took page C; Hall 4: Open Com Error\n");
    EXPECT_TRUE(Contains(again.err, "lumivo-cli send: Hall 4: Could not open " + gone.port))
        << again.err;
    for (const auto& sign : m_signs) {
        SCOPED_TRACE(sign->name);
        std::string page;
        if (sign.get() == &gone) {
            EXPECT_EQ(ReadLines(sign->log).size(), 5u);
            continue;
        }
        const std::vector<std::string> kinds = FramesOf(*sign, sign->logOf(8), page);
        EXPECT_EQ(kinds.size(), 8u);
        EXPECT_EQ(page, "<L1><PC><FE><MA><WC><FE>Again");
    }
}

TEST_F(SiteOfSigns, SignsOnOneLineTakeTheirTurns) {
    // One virtual sign answers to one ID: the second sign of the line is one that never answers.
    const VirtualSign& line = start("Door 1", "01", false);
    for (const char* id : {"01", "02"}) {
        const test::ProgramRun added = cli({"signs", "add", std::string("Door ") + id[1], "--port",
                                            line.port, "--id", id, "--group", "doors"});
        ASSERT_EQ(added.status, 0) << added.err;
    }
    const test::ProgramRun sent = cli({"send", "--to", "doors", "Hi"});
    EXPECT_EQ(sent.status, 1);
    EXPECT_EQ(sent.out, "Door 1: Page A sent\nDoor 2:    Send Message Error   \n"
                        "1 of 2 signs took page A; Door 2: Send Message Error\n");
    // Every frame of the first sign came before any of the second: none interleaved.
    std::vector<std::string> ids;
    for (const std::string& entry : line.logOf(4)) {
        const std::size_t at = entry.find("\"id\":\"");
        ids.push_back(at == std::string::npos ? "" : entry.substr(at + 6, 2));
    }
    ASSERT_GE(ids.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(ids.begin(), ids.begin() + 3),
              (std::vector<std::string>{"01", "01", "01"}));
    for (std::size_t i = 3; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i], "02") << i;
    }
}

} // namespace
} // namespace lumivo

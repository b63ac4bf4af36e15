// The runners over a real serial port (a pseudo-terminal) against the virtual sign, as the
// editor and the command line use them, including every fault the sign can play.

#include "core/compiler.h"
#include "core/userfont.h"
#include "link/port_factory.h"
#include "link/runners.h"
#include "support/sign_process.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace lumivo {
namespace {

using test::ReadLines;
using test::SignProcess;
using Steady = std::chrono::steady_clock;

const std::filesystem::path kData = LUMIVO_TEST_DATA_DIR;

// A virtual sign with its log, and the opener and clock a command uses to reach it.
class SignOnLine {
public:
    explicit SignOnLine(std::vector<std::string> flags = {}) {
        m_log =
            std::filesystem::temp_directory_path() /
            ("lumivo-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++s_count) + ".jsonl");
        flags.insert(flags.end(), {"--log", m_log.string()});
        m_sign = std::make_unique<SignProcess>(flags);
        m_path = m_sign->firstLine();
    }
    ~SignOnLine() {
        m_sign.reset();
        std::filesystem::remove(m_log);
    }

    const std::string& path() const { return m_path; }
    link::PortOpener opener() const {
        return link::OpenerForTarget(QString::fromStdString(m_path));
    }
    link::Clock& clock() { return m_clock; }
    std::vector<std::string> log() const { return ReadLines(m_log); }
    // The log once it holds at least `lines` lines: the sign handles frames in its own time, so
    // the last frame of a command may still be on its way when the command returns.
    std::vector<std::string> logOf(std::size_t lines, int ms = 2000) const {
        const auto deadline = Steady::now() + std::chrono::milliseconds(ms);
        auto read = log();
        while (read.size() < lines && Steady::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            read = log();
        }
        return read;
    }
    std::optional<int> waitExit(int ms) { return m_sign->waitExit(ms); }

private:
    static inline int s_count = 0;
    std::unique_ptr<SignProcess> m_sign;
    std::filesystem::path m_log;
    std::string m_path;
    link::RealClock m_clock;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SignEndToEnd, EveryCommandIsAcknowledged) {
    SignOnLine sign;
    ASSERT_TRUE(sign.path().starts_with("/dev/pts/")) << sign.path();
    const FolderGraphicSource graphics(kData / "Graphdata");
    const auto open = sign.opener();
    auto& clock = sign.clock();

    int progressCalls = 0;
    const link::Outcome sent =
        link::RunSendMessage(open, clock, {"<Xopen>Hello<Pic:G02>", "01", 'B', &graphics},
                             [&](int, int) { ++progressCalls; });
    EXPECT_TRUE(sent.success) << sent.text;
    EXPECT_GT(progressCalls, 0);

    const std::vector<link::Outcome> outcomes = {
        link::RunSetClock(open, clock, "01", {2026, 12, 7}, "14:05:09"),
        link::RunRunPage(open, clock, "01", 'B'),
        link::RunSetBrightness(open, clock, "01", 3),
        link::RunLinkPages(open, clock, "01", "ab"),
        link::RunSendSchedules(open, clock, "01",
                               {{"12/25/26 08:00", "12/31/26 18:30", "ABC"},
                                {"01/01/27 00:00", "01/02/27 00:00", "B"}}),
        link::RunDeleteSchedules(open, clock, "01", {true, false, true, false, false}),
        link::RunDeletePageLines(open, clock, "01",
                                 [] {
                                     link::PageLineMarks marks{};
                                     marks[3][1] = true;
                                     return marks;
                                 }()),
        link::RunFontTransfer(open, clock, "01",
                              {MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0})})
            .outcome,
        link::RunRecallDefaultFont(open, clock, "01"),
        link::RunDeleteAll(open, clock, "01"),
    };
    const std::vector<std::string> texts = {
        " Set Date&Time OK ",   "   Run page Error OK   ",      "  Set Brightness OK  ",
        "   Link page OK   ",   "   Send Schedule OK   ",       "   Delete Schedule OK   ",
        "   Delete page OK   ", "      Transfer Font OK      ", "  Recall Default Font OK  ",
        "   Delete All OK   "};
    ASSERT_EQ(outcomes.size(), texts.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        EXPECT_TRUE(outcomes[i].success) << i << ": " << outcomes[i].text;
        EXPECT_EQ(outcomes[i].text, texts[i]);
    }

    // Set ID last: the sign answers with the new ID and takes it.
    const link::Outcome id = link::RunSetId(open, clock, 5);
    EXPECT_EQ(id.text, "    Set ID OK    ");
    EXPECT_EQ(link::RunRunPage(open, clock, "05", 'A').text, "   Run page Error OK   ");

    const auto lines = sign.logOf(20);
    // <BE>, page, two blocks, <BF>, ten single commands (two schedules, two slots, one
    // line, font bracket + one char), Set ID, run page.
    ASSERT_GE(lines.size(), 20u);
    EXPECT_TRUE(Contains(lines[1], "\"payload\":\"<L1><PB><FB><MA><WC><FE>Hello<GB1><GB2>\""))
        << lines[1];
    for (const std::string& line : lines) {
        EXPECT_TRUE(Contains(line, "\"checksum_ok\":true")) << line;
    }
}

TEST(SignEndToEnd, AllSignsAreNeverWaitedFor) {
    SignOnLine sign;
    const auto started = Steady::now();
    const link::Outcome sent =
        link::RunSendMessage(sign.opener(), sign.clock(), {"Hi", "00", 'A', nullptr});
    EXPECT_TRUE(sent.success) << sent.text;
    EXPECT_EQ(link::RunDeleteAll(sign.opener(), sign.clock(), "00").text,
              "   Deleting All is Over   ");
    // Only the pauses (200 + 100 + 200 ms): no reply was waited for.
    EXPECT_LT(Steady::now() - started, std::chrono::milliseconds(1500));
    EXPECT_EQ(sign.logOf(4).size(), 4u);
}

TEST(SignEndToEnd, FaultsEndWithTheCommandsFailureText) {
    {
        SignOnLine refusing({"--refuse"});
        EXPECT_EQ(link::RunSetBrightness(refusing.opener(), refusing.clock(), "01", 0).text,
                  "  Set Brightness Error  ");
    }
    {
        SignOnLine garbled({"--garbage"});
        EXPECT_EQ(link::RunDeleteAll(garbled.opener(), garbled.clock(), "01").text,
                  "    Delete All Error    ");
    }
    {
        SignOnLine slow({"--reply-delay", "300"});
        EXPECT_EQ(link::RunRunPage(slow.opener(), slow.clock(), "01", 'C').text,
                  "   Run page Error OK   ");
    }
    {
        SignOnLine silent({"--silent"});
        const auto started = Steady::now();
        const link::Outcome o = link::RunRunPage(silent.opener(), silent.clock(), "01", 'A');
        const auto took = Steady::now() - started;
        EXPECT_EQ(o.text, "  Run page Error  ");
        EXPECT_EQ(o.box, link::BoxKind::Plain);
        // Three reads of 1.1 s each.
        EXPECT_GT(took, std::chrono::milliseconds(3000));
        EXPECT_LT(took, std::chrono::milliseconds(4500));
    }
}

TEST(SignEndToEnd, SignUnpluggedMidTransferFailsWithinTheReadTimeOut) {
    SignOnLine sign({"--hang-up-after", "2"});
    const FolderGraphicSource graphics(kData / "Graphdata");
    const auto started = Steady::now();
    // <BE> and the page are answered, then the line goes away before the first block.
    const link::Outcome o =
        link::RunSendMessage(sign.opener(), sign.clock(), {"<Pic:G03>", "01", 'A', &graphics});
    const auto took = Steady::now() - started;
    EXPECT_FALSE(o.success);
    EXPECT_EQ(o.text, "   Send Graphic Error   ");
    // Pauses 200 + 100 + at most one unanswered reply (3 x 1.1 s).
    EXPECT_LT(took, std::chrono::milliseconds(4500));
    EXPECT_EQ(sign.waitExit(3000), 0);
}

TEST(SignEndToEnd, MissingDeviceIsAnOpenError) {
    link::RealClock clock;
    const link::Outcome o = link::RunDeleteAll(
        link::OpenerForTarget(QStringLiteral("/dev/lumivo-no-such")), clock, "01");
    EXPECT_EQ(o.text, " Open Com Error ");
    EXPECT_EQ(o.box, link::BoxKind::Error);
}

TEST(SignEndToEnd, CommandLineTalksToTheSign) {
    SignOnLine sign;
    const std::string command = std::string(LUMIVO_CLI_PATH) + " schedules --port " + sign.path() +
                                " --sign 01 --entry '12/25/26 08:00,12/31/26 18:30,abc' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0);
    EXPECT_EQ(out, "   Send Schedule OK   \n");
    const auto lines = sign.logOf(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Contains(lines[0], "\"payload\":\"<TA>26122508002612311830ABC\"")) << lines[0];
}

} // namespace
} // namespace lumivo

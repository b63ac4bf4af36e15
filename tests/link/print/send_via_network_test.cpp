#include "link/print/send_via_network.h"

#include "support/fake_print_job.h"
#include "test_graphics.h"

#include <gtest/gtest.h>

#include <set>

namespace lumivo::link {
namespace {

using test::GraphicsFolder;
using test::MixedRows;
using Events = std::vector<std::string>;

// Puts each pause into the job's record, so the test sees writes and pauses in one sequence.
class RecordingClock final : public Clock {
public:
    explicit RecordingClock(FakePrintJob& job) : m_job(job) {}
    void delay(int ms) override { m_job.note("delay " + std::to_string(ms)); }

private:
    FakePrintJob& m_job;
};

class SendViaNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.path().empty());
        ASSERT_TRUE(m_folder.write("G01", MixedRows(40, 8)));  // blocks 1, 2
        ASSERT_TRUE(m_folder.write("G02", MixedRows(64, 16))); // blocks 1, 2, 5, 6
        ASSERT_TRUE(m_folder.write("G05", MixedRows(32, 7)));  // block 1
    }

    Outcome send(FakePrintJob& job, const std::string& line, const std::string& signId = "1F",
                 char page = 'C') {
        RecordingClock clock(job);
        return RunSendViaNetwork(job, clock, "Sign Room", line, signId, page, m_graphics);
    }

    std::vector<Bytes> framesOf(int number, const std::string& signId) const {
        Result<Graphic> graphic = m_graphics.load(GraphicName(number));
        EXPECT_TRUE(graphic.ok());
        return graphic ? GraphicBlockFrames(GraphicLetter(number), *graphic, signId)
                       : std::vector<Bytes>{};
    }

    Bytes pageOf(const std::string& line, const std::string& signId, char page) const {
        Result<Page> built = BuildPage(line, 0, page, signId, m_graphics);
        EXPECT_TRUE(built.ok());
        return built ? built->stream : Bytes{};
    }

    // The events of a job that opened, started and wrote `writes` frames without a failure.
    static Events FullRun(int writes) {
        Events events{"open Sign Room", "startDocument Lumivotxt", "startPage"};
        for (int i = 1; i <= writes; ++i) {
            events.push_back("write " + std::to_string(i));
            events.emplace_back("delay 260");
        }
        events.insert(events.end(), {"endPage", "endDocument", "close"});
        return events;
    }

    GraphicsFolder m_folder;
    FolderGraphicSource m_graphics{m_folder.path()};
};

TEST_F(SendViaNetworkTest, WritesThePageThenEveryBlockOfEachUsedGraphicInNumberOrder) {
    FakePrintJob job;
    // G02 is named first and twice; G01 still goes first, and G02 only once.
    const std::string line = "<Pic:G02>Hi<Pic:G01><Pic:G02>";
    const Outcome outcome = send(job, line, "1F", 'C');

    EXPECT_EQ(outcome, (Outcome{BoxKind::None, "", true}));
    std::vector<Bytes> expected{pageOf(line, "1F", 'C')};
    for (int number : {1, 2}) {
        for (const Bytes& frame : framesOf(number, "1F")) {
            expected.push_back(frame);
        }
    }
    ASSERT_EQ(job.writes().size(), 7u); // page + 2 blocks of G01 + 4 of G02
    EXPECT_EQ(job.writes(), expected);
    EXPECT_EQ(job.events(), FullRun(7));

    // The page is line 1 of page C for sign 1F; the blocks go under G01's and G02's letters in
    // the sign's block order.
    EXPECT_EQ(job.writes()[0].substr(0, 14), "<ID1F><L1><PC>");
    const std::vector<std::string> heads{"<ID1F><GA1>", "<ID1F><GA2>", "<ID1F><GB1>",
                                         "<ID1F><GB2>", "<ID1F><GB5>", "<ID1F><GB6>"};
    for (std::size_t i = 0; i < heads.size(); ++i) {
        EXPECT_EQ(job.writes()[i + 1].substr(0, heads[i].size()), heads[i]) << "block " << i;
    }
    for (const Bytes& write : job.writes()) {
        EXPECT_EQ(write.find("<BE>"), Bytes::npos);
        EXPECT_EQ(write.find("<BF>"), Bytes::npos);
    }
}

TEST_F(SendViaNetworkTest, LinesWithoutGraphicsSendOnlyThePage) {
    // A picture that is not one of G01..G16 is shown through its block tags but never sent.
    ASSERT_TRUE(m_folder.write("Logo", MixedRows(32, 8)));
    for (const std::string line : {"", "<FR>Hello world", "G01 G02", "<Pic:Logo>"}) {
        SCOPED_TRACE(line);
        FakePrintJob job;
        const Outcome outcome = send(job, line, "00", 'Z');
        EXPECT_EQ(outcome, (Outcome{BoxKind::None, "", true}));
        EXPECT_EQ(job.writes(), std::vector<Bytes>{pageOf(line, "00", 'Z')});
        EXPECT_EQ(job.events(), FullRun(1));
    }
}

TEST_F(SendViaNetworkTest, EmptyLineSendsTheEmptyPage) {
    FakePrintJob job;
    send(job, "", "07", 'A');
    ASSERT_EQ(job.writes().size(), 1u);
    EXPECT_NE(job.writes()[0].find("<L1><PA>"), Bytes::npos);
    EXPECT_EQ(job.writes()[0], pageOf("", "07", 'A'));
}

TEST_F(SendViaNetworkTest, UnreadableGraphicsAreRefusedBeforeAnyJobIsMade) {
    ASSERT_TRUE(m_folder.write("G04", {"AAAA", "AA"}));    // rows of unequal length
    ASSERT_TRUE(m_folder.write("G06", MixedRows(160, 8))); // wider than the sign
    ASSERT_TRUE(m_folder.write("G07", MixedRows(32, 9)));  // 9 rows
    const struct {
        std::string line;
        std::string name;
    } cases[] = {
        {"<Pic:G01> <Pic:G03>", "G03"}, // no such file
        {"<Pic:G04>", "G04"},           {"<Pic:G06>", "G06"},
        {"<Pic:G07>", "G07"},           {"<Pic:G1x>", "G1x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        FakePrintJob job;
        const Outcome outcome = send(job, c.line);
        EXPECT_EQ(outcome.box, BoxKind::Error);
        EXPECT_FALSE(outcome.success);
        EXPECT_NE(outcome.text.find(c.name), std::string::npos) << outcome.text;
        EXPECT_TRUE(job.events().empty());
    }
}

// Reads each graphic once; later reads fail, as when a file is removed while the page is built.
class ReadOnceSource final : public GraphicSource {
public:
    explicit ReadOnceSource(const GraphicSource& inner) : m_inner(inner) {}
    Result<Graphic> load(std::string_view name) const override {
        if (!m_read.insert(std::string(name)).second) {
            return Error{"Graphic " + std::string(name) + " is gone"};
        }
        return m_inner.load(name);
    }

private:
    const GraphicSource& m_inner;
    mutable std::set<std::string> m_read;
};

TEST_F(SendViaNetworkTest, AGraphicLostAfterThePageWasBuiltIsRefusedBeforeTheJob) {
    FakePrintJob job;
    RecordingClock clock(job);
    const ReadOnceSource source(m_graphics);
    const Outcome outcome =
        RunSendViaNetwork(job, clock, "Sign Room", "<Pic:G05>", "01", 'B', source);
    EXPECT_EQ(outcome, (Outcome{BoxKind::Error, "Graphic G05 is gone", false}));
    EXPECT_TRUE(job.events().empty());
}

TEST_F(SendViaNetworkTest, QueueFailuresUndoWhatWasStartedAndStop) {
    using F = FakePrintJob::Failures;
    const std::string line = "<Pic:G01>"; // page + 2 blocks
    const struct {
        const char* what;
        F failures;
        std::string text;
        Events events;
    } cases[] = {
        {"no such printer", F{.open = true}, "Printer not found", {"open Sign Room"}},
        {"document refused",
         F{.startDocument = true},
         "Printer Doc Error",
         {"open Sign Room", "startDocument Lumivotxt", "close"}},
        {"page refused",
         F{.startPage = true},
         "Printer page Error",
         {"open Sign Room", "startDocument Lumivotxt", "startPage", "endDocument", "close"}},
        {"page write fails",
         F{.write = 1},
         "Printe File Error",
         {"open Sign Room", "startDocument Lumivotxt", "startPage", "write 1", "endPage",
          "endDocument", "close"}},
        {"second block write fails",
         F{.write = 3},
         "Printe File Error",
         {"open Sign Room", "startDocument Lumivotxt", "startPage", "write 1", "delay 260",
          "write 2", "delay 260", "write 3", "endPage", "endDocument", "close"}},
        {"queue does not take the finished document", F{.endDocument = true}, "Printer Doc Error",
         FullRun(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePrintJob job(c.failures);
        const Outcome outcome = send(job, line);
        EXPECT_EQ(outcome, (Outcome{BoxKind::Error, c.text, false}));
        EXPECT_EQ(job.events(), c.events);
    }
}

} // namespace
} // namespace lumivo::link

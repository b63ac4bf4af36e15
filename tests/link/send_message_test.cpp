// Send Message against a scripted line: brackets, the page with its progress, graphic blocks
// in order, pauses, and every way the send can stop.

#include "link/fake_port.h"
#include "link/runners.h"
#include "link_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace lumivo::link::test {
namespace {

using Events = std::vector<std::string>;

const std::string kHelloPage = "<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>";
const Outcome kSent{BoxKind::None, "", true};
const Outcome kSendMessageError = Plain("   Send Message Error   ");
const Outcome kSendGraphicError = Plain("   Send Graphic Error   ");

struct Sent {
    Outcome outcome;
    std::vector<std::pair<int, int>> progress;
    std::vector<std::size_t> writtenAtProgress;             // bytes already written at each report
    std::vector<std::pair<std::string, std::size_t>> steps; // each step, frames written before it
};

Sent Send(FakeLine& line, const std::string& text, const std::string& signId,
          const GraphicSource* graphics = nullptr, char page = 'A') {
    Sent run;
    const Progress progress = [&](int value, int maximum) {
        run.progress.emplace_back(value, maximum);
        run.writtenAtProgress.push_back(line.written().size());
    };
    const StepReport step = [&](const std::string& named) {
        run.steps.emplace_back(named, line.frames().size());
    };
    run.outcome =
        RunSendMessage(line.opener(), line.clock(), {text, signId, page, graphics}, progress, step);
    return run;
}

// The events of a send to sign 01 where every frame is acknowledged.
Events AcknowledgedSend(const std::string& page, const std::vector<std::string>& blocks) {
    Events events{"open",      "write <ID01><BE>05<E>", "read ACK",
                  "pause 200", "write " + page,         "read ACK",
                  "pause 100"};
    for (const std::string& block : blocks) {
        events.insert(events.end(), {"write " + block, "read ACK", "pause 250"});
    }
    events.insert(events.end(), {"pause 200", "write <ID01><BF>06<E>", "read ACK", "close"});
    return events;
}

std::string Block(const std::string& head, const std::string& pixels, const char* check) {
    return "<ID01>" + head + pixels + check + "<E>";
}

TEST(SendMessage, PlainLineSendsBracketsAndPageOnly) {
    FakeLine line;
    EXPECT_EQ(Send(line, "Hello", "01").outcome, kSent);
    EXPECT_EQ(line.events(), AcknowledgedSend(kHelloPage, {}));
}

TEST(SendMessage, BroadcastNeverReadsButKeepsThePauses) {
    FakeLine line;
    line.setDefaultReply("");
    EXPECT_EQ(Send(line, "Hello", "00").outcome, kSent);
    EXPECT_EQ(line.events(), (Events{"open", "write <ID00><BE>05<E>", "pause 200",
                                     "write <ID00><L1><PA><FE><MA><WC><FE>Hello36<E>", "pause 100",
                                     "pause 200", "write <ID00><BF>06<E>", "close"}));
}

TEST(SendMessage, EmptyLineOpensNothing) {
    FakeLine line;
    EXPECT_EQ(Send(line, "", "01").outcome,
              (Outcome{BoxKind::Information, " No Message To Send ", false}));
    EXPECT_TRUE(line.events().empty());
}

TEST(SendMessage, ProgressCountsEverySecondByteOfThePage) {
    // 6 + 24 + 266 + 2 + 3 = 301 bytes of page stream.
    FakeLine line;
    const Sent run = Send(line, std::string(266, 'x'), "01");
    ASSERT_EQ(run.outcome, kSent);
    const std::size_t beginFrame = 15; // <ID01><BE>05<E>
    ASSERT_EQ(run.progress.size(), 152u);
    EXPECT_EQ(run.progress.front(), std::make_pair(0, 150));
    for (int v = 1; v <= 150; ++v) {
        EXPECT_EQ(run.progress[static_cast<std::size_t>(v)], std::make_pair(v, 150));
        // Advanced before byte 2v is written.
        EXPECT_EQ(run.writtenAtProgress[static_cast<std::size_t>(v)],
                  beginFrame + static_cast<std::size_t>(2 * v - 1));
    }
    EXPECT_EQ(run.progress.back(), std::make_pair(0, 150));
    EXPECT_EQ(run.writtenAtProgress.back(), beginFrame + 301);
}

TEST(SendMessage, GraphicUsedTwiceIsSentOnceWithUnlitPadding) {
    MemoryGraphics graphics;
    graphics.add("G02", SolidRows(8, 120, 'A'));
    FakeLine line;
    ASSERT_EQ(Send(line, "<Pic:G02> and <Pic:G02>", "01", &graphics).outcome, kSent);
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 7u); // <BE>, page, blocks 1..4, <BF>
    const std::string lit(64, '\xAA');
    EXPECT_EQ(frames[2], Block("<GB1>", lit, "36"));
    // Block 4 holds columns 97..128: three groups of red, the last group of 8 columns unlit.
    EXPECT_EQ(frames[5], Block("<GB4>", std::string(48, '\xAA') + std::string(16, '\0'), "33"));
    EXPECT_EQ(line.events(),
              AcknowledgedSend(frames[1], {frames[2], frames[3], frames[4], frames[5]}));
}

TEST(SendMessage, TallGraphicSendsUpperThenLowerBlocks) {
    MemoryGraphics graphics;
    std::vector<std::string> rows = SolidRows(8, 64, 'A');
    for (const std::string& row : SolidRows(8, 64, 'D')) {
        rows.push_back(row);
    }
    graphics.add("G01", rows);
    FakeLine line;
    graphics.add("G02", SolidRows(8, 32, 'A'));
    const Sent run = Send(line, "<Pic:G02><Pic:G01>", "01", &graphics, 'C');
    ASSERT_EQ(run.outcome, kSent);
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_EQ(frames[2].substr(6, 5), "<GA1>");
    EXPECT_EQ(frames[3].substr(6, 5), "<GA2>");
    EXPECT_EQ(frames[4], Block("<GA5>", std::string(64, '\x55'), "31"));
    EXPECT_EQ(frames[5].substr(6, 5), "<GA6>");
    // Each step is named before its first frame goes.
    using Steps = std::vector<std::pair<std::string, std::size_t>>;
    EXPECT_EQ(run.steps, (Steps{{"Page C", 0},
                                {"Graphic G01 1/4", 2},
                                {"Graphic G01 2/4", 3},
                                {"Graphic G01 3/4", 4},
                                {"Graphic G01 4/4", 5},
                                {"Graphic G02 1/1", 6},
                                {"End of transfer", 7}}));
}

TEST(SendMessage, SevenRowGraphicHasAnUnlitEighthRow) {
    MemoryGraphics graphics;
    graphics.add("G03", SolidRows(7, 32, 'E'));
    FakeLine line;
    ASSERT_EQ(Send(line, "<Pic:G03>", "01", &graphics).outcome, kSent);
    const std::string block = line.frames().at(2);
    ASSERT_EQ(block.size(), 80u);
    const std::string group = std::string(14, '\xFF') + std::string(2, '\0');
    EXPECT_EQ(block.substr(11, 64), group + group + group + group);
}

TEST(SendMessage, GraphicsGoInNumberOrderAfterThePage) {
    MemoryGraphics graphics;
    graphics.add("G10", SolidRows(8, 32, 'A'));
    graphics.add("G02", SolidRows(8, 32, 'D'));
    FakeLine line;
    ASSERT_EQ(Send(line, "<Pic:G10><Pic:G02>", "01", &graphics).outcome, kSent);
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[2].substr(6, 5), "<GB1>");
    EXPECT_EQ(frames[3].substr(6, 5), "<GJ1>");
}

TEST(SendMessage, UnusableGraphicIsRefusedBeforeThePortOpens) {
    MemoryGraphics careless(false);
    careless.add("G04", SolidRows(10, 32, 'A')); // neither 8 nor 16 rows
    careless.add("G05", SolidRows(8, 160, 'A')); // wider than the sign takes
    careless.add("G06", {"AAAA", "AAA", "AAAA", "AAAA", "AAAA", "AAAA", "AAAA", "AAAA"});
    struct Case {
        std::string text;
        const GraphicSource* graphics;
        std::string name;
    };
    const MemoryGraphics empty;
    for (const Case& c : {Case{"Hi <Pic:G03>", &empty, "G03"}, Case{"<Pic:G04>", &careless, "G04"},
                          Case{"<Pic:G05>", &careless, "G05"}, Case{"<Pic:G06>", &careless, "G06"},
                          Case{"<Pic:G07>", nullptr, "G07"}}) {
        SCOPED_TRACE(c.text);
        FakeLine line;
        const Outcome outcome = Send(line, c.text, "01", c.graphics).outcome;
        EXPECT_EQ(outcome.box, BoxKind::Error);
        EXPECT_FALSE(outcome.success);
        EXPECT_NE(outcome.text.find(c.name), std::string::npos) << outcome.text;
        EXPECT_TRUE(line.events().empty());
    }
}

TEST(SendMessage, OpenFailure) {
    FakeLine line;
    line.setOpenFails();
    EXPECT_EQ(Send(line, "Hello", "01").outcome, kOpenComError);
    EXPECT_EQ(line.written(), "");
}

TEST(SendMessage, UnacknowledgedPageStopsBeforeGraphicsAndEnd) {
    MemoryGraphics graphics;
    graphics.add("G01", SolidRows(8, 32, 'A'));
    FakeLine line;
    line.queueReplies({"ACK", "NACK"});
    const Sent run = Send(line, "<Pic:G01>", "01", &graphics);
    EXPECT_EQ(run.outcome, kSendMessageError);
    const Events events = line.events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[5], "read NACK");
    EXPECT_EQ(events[6], "close");
    EXPECT_EQ(run.progress.back().first, 0);
}

TEST(SendMessage, SilentSignTimesOutOnTheIgnoredBeginAndFailsOnThePage) {
    FakeLine line;
    line.setDefaultReply("");
    EXPECT_EQ(Send(line, "Hello", "01").outcome, kSendMessageError);
    EXPECT_EQ(line.events(),
              (Events{"open", "write <ID01><BE>05<E>", "timeout", "timeout", "timeout", "pause 200",
                      "write " + kHelloPage, "timeout", "timeout", "timeout", "close"}));
}

TEST(SendMessage, RefusedBracketsAreIgnored) {
    FakeLine line;
    line.queueReplies({"NACK", "ACK", "NACK"});
    EXPECT_EQ(Send(line, "Hello", "01").outcome, kSent);
    EXPECT_EQ(line.frames().size(), 3u);
}

TEST(SendMessage, UnacknowledgedBlockStopsLaterBlocksAndEnd) {
    MemoryGraphics graphics;
    graphics.add("G01", SolidRows(8, 96, 'A'));
    graphics.add("G02", SolidRows(8, 32, 'A'));
    FakeLine line;
    line.queueReplies({"ACK", "ACK", "ACK", "AC"});
    EXPECT_EQ(Send(line, "<Pic:G01><Pic:G02>", "01", &graphics).outcome, kSendGraphicError);
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 4u); // <BE>, page, blocks 1 and 2 of G01
    EXPECT_EQ(frames[3].substr(6, 5), "<GA2>");
    const Events events = line.events();
    EXPECT_EQ(events[events.size() - 3], "read AC");
    EXPECT_EQ(events[events.size() - 2], "timeout");
    EXPECT_EQ(events.back(), "close");
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 100, 250}));
}

TEST(SendMessage, BroadcastWithGraphicsPausesAfterEveryBlock) {
    MemoryGraphics graphics;
    graphics.add("G16", SolidRows(8, 128, 'E'));
    FakeLine line;
    EXPECT_EQ(Send(line, "<Pic:G16>", "00", &graphics).outcome, kSent);
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 100, 250, 250, 250, 250, 200}));
    EXPECT_EQ(line.frames()[2].substr(0, 11), "<ID00><GP1>");
    for (const std::string& event : line.events()) {
        EXPECT_NE(event.rfind("read", 0), 0u) << event;
        EXPECT_NE(event, "timeout");
    }
}

TEST(SendMessage, FailedWriteAnywhereIsNeverASuccess) {
    MemoryGraphics graphics;
    graphics.add("G01", SolidRows(8, 64, 'A'));
    // Bytes: <BE> frame 15, page frame, two 80-byte blocks, <BF> frame 15.
    FakeLine probe;
    Send(probe, "<Pic:G01>", "00", &graphics);
    const std::size_t page = probe.frames().at(1).size();
    struct Case {
        std::size_t accepted;
        Outcome outcome;
        std::vector<int> pauses;
    };
    const Case cases[] = {
        {5, kSendMessageError, {}},                                          // inside <BE>
        {15 + 10, kSendMessageError, {200}},                                 // inside the page
        {15 + page + 79, kSendGraphicError, {200, 100}},                     // last byte of block 1
        {15 + page + 160 + 3, kSendMessageError, {200, 100, 250, 250, 200}}, // inside <BF>
    };
    for (const std::string id : {"01", "00"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(id + " after " + std::to_string(c.accepted));
            FakeLine line;
            line.failWritesAfter(c.accepted);
            const Sent run = Send(line, "<Pic:G01>", id, &graphics);
            EXPECT_EQ(run.outcome, c.outcome);
            EXPECT_EQ(line.written().size(), c.accepted);
            EXPECT_EQ(line.pauses(), c.pauses);
            const Events events = line.events();
            ASSERT_GE(events.size(), 2u);
            EXPECT_EQ(events[events.size() - 2], "write failed");
            EXPECT_EQ(events.back(), "close");
            if (!run.progress.empty()) {
                EXPECT_EQ(run.progress.back().first, 0);
            }
        }
    }
}

} // namespace
} // namespace lumivo::link::test

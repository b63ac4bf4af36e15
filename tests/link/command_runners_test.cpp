// The single-frame commands, Set ID, schedules and deletions against a scripted line: the exact
// bytes written, the replies read, the pauses taken, in order, and the box the user sees.

#include "core/test_support.h"
#include "link/fake_port.h"
#include "link/runners.h"
#include "link_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace lumivo::link::test {
namespace {

using Events = std::vector<std::string>;

using OneFrameRun = std::function<Outcome(FakeLine&, const std::string& signId)>;

// One command of a single frame, from tests/data/link/one_frame_commands.tsv: the frame it writes
// to the sign ID of the case, and its three texts; how to run it comes from RunnerNamed.
struct OneFrameCase {
    std::string name;
    OneFrameRun run;
    std::string signId;  // the addressed sign of the golden case
    std::string payload; // what the frame carries
    std::string frame;   // the golden frame for signId
    std::string success;
    std::string failure;
    std::string broadcast; // the "is Over" text for "00"
};

std::string BroadcastFrame(const OneFrameCase& c) {
    std::string frame = c.frame;
    frame.replace(3, 2, "00");
    return frame;
}

class OneFrameCommand : public ::testing::TestWithParam<OneFrameCase> {};

TEST_P(OneFrameCommand, WritesTheGoldenFrameAndSucceedsOnAck) {
    const OneFrameCase& c = GetParam();
    FakeLine line;
    EXPECT_EQ(c.run(line, c.signId), Info(c.success.c_str()));
    EXPECT_EQ(line.events(), (Events{"open", "write " + c.frame, "read ACK", "close"}));
}

TEST_P(OneFrameCommand, BroadcastReadsNothingAndIsOver) {
    const OneFrameCase& c = GetParam();
    FakeLine line;
    line.setDefaultReply("");
    EXPECT_EQ(c.run(line, "00"), Info(c.broadcast.c_str()));
    EXPECT_EQ(line.events(), (Events{"open", "write " + BroadcastFrame(c), "close"}));
}

TEST_P(OneFrameCommand, EveryAnswerButAckFails) {
    const OneFrameCase& c = GetParam();
    struct Reply {
        std::string answer;
        Events reads;
    };
    const std::vector<Reply> replies = {
        {"", {"timeout", "timeout", "timeout"}}, // silence: three reads time out
        {"NACK", {"read NACK"}},                 // refusal: "N" and three more bytes read
        {"NAK", {"read NAK", "timeout"}},        // a short refusal waits for its fourth byte
        {"AC", {"read AC", "timeout"}},          // short reply
        {"ACk", {"read ACk"}},                   // wrong byte
        {std::string("\0CK", 3), {std::string("read \0CK", 8)}}, // a zero ends the text early
    };
    for (const Reply& reply : replies) {
        SCOPED_TRACE(reply.answer);
        FakeLine line;
        line.setDefaultReply(reply.answer);
        EXPECT_EQ(c.run(line, c.signId), Plain(c.failure.c_str()));
        Events expected{"open", "write " + c.frame};
        expected.insert(expected.end(), reply.reads.begin(), reply.reads.end());
        expected.push_back("close");
        EXPECT_EQ(line.events(), expected);
    }
}

TEST_P(OneFrameCommand, AckWithExtraBytesSucceedsAndLeavesThemUnread) {
    const OneFrameCase& c = GetParam();
    FakeLine line;
    line.setDefaultReply("ACK\r\n");
    EXPECT_EQ(c.run(line, c.signId), Info(c.success.c_str()));
    EXPECT_EQ(line.events(), (Events{"open", "write " + c.frame, "read ACK", "close"}));
}

TEST_P(OneFrameCommand, OpenFailureWritesNothing) {
    const OneFrameCase& c = GetParam();
    FakeLine line;
    line.setOpenFails();
    EXPECT_EQ(c.run(line, c.signId), kOpenComError);
    EXPECT_EQ(line.events(), (Events{"open failed"}));
    EXPECT_EQ(line.written(), "");
}

TEST_P(OneFrameCommand, FailedWriteIsAFailureEvenForBroadcast) {
    const OneFrameCase& c = GetParam();
    for (const std::string& id : {c.signId, std::string("00")}) {
        SCOPED_TRACE(id);
        FakeLine line;
        line.failWritesAfter(7);
        EXPECT_EQ(c.run(line, id), Plain(c.failure.c_str()));
        std::string firstBytes = "<ID" + id + ">" + c.payload.substr(0, 1);
        EXPECT_EQ(line.events(), (Events{"open", "write " + firstBytes, "write failed", "close"}));
    }
}

// The runner of each command named in the table, with the inputs its golden frame was made from.
OneFrameRun RunnerNamed(const std::string& name) {
    static const std::map<std::string, OneFrameRun> runners = {
        {"SetClock",
         [](FakeLine& l, const std::string& id) {
             return RunSetClock(l.opener(), l.clock(), id, CivilDate{2026, 12, 7}, "14:05:09");
         }},
        {"RunPage",
         [](FakeLine& l, const std::string& id) {
             return RunRunPage(l.opener(), l.clock(), id, 'C');
         }},
        {"SetBrightness",
         [](FakeLine& l, const std::string& id) {
             return RunSetBrightness(l.opener(), l.clock(), id, 3); // 25%
         }},
        {"LinkPages",
         [](FakeLine& l, const std::string& id) {
             return RunLinkPages(l.opener(), l.clock(), id, "abc");
         }},
        {"DeleteAll",
         [](FakeLine& l, const std::string& id) {
             return RunDeleteAll(l.opener(), l.clock(), id);
         }},
        {"RecallDefaultFont",
         [](FakeLine& l, const std::string& id) {
             return RunRecallDefaultFont(l.opener(), l.clock(), id);
         }},
    };
    const auto found = runners.find(name);
    return found == runners.end() ? OneFrameRun() : found->second;
}

std::vector<OneFrameCase> OneFrameCases() {
    std::vector<OneFrameCase> cases;
    for (const lumivo::test::CaseRow& row :
         lumivo::test::ReadCases("link/one_frame_commands.tsv")) {
        const std::vector<std::string>& f = row.fields;
        if (f.size() != 7 || !RunnerNamed(f[0])) {
            ADD_FAILURE() << "one_frame_commands.tsv line " << row.line << " is not a case";
            continue;
        }
        cases.push_back({f[0], RunnerNamed(f[0]), f[1], f[2], f[3], f[4], f[5], f[6]});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Commands, OneFrameCommand, ::testing::ValuesIn(OneFrameCases()),
                         [](const auto& info) { return info.param.name; });

TEST(OneFrameCommandExtras, BrightnessLevelsAreLettersAToD) {
    FakeLine line;
    for (int level = 0; level < 4; ++level) {
        RunSetBrightness(line.opener(), line.clock(), "01", level);
    }
    EXPECT_EQ(line.frames(),
              (Events{"<ID01><BA>01<E>", "<ID01><BB>02<E>", "<ID01><BC>03<E>", "<ID01><BD>04<E>"}));
}

TEST(OneFrameCommandExtras, LinkPagesWithoutPagesIsFollowedByItsCheck) {
    FakeLine line;
    EXPECT_EQ(RunLinkPages(line.opener(), line.clock(), "01", ""), Info("   Link page OK   "));
    EXPECT_EQ(line.frames(), (Events{"<ID01><TA>000101000099123023591A<E>"}));
}

TEST(SetClock, TimeWithBlanksIsRefusedBeforeThePortOpens) {
    for (const char* time : {"  :  :  ", "14:0 :09", "1 :05:09", "14:05:0", ""}) {
        SCOPED_TRACE(time);
        FakeLine line;
        const Outcome outcome =
            RunSetClock(line.opener(), line.clock(), "01", CivilDate{2026, 12, 7}, time);
        EXPECT_EQ(outcome, ErrorBox(" The time has blank digits: enter it in full as hh:nn:ss "));
        EXPECT_TRUE(line.events().empty());
    }
}

TEST(SetId, WritesUnframedBytesAndChecksTheEcho) {
    FakeLine line;
    line.queueReply("05");
    EXPECT_EQ(RunSetId(line.opener(), line.clock(), 5), Info("    Set ID OK    "));
    EXPECT_EQ(line.events(), (Events{"open", "write <ID><05><E>", "read 05", "close"}));

    FakeLine last;
    last.queueReply("FF");
    EXPECT_EQ(RunSetId(last.opener(), last.clock(), 255), Info("    Set ID OK    "));
    EXPECT_EQ(last.written(), "<ID><FF><E>");
}

TEST(SetId, WrongOrMissingEchoFails) {
    struct Case {
        std::string echo;
        Events reads;
    };
    for (const Case& c : {Case{"06", {"read 06"}}, Case{"0", {"read 0", "timeout"}},
                          Case{"", {"timeout", "timeout"}}, Case{"ACK", {"read AC"}},
                          Case{"5", {"read 5", "timeout"}}}) {
        SCOPED_TRACE(c.echo);
        FakeLine line;
        line.queueReply(c.echo);
        EXPECT_EQ(RunSetId(line.opener(), line.clock(), 5), Plain("    Set ID Error    "));
        Events expected{"open", "write <ID><05><E>"};
        expected.insert(expected.end(), c.reads.begin(), c.reads.end());
        expected.push_back("close");
        EXPECT_EQ(line.events(), expected);
    }
}

TEST(SetId, OpenAndWriteFailures) {
    FakeLine closed;
    closed.setOpenFails();
    EXPECT_EQ(RunSetId(closed.opener(), closed.clock(), 5), kOpenComError);
    EXPECT_EQ(closed.written(), "");

    FakeLine broken;
    broken.failWritesAfter(4);
    EXPECT_EQ(RunSetId(broken.opener(), broken.clock(), 5), Plain("    Set ID Error    "));
    EXPECT_EQ(broken.events(), (Events{"open", "write <ID>", "write failed", "close"}));
}

// --- schedules

const ScheduleEntry kChristmas{"12/25/26 08:00", "12/31/26 18:30", "ABC"};
const ScheduleEntry kNewYear{"01/01/27 00:00", "01/02/27 23:59", "D"};

TEST(SendSchedules, WorkedExampleThenPause) {
    FakeLine line;
    EXPECT_EQ(RunSendSchedules(line.opener(), line.clock(), "01", {kChristmas}),
              Info("   Send Schedule OK   "));
    EXPECT_EQ(line.events(), (Events{"open", "write <ID01><TA>26122508002612311830ABC50<E>",
                                     "read ACK", "pause 70", "close"}));
}

TEST(SendSchedules, EachRowGetsTheSlotOfItsPositionAndA70msPause) {
    FakeLine line;
    EXPECT_EQ(RunSendSchedules(line.opener(), line.clock(), "01", {kNewYear, kChristmas}),
              Info("   Send Schedule OK   "));
    ASSERT_EQ(line.frames().size(), 2u);
    EXPECT_EQ(line.frames()[0].substr(0, 10), "<ID01><TA>");
    EXPECT_EQ(line.frames()[1], "<ID01><TB>26122508002612311830ABC53<E>");
    EXPECT_EQ(line.pauses(), (std::vector<int>{70, 70}));
}

TEST(SendSchedules, BroadcastWritesBackToBackWithPausesAndNoReads) {
    FakeLine line;
    const std::vector<ScheduleEntry> five(5, kChristmas);
    EXPECT_EQ(RunSendSchedules(line.opener(), line.clock(), "00", five),
              Info("   Sending Schedule is Over   "));
    const Events events = line.events();
    ASSERT_EQ(events.size(), 12u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(events[1 + 2 * i].substr(0, 15), std::string("write <ID00><T") + char('A' + i));
        EXPECT_EQ(events[2 + 2 * i], "pause 70");
    }
    EXPECT_EQ(events.back(), "close");
}

TEST(SendSchedules, EmptyListOpensClosesAndReports) {
    for (const char* id : {"01", "00"}) {
        FakeLine line;
        const Outcome outcome = RunSendSchedules(line.opener(), line.clock(), id, {});
        EXPECT_EQ(outcome, Info(id == std::string("00") ? "   Sending Schedule is Over   "
                                                        : "   Send Schedule OK   "));
        EXPECT_EQ(line.events(), (Events{"open", "close"}));
    }
}

TEST(SendSchedules, StopsAtTheFirstUnacknowledgedRow) {
    FakeLine line;
    line.queueReplies({"ACK", "NACK"});
    EXPECT_EQ(RunSendSchedules(line.opener(), line.clock(), "01", {kChristmas, kNewYear, kNewYear}),
              Plain("  Send Schedule Error  "));
    const Events events = line.events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[2], "read ACK");
    EXPECT_EQ(events[3], "pause 70");
    EXPECT_EQ(events[5], "read NACK");
    EXPECT_EQ(events[6], "close"); // no pause after the failure, no third row
}

TEST(SendSchedules, FailuresOfOpenAndWrite) {
    FakeLine closed;
    closed.setOpenFails();
    EXPECT_EQ(RunSendSchedules(closed.opener(), closed.clock(), "01", {kChristmas}), kOpenComError);

    FakeLine broken;
    broken.failWritesAfter(38 + 3); // the first row goes out whole
    EXPECT_EQ(RunSendSchedules(broken.opener(), broken.clock(), "00", {kChristmas, kChristmas}),
              Plain("  Send Schedule Error  "));
    EXPECT_EQ(broken.events().back(), "close");
    EXPECT_EQ(broken.pauses(), (std::vector<int>{70}));
}

// --- deletions

TEST(DeleteSchedules, CheckedSlotsInOrderWithoutPauses) {
    FakeLine line;
    const std::array<bool, 5> checked{true, false, true, false, true};
    EXPECT_EQ(RunDeleteSchedules(line.opener(), line.clock(), "01", checked),
              Info("   Delete Schedule OK   "));
    EXPECT_EQ(line.events(),
              (Events{"open", "write <ID01><DTA>53<E>", "read ACK", "write <ID01><DTC>51<E>",
                      "read ACK", "write <ID01><DTE>57<E>", "read ACK", "close"}));
}

TEST(DeleteSchedules, BroadcastNeverReadsOrPauses) {
    FakeLine line;
    const std::array<bool, 5> checked{true, true, false, false, false};
    EXPECT_EQ(RunDeleteSchedules(line.opener(), line.clock(), "00", checked),
              Info("   Deleting Schedule is Over   "));
    EXPECT_EQ(line.events(),
              (Events{"open", "write <ID00><DTA>53<E>", "write <ID00><DTB>50<E>", "close"}));
}

TEST(DeleteSchedules, NothingCheckedStillReports) {
    FakeLine line;
    EXPECT_EQ(RunDeleteSchedules(line.opener(), line.clock(), "01", {}),
              Info("   Delete Schedule OK   "));
    EXPECT_EQ(line.events(), (Events{"open", "close"}));
}

TEST(DeleteSchedules, RefusalStopsTheRun) {
    FakeLine line;
    line.queueReplies({"ACK", ""});
    const std::array<bool, 5> checked{true, true, true, false, false};
    EXPECT_EQ(RunDeleteSchedules(line.opener(), line.clock(), "01", checked),
              Plain("  Send Message Error  "));
    EXPECT_EQ(line.frames(), (Events{"<ID01><DTA>53<E>", "<ID01><DTB>50<E>"}));
    EXPECT_EQ(line.events().back(), "close");
}

TEST(DeletePageLines, PagesInAlphabeticalOrderLineOneFirst) {
    PageLineMarks marks{};
    marks[3] = {true, true};  // page D, both lines
    marks[0] = {false, true}; // page A, line 2 only
    FakeLine line;
    EXPECT_EQ(RunDeletePageLines(line.opener(), line.clock(), "01", marks),
              Info("   Delete page OK   "));
    EXPECT_EQ(line.events(), (Events{"open", "write <ID01><DL2PA>29<E>", "read ACK", "pause 50",
                                     "write <ID01><DL1PD>2F<E>", "read ACK", "pause 50",
                                     "write <ID01><DL2PD>2C<E>", "read ACK", "pause 50", "close"}));
}

TEST(DeletePageLines, WorkedExampleAndLastPage) {
    PageLineMarks marks{};
    marks[0] = {true, false};
    marks[25] = {false, true};
    FakeLine line;
    RunDeletePageLines(line.opener(), line.clock(), "01", marks);
    EXPECT_EQ(line.frames(), (Events{"<ID01><DL1PA>2A<E>", "<ID01><DL2PZ>32<E>"}));
}

TEST(DeletePageLines, BroadcastHasNoPauses) {
    PageLineMarks marks{};
    marks[3] = {true, true};
    FakeLine line;
    EXPECT_EQ(RunDeletePageLines(line.opener(), line.clock(), "00", marks),
              Info("   Deleting page is over   "));
    EXPECT_EQ(line.events(),
              (Events{"open", "write <ID00><DL1PD>2F<E>", "write <ID00><DL2PD>2C<E>", "close"}));
}

TEST(DeletePageLines, FailureStopsWithoutPauseAndRunsAgainFromPageA) {
    PageLineMarks marks{};
    marks[1] = {true, false};
    marks[2] = {true, false};
    FakeLine line;
    line.queueReplies({"ACK", "NACK"});
    EXPECT_EQ(RunDeletePageLines(line.opener(), line.clock(), "01", marks),
              Plain("  Delete Page Error  "));
    EXPECT_EQ(line.pauses(), (std::vector<int>{50}));
    EXPECT_EQ(line.events().back(), "close");
    EXPECT_EQ(RunDeletePageLines(line.opener(), line.clock(), "01", marks),
              Info("   Delete page OK   "));
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[2], frames[0]); // the second run starts again from the first marked page
}

TEST(DeletePageLines, WriteFailureForBroadcastIsNotOver) {
    PageLineMarks marks{};
    marks[0] = {true, true};
    FakeLine line;
    line.failWritesAfter(18); // the first frame only
    EXPECT_EQ(RunDeletePageLines(line.opener(), line.clock(), "00", marks),
              Plain("  Delete Page Error  "));
    EXPECT_EQ(line.events(), (Events{"open", "write <ID00><DL1PA>2A<E>", "write failed", "close"}));
}

} // namespace
} // namespace lumivo::link::test

// Font transfer against a scripted line: brackets, one frame per drawn character, skipped
// blanks, progress, and the failure path that still ends the transfer.

#include "link/fake_port.h"
#include "link/runners.h"
#include "link_test_support.h"

#include <gtest/gtest.h>

namespace lumivo::link::test {
namespace {

using Events = std::vector<std::string>;

UserCharRecord Char(int code, char size, std::uint8_t firstRow = 0x80) {
    return MakeUserCharRecord(code, size, {firstRow, 0, 0, 0, 0, 0, 0});
}

const UserCharRecord kBlank{};
const std::string kU41Frame =
    Raw({0x3C, 0x49, 0x44, 0x30, 0x31, 0x3E, 0x3C, 0x46, 0x41, 0x30, 0x31, 0x3E, 0x80,
         0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x38, 0x34, 0x3C, 0x45, 0x3E});

struct Transfer {
    FontTransferResult result;
    std::vector<std::pair<int, int>> progress;
};

Transfer TransferFont(FakeLine& line, const std::string& signId,
                      const std::vector<UserCharRecord>& records) {
    Transfer t;
    t.result =
        RunFontTransfer(line.opener(), line.clock(), signId, records,
                        [&t](int value, int maximum) { t.progress.emplace_back(value, maximum); });
    return t;
}

TEST(FontTransfer, WorkedExample) {
    FakeLine line;
    const Transfer t = TransferFont(line, "01", {Char(0x41, 'A')});
    EXPECT_EQ(t.result.outcome, Info("      Transfer Font OK      "));
    EXPECT_EQ(t.result.sent, std::vector<UserCharRecord>{Char(0x41, 'A')});
    EXPECT_EQ(line.events(), (Events{"open", "write <ID01><BE>05<E>", "read ACK", "pause 200",
                                     "write " + kU41Frame, "read ACK", "pause 60", "pause 200",
                                     "write <ID01><BF>06<E>", "read ACK", "close"}));
}

TEST(FontTransfer, BlankRecordsAreSkippedWithoutProgressOrPause) {
    FakeLine line;
    const Transfer t =
        TransferFont(line, "01", {kBlank, Char(0x41, 'A'), kBlank, Char(0x7F, 'C', 0xF0)});
    EXPECT_EQ(t.result.outcome, Info("      Transfer Font OK      "));
    const Events frames = line.frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[1], kU41Frame);
    EXPECT_EQ(frames[2].substr(6, 6), "<FC3F>");
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 60, 60, 200}));
    // The bar ends below its maximum of four, then goes back to zero.
    EXPECT_EQ(t.progress, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {0, 4}}));
    EXPECT_EQ(t.result.sent.size(), 2u);
}

TEST(FontTransfer, OnlyBlankRecordsSendTheBracketsAlone) {
    FakeLine line;
    const Transfer t = TransferFont(line, "01", {kBlank, kBlank});
    EXPECT_EQ(t.result.outcome, Info("      Transfer Font OK      "));
    EXPECT_EQ(line.frames(), (Events{"<ID01><BE>05<E>", "<ID01><BF>06<E>"}));
    EXPECT_TRUE(t.result.sent.empty());
}

TEST(FontTransfer, SameCodeTwiceIsSentTwice) {
    FakeLine line;
    const Transfer t = TransferFont(line, "01", {Char(0x41, 'C'), Char(0x41, 'A')});
    EXPECT_EQ(t.result.sent, (std::vector<UserCharRecord>{Char(0x41, 'C'), Char(0x41, 'A')}));
    EXPECT_EQ(line.frames().size(), 4u);
}

TEST(FontTransfer, BroadcastReadsNothing) {
    FakeLine line;
    line.setDefaultReply("");
    const Transfer t = TransferFont(line, "00", {Char(0x41, 'A'), Char(0x42, 'B')});
    EXPECT_EQ(t.result.outcome, Info("      Transfer Font Over      "));
    EXPECT_EQ(t.result.sent.size(), 2u);
    for (const std::string& event : line.events()) {
        EXPECT_NE(event, "timeout");
    }
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 60, 60, 200}));
}

TEST(FontTransfer, SilentOrRefusingBracketsDoNotStopTheRun) {
    FakeLine line;
    line.queueReplies({"", "ACK", "NACK"});
    const Transfer t = TransferFont(line, "01", {Char(0x41, 'A')});
    EXPECT_EQ(t.result.outcome, Info("      Transfer Font OK      "));
}

TEST(FontTransfer, RefusedCharacterStillEndsTheTransfer) {
    FakeLine line;
    line.queueReplies({"ACK", "ACK", "NACK", "ACK"});
    const Transfer t =
        TransferFont(line, "01", {Char(0x41, 'A'), Char(0x42, 'A'), Char(0x43, 'A')});
    EXPECT_EQ(t.result.outcome, ErrorBox("   Transfer U42 Font Error   "));
    EXPECT_EQ(t.result.sent, std::vector<UserCharRecord>{Char(0x41, 'A')});
    const Events events = line.events();
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 6, events.end()),
              (Events{"write " + line.frames()[2], "read NACK", "pause 200",
                      "write <ID01><BF>06<E>", "read ACK", "close"}));
    EXPECT_EQ(line.frames().size(), 4u); // U43 is never sent
    EXPECT_EQ(t.progress.back(), std::make_pair(0, 3));
}

TEST(FontTransfer, SilentSignFailsOnTheFirstCharacter) {
    FakeLine line;
    line.setDefaultReply("");
    const Transfer t = TransferFont(line, "01", {Char(0x41, 'A')});
    EXPECT_EQ(t.result.outcome, ErrorBox("   Transfer U41 Font Error   "));
    EXPECT_EQ(line.events(),
              (Events{"open", "write <ID01><BE>05<E>", "timeout", "timeout", "timeout", "pause 200",
                      "write " + kU41Frame, "timeout", "timeout", "timeout", "pause 200",
                      "write <ID01><BF>06<E>", "timeout", "timeout", "timeout", "close"}));
}

TEST(FontTransfer, FailedWritesEndTheRunAtOnce) {
    for (const std::string id : {"01", "00"}) {
        SCOPED_TRACE(id);
        FakeLine inChar;
        inChar.failWritesAfter(15 + 12);
        const Transfer t = TransferFont(inChar, id, {Char(0x41, 'A')});
        EXPECT_EQ(t.result.outcome, ErrorBox("   Transfer U41 Font Error   "));
        EXPECT_EQ(inChar.events().back(), "close");
        EXPECT_EQ(inChar.events()[inChar.events().size() - 2], "write failed");
        EXPECT_TRUE(t.result.sent.empty());

        FakeLine inBegin;
        inBegin.failWritesAfter(3);
        EXPECT_EQ(TransferFont(inBegin, id, {Char(0x41, 'A')}).result.outcome,
                  ErrorBox("   Transfer Font Error   "));

        FakeLine inEnd;
        inEnd.failWritesAfter(15 + 25 + 3);
        const Transfer end = TransferFont(inEnd, id, {Char(0x41, 'A')});
        EXPECT_EQ(end.result.outcome, ErrorBox("   Transfer Font Error   "));
        EXPECT_EQ(end.result.sent.size(), 1u);
    }
}

TEST(FontTransfer, RecordWithoutSignCharacterIsRefusedBeforeOpening) {
    // A record from a foreign file: its code bytes are quoted as text, never as raw bytes.
    UserCharRecord foreign{0xFF, 0xFF, 0xFF, 'Z'};
    FakeLine line;
    const Transfer t = TransferFont(line, "01", {Char(0x42, 'A'), foreign});
    EXPECT_EQ(
        t.result.outcome,
        ErrorBox(" Character \\xFF\\xFF\\xFF- has no character on the sign: nothing was sent "));
    EXPECT_TRUE(line.events().empty());
}

TEST(FontTransfer, OpenFailure) {
    FakeLine line;
    line.setOpenFails();
    const Transfer t = TransferFont(line, "01", {Char(0x41, 'A')});
    EXPECT_EQ(t.result.outcome, kOpenComError);
    EXPECT_TRUE(t.progress.empty());
    EXPECT_EQ(line.written(), "");
}

} // namespace
} // namespace lumivo::link::test

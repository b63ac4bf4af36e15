#include "core/frame.h"
#include "core/payloads.h"

#include <gtest/gtest.h>

namespace lumivo {
namespace {

TEST(SetClock, PayloadOfTheWorkedDateAndWeekdays) {
    EXPECT_EQ(SetClockPayload({2026, 12, 7}, "14:05:09"), "<SC>26021207140509");
    EXPECT_EQ(SetClockPayload({2026, 12, 6}, "00:00:00").substr(4, 4), "2601");  // Sunday
    EXPECT_EQ(SetClockPayload({2026, 12, 12}, "00:00:00").substr(4, 4), "2607"); // Saturday
    EXPECT_EQ(SetClockPayload({2000, 2, 29}, "23:59:59"), "<SC>00030229235959");
    // Digits are copied as typed, blanks included.
    EXPECT_EQ(SetClockPayload({2026, 1, 5}, "1 :  :5 ").substr(12), "1   5 ");
}

TEST(SetClock, BlankTimeFieldsAreFound) {
    EXPECT_FALSE(TimeTextHasBlanks("14:05:09"));
    EXPECT_TRUE(TimeTextHasBlanks("  :  :  "));
    EXPECT_TRUE(TimeTextHasBlanks("14:05:0 "));
    EXPECT_TRUE(TimeTextHasBlanks("14:05"));
}

TEST(SingleFrameCommands, RunPageBrightnessAndSetId) {
    EXPECT_EQ(RunPagePayload('Q'), "<RPQ>");
    EXPECT_EQ(BrightnessPayload(0), "<BA>");
    EXPECT_EQ(BuildFrame(BrightnessPayload(3), "0A"),
              "<ID0A><BD>" + Hex2(FrameChecksum("<BD>")) + "<E>");
    EXPECT_EQ(SetIdBytes(5), "<ID><05><E>");
    EXPECT_EQ(SetIdBytes(255), "<ID><FF><E>");
    EXPECT_TRUE(SetIdEchoMatches("05", 5));
    EXPECT_FALSE(SetIdEchoMatches("5", 5));
    EXPECT_FALSE(SetIdEchoMatches(std::string("\0\0", 2), 5));
    EXPECT_FALSE(SetIdEchoMatches("0a", 10));
}

TEST(Schedule, PayloadPiecesAreCopiedAsTyped) {
    const ScheduleEntry e{"12/25/26 08:00", "12/31/26 18:30", "ABC"};
    EXPECT_EQ(SchedulePayload(0, e), "<TA>26122508002612311830ABC");
    EXPECT_EQ(BuildFrame(SchedulePayload(0, e), "01"), "<ID01><TA>26122508002612311830ABC50<E>");
    const ScheduleEntry blanks{" 1/2 /26  8:0 ", "12/31/26 18:30", ""};
    const Bytes p = SchedulePayload(4, blanks);
    EXPECT_EQ(p.size(), 24u);
    EXPECT_EQ(p.substr(0, 14), "<TE>26 12  80 ");
}

TEST(LinkPages, FixedPeriodAndUpperCasedPages) {
    EXPECT_EQ(BuildFrame(LinkPagesPayload("abc"), "01"), "<ID01><TA>00010100009912302359ABC5A<E>");
    EXPECT_EQ(BuildFrame(LinkPagesPayload(""), "00"), "<ID00><TA>000101000099123023591A<E>");
    EXPECT_EQ(LinkPagesPayload("zY"), "<TA>00010100009912302359ZY");
}

TEST(Schedule, DateRangeComparesTexts) {
    EXPECT_TRUE(ScheduleDateInRange("12/31/26"));
    EXPECT_TRUE(ScheduleDateInRange("00/00/00"));
    EXPECT_TRUE(ScheduleDateInRange("  /  /  "));
    EXPECT_TRUE(ScheduleDateInRange("01/3 /26"));
    EXPECT_FALSE(ScheduleDateInRange("13/01/26"));
    EXPECT_FALSE(ScheduleDateInRange("01/32/26"));
    EXPECT_FALSE(ScheduleDateInRange("01/4 /26"));
    EXPECT_FALSE(ScheduleDateInRange("2 /01/26"));
}

TEST(TimeFields, CorrectionsAfterEachKey) {
    EXPECT_EQ(CorrectScheduleTime("35:10"), "23:10");
    EXPECT_EQ(CorrectScheduleTime("12:75"), "12:55");
    EXPECT_EQ(CorrectScheduleTime("9 :  "), "2 :  ");
    EXPECT_EQ(CorrectScheduleTime("  :  "), "  :  ");
    EXPECT_EQ(CorrectClockTime("9 :  :  "), "2 :  :  ");
    EXPECT_EQ(CorrectClockTime("29:00:00"), "23:00:00");
    EXPECT_EQ(CorrectClockTime("12:70:80"), "12:50:50");
    EXPECT_EQ(CorrectClockTime("1"), "1");
}

TEST(TimeFields, ClockTicks) {
    EXPECT_EQ(TickClockText("23:59:59"), "00:00:00");
    EXPECT_EQ(TickClockText("12:59:59"), "13:00:00");
    EXPECT_EQ(TickClockText("00:00:00"), "00:00:01");
    EXPECT_EQ(TickClockText("09:09:59"), "09:10:00");
    EXPECT_FALSE(TickClockText("  :  :  "));
    EXPECT_FALSE(TickClockText("24:00:00"));
    EXPECT_FALSE(TickClockText("12:3 :00"));
}

TEST(Deletions, Payloads) {
    EXPECT_EQ(BuildFrame(DeleteSchedulePayload(0), "01"), "<ID01><DTA>53<E>");
    EXPECT_EQ(DeleteSchedulePayload(4), "<DTE>");
    EXPECT_EQ(BuildFrame(DeleteLinePayload(1, 'A'), "01"), "<ID01><DL1PA>2A<E>");
    EXPECT_EQ(DeleteLinePayload(2, 'D'), "<DL2PD>");
    EXPECT_EQ(BuildFrame(kDeleteAllPayload, "01"), "<ID01><D*>6C<E>");
    EXPECT_EQ(Hex2(FrameChecksum(kRecallDefaultFontPayload)), "13");
}

} // namespace
} // namespace lumivo

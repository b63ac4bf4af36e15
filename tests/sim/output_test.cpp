// What the sign writes for people and tests: JSON log lines and state, and LED dots.
#include "core/frame.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "sim/json_out.h"
#include "sim/state_dots.h"
#include "sim/virtual_sign.h"

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

using namespace std::string_literals;

TEST(Json, StringsKeepEveryByte) {
    EXPECT_EQ(JsonString("plain <L1>"), "\"plain <L1>\"");
    EXPECT_EQ(JsonString("q\"b\\"), "\"q\\\"b\\\\\"");
    EXPECT_EQ(JsonString("\x00\n\x1F\x7F\x80\xFF"s),
              "\"\\u0000\\u000A\\u001F\\u007F\\u0080\\u00FF\"");
}

TEST(Json, TimestampIsUtcWithMilliseconds) {
    using namespace std::chrono;
    const sys_days day = year{2026} / December / 7;
    EXPECT_EQ(UtcTimestamp(system_clock::time_point(day + hours(14) + minutes(5) + seconds(9) +
                                                    milliseconds(42))),
              "2026-12-07T14:05:09.042Z");
}

TEST(Json, LogLinesNameWhatHappened) {
    VirtualSign sign(1);
    const auto record = MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0});
    auto ex = sign.receive(BuildFrame(*FontCharPayload(record), "01"));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ExchangeJson(ex[0], "T"),
              "{\"time\":\"T\",\"event\":\"frame\",\"id\":\"01\",\"kind\":\"font-char\","
              "\"payload\":\"<FA01>\\u0080\\u0000\\u0000\\u0000\\u0000\\u0000\\u0000\\u0000\","
              "\"checksum\":\"84\",\"checksum_ok\":true,\"applied\":true,\"reply\":\"ACK\","
              "\"note\":\"\"}");

    ex = sign.receive("<ID><0C><E><ID02><BE>05<E>");
    ASSERT_EQ(ex.size(), 2u);
    const std::string setId = ExchangeJson(ex[0], "T");
    EXPECT_NE(setId.find("\"event\":\"set-id\",\"id\":\"0C\""), std::string::npos) << setId;
    EXPECT_NE(setId.find("\"reply\":\"0C\""), std::string::npos) << setId;
    const std::string ignored = ExchangeJson(ex[1], "T");
    EXPECT_NE(ignored.find("\"applied\":false,\"reply\":\"\",\"note\":\"not for this sign\""),
              std::string::npos)
        << ignored;
}

TEST(Json, StateHoldsEverythingTheSignKeeps) {
    VirtualSign sign(0x2B);
    sign.receive(BuildFrame("<L1><PB><FE><MA><WC><FE>Hi \"you\"", "00") +
                 BuildFrame(SchedulePayload(0, {"12/25/26 08:00", "12/31/26 18:30", "AB"}), "00") +
                 BuildFrame(BrightnessPayload(0), "00") +
                 BuildFrame("<GA1>" + Bytes(63, '\0') + "\x9C"s, "00"));
    const std::string json = StateJson(sign.state());
    for (const char* part : {
             "\"id\":\"2B\"",
             "\"clock\":null",
             "\"brightness\":\"A\"",
             "\"running_page\":null",
             "\"pages\":{\"B\":{\"1\":{\"header\":\"<FE><MA><WC><FE>\",\"text\":\"Hi "
             "\\\"you\\\"\"}}}",
             "\"schedules\":{\"A\":{\"start\":\"2612250800\",\"end\":\"2612311830\",\"pages\":"
             "\"AB\"}}",
             "\"letter\":\"A\",\"block\":1",
             // 0x9C = 10 01 11 00: red, green, yellow, off in the last row of the last group
             "\"@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\",\"@@@@@@@@@@@@@@@@@@@@@@@@@@@@ADE@\"]",
             "\"user_chars\":{}",
         }) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n in " << json;
    }
}

TEST(LedRender, TextIsDrawnInTheFiveBySevenFontWithAGap) {
    const SignState state;
    EXPECT_EQ(DotsText(RenderLine(state, "H")), "R...R.\n"
                                                "R...R.\n"
                                                "R...R.\n"
                                                "RRRRR.\n"
                                                "R...R.\n"
                                                "R...R.\n"
                                                "R...R.\n"
                                                "......\n");
    EXPECT_EQ(RenderLine(state, "").size(), 8u);
    EXPECT_EQ(RenderLine(state, "").front(), "");
    // Plain "<" that starts no code is a character of its own.
    EXPECT_EQ(RenderLine(state, "a<b")[0].size(), 18u);
}

TEST(LedRender, CodesColourPlaceAndInsert) {
    SignState state;
    // Colours: green; inverse red lights the background and leaves the letter dark.
    EXPECT_EQ(RenderLine(state, "<CD>I")[0], "@DDD@@");
    EXPECT_EQ(RenderLine(state, "<CL>I")[0], "A@@@AA");
    EXPECT_EQ(RenderLine(state, "<CH>I<CA>I")[0], "@EEE@@@AAA@@");
    // Font and bell codes take no room; a column code moves on to column 0x0A.
    EXPECT_EQ(RenderLine(state, "<AA><BB>I")[0].size(), 6u);
    EXPECT_EQ(RenderLine(state, "I<N0A>I")[0], "@AAA@@@@@@@AAA@@");

    // A user character is drawn from its rows, bit 7 the leftmost column, in its own width.
    std::array<std::uint8_t, 7> rows{0xF0, 0x90, 0x90, 0xF0, 0, 0, 0};
    ApplyPayload(state, *FontCharPayload(MakeUserCharRecord(0x42, 'C', rows)));
    const auto dots = RenderLine(state, "<U42>");
    EXPECT_EQ(dots[0], "AAAA@");
    EXPECT_EQ(dots[1], "A@@A@");
    EXPECT_EQ(dots[4], "@@@@@");
    // A code beyond the European set shows as a box.
    EXPECT_EQ(RenderLine(state, "<U80>")[0], "AAAAA@");

    // The clock as set shows in date and time codes.
    ApplyPayload(state, SetClockPayload({2026, 12, 7}, "14:05:09"));
    EXPECT_EQ(RenderLine(state, "<KT>"), RenderLine(state, "14:05"));
    EXPECT_EQ(RenderLine(state, "<KD>"), RenderLine(state, "12/07/26"));
}

TEST(LedRender, GraphicBlocksAreInsertedAndMissingOnesStayDark) {
    SignState state;
    ApplyPayload(state, "<GC3>" + Bytes(64, '\xFF')); // all yellow
    const auto dots = RenderLine(state, "<GC3><GC4>");
    ASSERT_EQ(dots[0].size(), 64u);
    for (const std::string& row : dots) {
        EXPECT_EQ(row, std::string(32, 'E') + std::string(32, '@'));
    }
}

TEST(LedRender, TheDisplayRunsThePageWithTheSignsClockAndBrightness) {
    SignState state;
    ApplyPayload(state, "<L1><PB><FA><MA><WB><FA>B");
    ApplyPayload(state, "<L1><PC><FA><MA><WB><FA><KT>");
    ApplyPayload(state, "<L2><PC><FA><MA><WB><FA><CD>2");
    ApplyPayload(state, "<RPC>");
    ApplyPayload(state, SetClockPayload({2026, 12, 7}, "14:05:09"));
    ApplyPayload(state, "<BC>");
    EXPECT_EQ(MemoryOfState(state).brightnessPercent, 50);

    // Line 1 (the time) in the top rows, line 2 in the lower rows, 32 columns of each.
    const std::string frame = DotImageText(DisplayOfState(state, {32}).frameAt(0.1));
    std::string expected;
    for (const char* text : {"14:05", "<CD>2"}) {
        for (const std::string& row : RenderLine(state, text)) {
            expected += DotsText({(row + std::string(32, kPixelOff)).substr(0, 32)});
        }
    }
    EXPECT_EQ(frame, expected);
    EXPECT_EQ(DisplayOfState(SignState{}, {16}).lines().size(), 0u);
}

TEST(LedRender, ShowsTheRunningPageOrElseTheFirst) {
    SignState state;
    EXPECT_EQ(ShowSign(state), "no pages stored\n");
    ApplyPayload(state, "<L1><PB><FE><MA><WC><FE>B");
    ApplyPayload(state, "<L1><PC><FE><MA><WC><FE>C");
    EXPECT_EQ(ShowSign(state).substr(0, 14), "page B\nline 1\n");
    ApplyPayload(state, "<RPC>");
    EXPECT_EQ(ShowSign(state), "page C (running)\nline 1\n" + DotsText(RenderLine(state, "C")));
    ApplyPayload(state, "<RPZ>"); // not stored: back to the first
    EXPECT_EQ(ShowSign(state).substr(0, 7), "page B\n");
}

} // namespace
} // namespace lumivo::sim

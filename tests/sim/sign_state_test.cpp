#include "sim/sign_state.h"

#include "core/frame.h"
#include "core/graphic.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "sim/json_out.h"

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

using namespace std::string_literals;

// A graphic whose every dot differs from its neighbours, so a misplaced dot shows.
std::vector<std::string> PatternRows(int height, int width) {
    static constexpr char kLetters[4] = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += kLetters[(x * 7 + y * 3 + x / 5) % 4];
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> Slice(const std::vector<std::string>& rows, int firstRow,
                               int firstColumn) {
    std::vector<std::string> out;
    for (int y = firstRow; y < firstRow + 8; ++y) {
        out.push_back(
            rows[static_cast<std::size_t>(y)].substr(static_cast<std::size_t>(firstColumn), 32));
    }
    return out;
}

TEST(SignState, PagesKeepTheirLinesHeaderAndText) {
    SignState state;
    EXPECT_EQ(ApplyPayload(state, "<L1><PA><FE><MA><WC><FE>Hello"), PayloadKind::Page);
    EXPECT_EQ(ApplyPayload(state, "<L2><PA><Fb><Mr><WD><Fe><CA>Sale"), PayloadKind::Page);
    EXPECT_EQ(ApplyPayload(state, "<L1><PZ>no header at all"), PayloadKind::Page);
    ASSERT_EQ(state.pages.size(), 2u);
    const Page& a = state.pages.at('A');
    EXPECT_EQ(a.lines.at(1).header, "<FE><MA><WC><FE>");
    EXPECT_EQ(a.lines.at(1).text, "Hello");
    EXPECT_EQ(a.lines.at(2).header, "<Fb><Mr><WD><Fe>");
    EXPECT_EQ(a.lines.at(2).text, "<CA>Sale");
    EXPECT_EQ(state.pages.at('Z').lines.at(1).header, "");
    EXPECT_EQ(state.pages.at('Z').lines.at(1).text, "no header at all");

    // Sending a line again replaces it.
    ApplyPayload(state, "<L1><PA><FE><MA><WC><FE>Bye");
    EXPECT_EQ(state.pages.at('A').lines.at(1).text, "Bye");
    EXPECT_EQ(state.pages.at('A').lines.size(), 2u);
}

TEST(SignState, GraphicBlocksDecodeBackToThePixelsTheyWereCutFrom) {
    // 16 rows, 64 wide: blocks 1, 2 on top and 5, 6 below.
    const std::vector<std::string> tall = PatternRows(16, 64);
    SignState state;
    for (int n : {1, 2, 5, 6}) {
        EXPECT_EQ(ApplyPayload(state, GraphicBlockPayload('B', n, tall, 16)),
                  PayloadKind::GraphicBlock);
    }
    EXPECT_EQ(state.graphics.at({'B', 1}).rows, Slice(tall, 0, 0));
    EXPECT_EQ(state.graphics.at({'B', 2}).rows, Slice(tall, 0, 32));
    EXPECT_EQ(state.graphics.at({'B', 5}).rows, Slice(tall, 8, 0));
    EXPECT_EQ(state.graphics.at({'B', 6}).rows, Slice(tall, 8, 32));

    // A 7-row graphic gets an unlit eighth row; the raw bytes are kept as sent.
    const std::vector<std::string> shortRows = PatternRows(7, 32);
    const Bytes payload = GraphicBlockPayload('P', 1, shortRows, 7);
    ApplyPayload(state, payload);
    const GraphicBlock& block = state.graphics.at({'P', 1});
    EXPECT_EQ(Bytes(block.bytes.begin(), block.bytes.end()), payload.substr(5));
    for (int y = 0; y < 7; ++y) {
        EXPECT_EQ(block.rows[static_cast<std::size_t>(y)], shortRows[static_cast<std::size_t>(y)]);
    }
    EXPECT_EQ(block.rows[7], std::string(32, kPixelOff));
}

TEST(SignState, SettingsAreKeptAsSent) {
    SignState state;
    EXPECT_EQ(ApplyPayload(state, SetClockPayload({2026, 12, 7}, "14:05:09")),
              PayloadKind::SetClock);
    EXPECT_EQ(state.clock, "26021207140509");
    // Blanks in the time field travel as blanks and are kept.
    ApplyPayload(state, SetClockPayload({2026, 12, 7}, "  :  :  "));
    EXPECT_EQ(state.clock, "26021207      ");

    EXPECT_EQ(ApplyPayload(state, RunPagePayload('Q')), PayloadKind::RunPage);
    EXPECT_EQ(state.runningPage, 'Q');
    EXPECT_EQ(ApplyPayload(state, BrightnessPayload(3)), PayloadKind::Brightness);
    EXPECT_EQ(state.brightness, 'D');

    EXPECT_EQ(ApplyPayload(state, kBeginTransferPayload), PayloadKind::BeginTransfer);
    EXPECT_TRUE(state.transferOpen);
    EXPECT_EQ(ApplyPayload(state, kEndTransferPayload), PayloadKind::EndTransfer);
    EXPECT_FALSE(state.transferOpen);
}

TEST(SignState, SchedulesAndLinkedPagesFillSlotsAndDeletesEmptyThem) {
    SignState state;
    EXPECT_EQ(ApplyPayload(state, SchedulePayload(2, {"12/25/26 08:00", "12/31/26 18:30", "ABC"})),
              PayloadKind::Schedule);
    const ScheduleSlot& c = state.schedules.at('C');
    EXPECT_EQ(c.start, "2612250800");
    EXPECT_EQ(c.end, "2612311830");
    EXPECT_EQ(c.pages, "ABC");

    EXPECT_EQ(ApplyPayload(state, LinkPagesPayload("dEz")), PayloadKind::Schedule);
    EXPECT_EQ(state.schedules.at('A').start, "0001010000");
    EXPECT_EQ(state.schedules.at('A').end, "9912302359");
    EXPECT_EQ(state.schedules.at('A').pages, "DEZ");

    // An entry without pages is 24 bytes and still a schedule.
    ApplyPayload(state, SchedulePayload(4, {"01/02/27 10:00", "01/03/27 11:00", ""}));
    EXPECT_EQ(state.schedules.at('E').pages, "");

    EXPECT_EQ(ApplyPayload(state, DeleteSchedulePayload(2)), PayloadKind::DeleteSchedule);
    EXPECT_EQ(state.schedules.count('C'), 0u);
    EXPECT_EQ(state.schedules.size(), 2u);
}

TEST(SignState, DeletingLinesRemovesAPageOnlyWhenItsLastLineGoes) {
    SignState state;
    ApplyPayload(state, "<L1><PD><FE><MA><WC><FE>one");
    ApplyPayload(state, "<L2><PD><FE><MA><WC><FE>two");
    EXPECT_EQ(ApplyPayload(state, DeleteLinePayload(1, 'D')), PayloadKind::DeleteLine);
    ASSERT_EQ(state.pages.count('D'), 1u);
    EXPECT_EQ(state.pages.at('D').lines.count(1), 0u);
    EXPECT_EQ(ApplyPayload(state, DeleteLinePayload(2, 'D')), PayloadKind::DeleteLine);
    EXPECT_EQ(state.pages.count('D'), 0u);
    // Deleting what is not there is harmless.
    EXPECT_EQ(ApplyPayload(state, DeleteLinePayload(2, 'X')), PayloadKind::DeleteLine);
}

TEST(SignState, DeleteAllClearsContentButKeepsSettingsAndFont) {
    SignState state;
    ApplyPayload(state, "<L1><PA><FE><MA><WC><FE>x");
    ApplyPayload(state, GraphicBlockPayload('A', 1, PatternRows(8, 32), 8));
    ApplyPayload(state, SchedulePayload(0, {"12/25/26 08:00", "12/31/26 18:30", "A"}));
    ApplyPayload(state, RunPagePayload('A'));
    ApplyPayload(state, BrightnessPayload(1));
    ApplyPayload(state, SetClockPayload({2026, 1, 1}, "00:00:00"));
    ApplyPayload(state, *FontCharPayload(MakeUserCharRecord(0x40, 'C', {1, 2, 3, 4, 5, 6, 7})));

    EXPECT_EQ(ApplyPayload(state, kDeleteAllPayload), PayloadKind::DeleteAll);
    EXPECT_TRUE(state.pages.empty());
    EXPECT_TRUE(state.graphics.empty());
    EXPECT_TRUE(state.schedules.empty());
    EXPECT_FALSE(state.runningPage);
    EXPECT_EQ(state.brightness, 'B');
    EXPECT_TRUE(state.clock);
    EXPECT_EQ(state.userChars.size(), 1u);
}

TEST(SignState, UserCharactersArriveByNumberAndRecallForgetsThem) {
    SignState state;
    const auto record = MakeUserCharRecord(0x41, 'A', {0x80, 0x00, 0x3C, 0x45, 0x3E, 0xFF, 0x01});
    EXPECT_EQ(ApplyPayload(state, *FontCharPayload(record)), PayloadKind::FontChar);
    const UserChar& ch = state.userChars.at(0x01);
    EXPECT_EQ(ch.size, 'A');
    EXPECT_EQ(ch.rows, (std::array<std::uint8_t, 8>{0x80, 0x00, 0x3C, 0x45, 0x3E, 0xFF, 0x01, 0}));

    // The same code in another size takes the same place on the sign.
    ApplyPayload(state, *FontCharPayload(MakeUserCharRecord(0x41, 'C', {0x10, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ(state.userChars.size(), 1u);
    EXPECT_EQ(state.userChars.at(0x01).size, 'C');
    ApplyPayload(state, *FontCharPayload(MakeUserCharRecord(0x7F, 'B', {0, 0, 0, 0, 0, 0, 1})));
    EXPECT_EQ(state.userChars.count(0x3F), 1u);

    EXPECT_EQ(ApplyPayload(state, kRecallDefaultFontPayload), PayloadKind::RecallFont);
    EXPECT_TRUE(state.userChars.empty());
}

TEST(SignState, PayloadsOfNoKnownShapeChangeNothing) {
    SignState state;
    ApplyPayload(state, "<L1><PA><FE><MA><WC><FE>keep");
    const std::string before = StateJson(state);
    const Bytes block64(64, '\x55');
    for (const Bytes& payload : {
             "<XY>"s, ""s, "<RP1>"s, "<BE"s, "<BX>"s, "<L3><PA>x"s, "<L1><Pa>x"s, "<DTF>"s,
             "<DL3PA>"s, "<SC>2602120714050"s,  // one clock digit short
             "<TF>0001010000991230235"s + "9"s, // slot F does not exist
             "<TA>0001010000991230235"s,        // one time digit short
             "<TA>00010100009912302359a"s,      // pages are capitals
             "<GQ1>"s + block64,                // graphic letters end at P
             "<GA9>"s + block64,                // blocks end at 8
             "<GA1>"s + block64 + "x"s,         // 65 pixel bytes
             "<FD01>"s + Bytes(8, '\0'),        // no size D
             "<FA40>"s + Bytes(8, '\0'),        // numbers end at 3F
         }) {
        EXPECT_EQ(ApplyPayload(state, payload), PayloadKind::Unknown) << payload;
    }
    EXPECT_EQ(StateJson(state), before);
}

} // namespace
} // namespace lumivo::sim

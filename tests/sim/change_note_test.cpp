// What the sign says about each event in one line, and how it draws itself for a terminal.
#include "core/frame.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "sim/change_note.h"
#include "sim/sign_picture.h"
#include "sim/virtual_sign.h"

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

using namespace std::string_literals;

TEST(ChangeNote, OneLineSaysWhatEachEventDid) {
    const std::array<std::uint8_t, 7> rows{0x80, 0, 0, 0, 0, 0, 0};
    const struct {
        Bytes sent;
        std::vector<std::string> notes;
    } cases[] = {
        {BuildFrame("<L1><PB><FE><MA><WC><FE>Hi", "01"), {"page B stored"}},
        {BuildFrame("<L2><PC><FE><MA><WC><FE>Lo", "00"), {"page C line 2 stored"}},
        {BuildFrame(BrightnessPayload(3), "01"), {"brightness 25 %"}},
        {BuildFrame(BrightnessPayload(1), "01"), {"brightness 75 %"}},
        {BuildFrame(SetClockPayload({2026, 12, 7}, "14:05:09"), "01"),
         {"clock set to 2026-12-07 14:05:09"}},
        {BuildFrame(RunPagePayload('C'), "01"), {"running page C"}},
        {BuildFrame("<GC3>" + Bytes(64, '\xFF'), "01"), {"graphic C block 3 stored"}},
        {BuildFrame(SchedulePayload(1, {"12/25/26 08:00", "12/31/26 18:30", "AB"}), "01"),
         {"schedule B stored: pages AB"}},
        {BuildFrame(DeleteSchedulePayload(4), "01"), {"schedule E deleted"}},
        {BuildFrame(DeleteLinePayload(2, 'B'), "01"), {"page B line 2 deleted"}},
        {BuildFrame(Bytes(kDeleteAllPayload), "01"), {"pages, graphics and schedules deleted"}},
        {BuildFrame(*FontCharPayload(MakeUserCharRecord(0x41, 'A', rows)), "01"),
         {"user character U41 stored"}},
        {BuildFrame("<BE>", "01") + BuildFrame("<BF>", "01"), {"transfer begun", "transfer ended"}},
        {BuildFrame("<ZZ>", "01"), {"unknown command, nothing changed"}},
        {"<ID><0C><E>", {"ID set to 0C"}},
        // Frames that change nothing say why.
        {BuildFrame(RunPagePayload('A'), "02"), {"frame for sign 02 ignored: not for this sign"}},
        {"<ID01><RPA>00<E>", {"frame for sign 01 ignored: bad checksum"}},
    };
    for (const auto& c : cases) {
        VirtualSign sign(1);
        const std::vector<Exchange> exchanges = sign.receive(c.sent);
        std::vector<std::string> notes;
        for (const Exchange& exchange : exchanges) {
            notes.push_back(ChangeNote(exchange, sign.state()));
        }
        EXPECT_EQ(notes, c.notes) << c.sent;
    }
}

TEST(SignPicture, TheShownPageIsDrawnAtTheSignsWidth) {
    VirtualSign sign(1);
    EXPECT_EQ(SignPictureText(sign.state(), {}), "no pages stored\n");
    sign.receive(BuildFrame("<L1><PB><FE><MA><WC><FE>I", "01") +
                 BuildFrame("<L2><PB><FE><MA><WC><FE><CD>I", "01") +
                 BuildFrame("<L1><PC><FE><MA><WC><FE>C", "01"));
    for (int width : {16, 80, 512}) {
        const std::string text = SignPictureText(sign.state(), {width});
        ASSERT_TRUE(text.starts_with("page B\n")) << text; // the first page, not running
        const DotImage dots = DotImageFromText(text.substr(7));
        EXPECT_EQ(dots.columns(), width);
        EXPECT_EQ(dots.rows(), 16);
        // "I" in red on line 1 and in green on line 2, from the left edge.
        EXPECT_EQ(dots.at(2, 0), Dot::Red);
        EXPECT_EQ(dots.at(2, 8), Dot::Green);
        EXPECT_EQ(dots.at(width - 1, 0), Dot::Off);
    }
    sign.receive(BuildFrame(RunPagePayload('C'), "01"));
    EXPECT_TRUE(SignPictureText(sign.state(), {}).starts_with("page C (running)\n"));
    EXPECT_EQ(ShownLines(sign.state()).size(), 1u);
    sign.receive(BuildFrame(RunPagePayload('Z'), "01")); // not stored: the first page again
    EXPECT_EQ(ShownPage(sign.state()), 'B');
}

} // namespace
} // namespace lumivo::sim

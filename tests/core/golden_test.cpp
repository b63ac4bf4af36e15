// Reads tests/data/golden/frames.tsv: each line a worked case and the exact bytes expected.

#include "core/compiler.h"
#include "core/frame.h"
#include "core/graphic.h"
#include "core/payloads.h"
#include "core/userfont.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace lumivo {
namespace {

TEST(Golden, EveryCaseGivesItsExactBytes) {
    const FolderGraphicSource graphics(test::DataDir() / "Graphdata");
    const std::vector<test::CaseRow> cases = test::ReadCases("golden/frames.tsv");
    for (const test::CaseRow& row : cases) {
        const std::vector<std::string>& f = row.fields;
        SCOPED_TRACE("frames.tsv line " + std::to_string(row.line));
        ASSERT_GE(f.size(), 3u);
        const std::string expected = test::Unescape(f.back());
        if (f[0] == "page") {
            ASSERT_EQ(f.size(), 5u);
            const Result<Page> page = BuildPage(test::Unescape(f[3]), 0, f[2][0], f[1], graphics);
            ASSERT_TRUE(page.ok()) << page.error().message;
            EXPECT_EQ(page->stream, expected);
        } else if (f[0] == "frame") {
            EXPECT_EQ(BuildFrame(test::Unescape(f[2]), f[1]), expected);
        } else if (f[0] == "blocks") {
            ASSERT_EQ(f.size(), 5u);
            const Result<Graphic> graphic = graphics.load(f[1]);
            ASSERT_TRUE(graphic.ok()) << graphic.error().message;
            std::string joined;
            for (const Bytes& frame : GraphicBlockFrames(f[2][0], *graphic, f[3])) {
                joined += frame;
            }
            EXPECT_EQ(joined, expected);
        } else if (f[0] == "clock") {
            ASSERT_EQ(f.size(), 5u);
            const CivilDate date{std::stoi(f[2].substr(0, 4)), std::stoi(f[2].substr(5, 2)),
                                 std::stoi(f[2].substr(8, 2))};
            EXPECT_EQ(BuildFrame(SetClockPayload(date, f[3]), f[1]), expected);
        } else if (f[0] == "runpage") {
            EXPECT_EQ(BuildFrame(RunPagePayload(f[2][0]), f[1]), expected);
        } else if (f[0] == "brightness") {
            EXPECT_EQ(BuildFrame(BrightnessPayload(std::stoi(f[2])), f[1]), expected);
        } else if (f[0] == "setid") {
            EXPECT_EQ(SetIdBytes(std::stoi(f[1])), expected);
        } else if (f[0] == "linkpages") {
            EXPECT_EQ(BuildFrame(LinkPagesPayload(f[2]), f[1]), expected);
        } else if (f[0] == "schedule") {
            ASSERT_EQ(f.size(), 7u);
            EXPECT_EQ(BuildFrame(SchedulePayload(std::stoi(f[2]), {f[3], f[4], f[5]}), f[1]),
                      expected);
        } else if (f[0] == "fontchar") {
            ASSERT_EQ(f.size(), 6u);
            std::array<std::uint8_t, kUserCharRows> rows{};
            std::stringstream hex(f[4]);
            for (auto& row : rows) {
                int value = 0;
                hex >> std::hex >> value;
                row = static_cast<std::uint8_t>(value);
            }
            const auto payload =
                FontCharPayload(MakeUserCharRecord(std::stoi(f[2], nullptr, 16), f[3][0], rows));
            ASSERT_TRUE(payload);
            EXPECT_EQ(BuildFrame(*payload, f[1]), expected);
        } else if (f[0] == "printable") {
            EXPECT_EQ(PrintableText(test::Unescape(f[1])), f.back());
        } else {
            ADD_FAILURE() << "unknown kind " << f[0];
        }
    }
    EXPECT_EQ(cases.size(), 56u); // every case of the table, none lost
}

} // namespace
} // namespace lumivo

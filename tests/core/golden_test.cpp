// Reads tests/data/golden/frames.tsv: each line a worked case and the exact bytes expected.

#include "core/compiler.h"
#include "core/frame.h"
#include "core/graphic.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace lumivo {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == '\t') {
        fields.emplace_back();
    }
    return fields;
}

TEST(Golden, EveryCaseGivesItsExactBytes) {
    std::ifstream in(test::DataDir() / "golden" / "frames.tsv");
    ASSERT_TRUE(in) << "golden file missing";
    const FolderGraphicSource graphics(test::DataDir() / "Graphdata");
    std::string line;
    int cases = 0;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto f = SplitTabs(line);
        SCOPED_TRACE("golden line " + std::to_string(lineNumber) + ": " + line);
        ASSERT_GE(f.size(), 4u);
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
        } else {
            ADD_FAILURE() << "unknown kind " << f[0];
        }
        ++cases;
    }
    EXPECT_GE(cases, 40);
}

} // namespace
} // namespace lumivo

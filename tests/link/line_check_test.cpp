// What a command says when a sign did not answer, and the check and the scan of a line, against
// a scripted line.

#include "core/frame.h"
#include "core/test_support.h"
#include "link/fake_port.h"
#include "link/line_check.h"
#include "link/runners.h"

#include <gtest/gtest.h>

namespace lumivo::link::test {
namespace {

using lumivo::test::Split;

Outcome RunNamed(const std::string& name, FakeLine& line) {
    if (name == "send") {
        return RunSendMessage(line.opener(), line.clock(), {"Hi", "01", 'A', nullptr});
    }
    if (name == "brightness") {
        return RunSetBrightness(line.opener(), line.clock(), "01", 0);
    }
    if (name == "font") {
        return RunFontTransfer(line.opener(), line.clock(), "01",
                               {MakeUserCharRecord(0x41, 'A', {0x80, 0, 0, 0, 0, 0, 0})})
            .outcome;
    }
    if (name == "set-id") {
        return RunSetId(line.opener(), line.clock(), 5);
    }
    ADD_FAILURE() << "no command " << name;
    return {};
}

// tests/data/link/no_answer.tsv
TEST(NoAnswer, DetailsSayWhichFrameAndWhatCameBack) {
    lumivo::test::ForEachCase("link/no_answer.tsv", 5, [](const lumivo::test::CaseRow& c) {
        FakeLine line;
        for (const std::string& reply : Split(c.fields[1], "|")) {
            line.queueReply(reply == "-" ? "" : lumivo::test::Unescape(reply));
        }
        if (c.fields[2] != "-") {
            line.failWritesAfter(static_cast<std::size_t>(std::stoul(c.fields[2])));
        }
        const Outcome outcome = RunNamed(c.fields[0], line);
        EXPECT_FALSE(outcome.success);
        if (c.fields[3] != "FONT") {
            EXPECT_EQ(outcome.text, c.fields[3]);
        }
        std::size_t from = 0;
        for (const std::string& piece : Split(c.fields[4], " ... ")) {
            const std::string wanted = lumivo::test::Unescape(piece);
            const std::size_t at = outcome.details.find(wanted, from);
            ASSERT_NE(at, std::string::npos)
                << "missing \"" << wanted << "\" in " << outcome.details;
            from = at + wanted.size();
        }
    });
}

// Signs 03, 07 and 09 on one line: one answers, one hears damaged frames, one line is noisy.
TEST(LineScan, EachIdIsJudgedOnItsOwnReply) {
    FakeLine line;
    line.setResponder([](const std::string& frame) -> std::string {
        if (frame.rfind("<ID03>", 0) == 0) {
            return "ACK";
        }
        if (frame.rfind("<ID07>", 0) == 0) {
            return "NACK";
        }
        return frame.rfind("<ID09>", 0) == 0 ? std::string("\x7F\x80\x81") : std::string();
    });
    std::vector<std::string> ids;
    for (int id = 1; id <= 10; ++id) {
        ids.push_back(SignIdText(id));
    }
    std::vector<std::string> heard;
    OpenFailureNote failure;
    const auto probes = ScanLine(
        line.opener(), line.clock(), ids, 400,
        [&](const std::string& id, int place, int count) {
            heard.push_back(id + " " + std::to_string(place) + "/" + std::to_string(count));
        },
        &failure);
    ASSERT_TRUE(probes.has_value());
    ASSERT_EQ(probes->size(), 10u);
    for (const SignProbe& probe : *probes) {
        const SignAnswer expected = probe.signId == "03"   ? SignAnswer::Answers
                                    : probe.signId == "07" ? SignAnswer::Refused
                                    : probe.signId == "09" ? SignAnswer::Noise
                                                           : SignAnswer::Silent;
        EXPECT_EQ(probe.answer, expected) << probe.signId;
    }
    EXPECT_EQ((*probes)[8].reply, "\x7F\x80\x81");
    EXPECT_EQ(heard.front(), "01 1/10");
    EXPECT_EQ(heard.back(), "0A 10/10");
    // Every ID gets its begin and end frames; only those that answered wait 200 ms between.
    const std::vector<std::string> frames = line.frames();
    ASSERT_EQ(frames.size(), 20u);
    EXPECT_EQ(frames[4], BuildFrame("<BE>", "03"));
    EXPECT_EQ(frames[5], BuildFrame("<BF>", "03"));
    EXPECT_EQ(line.pauses(), (std::vector<int>{200, 200, 200}));
}

TEST(LineScan, APortThatDoesNotOpenIsReported) {
    FakeLine line;
    line.setOpenFails();
    OpenFailureNote failure;
    EXPECT_FALSE(ScanLine(line.opener(), line.clock(), {"01"}, 400, {}, &failure).has_value());
    const LineCheckResult check = CheckLine(line.opener(), line.clock(), "01");
    EXPECT_FALSE(check.opened);
    EXPECT_TRUE(line.frames().empty());
}

} // namespace
} // namespace lumivo::link::test

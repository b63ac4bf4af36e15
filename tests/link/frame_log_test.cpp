// The frame log: its notation of frames, one send with two graphics against what the scripted
// line recorded, commands that interleave, and the queue's bounds.

#include "core/compiler.h"
#include "core/test_support.h"
#include "link/fake_port.h"
#include "link/frame_log.h"
#include "link/frame_log_text.h"
#include "link/runners.h"

#include <gtest/gtest.h>

namespace lumivo::link {
namespace {

constexpr std::size_t kTimeColumn = 13; // "%8lld ms  "

std::string Clock(std::int64_t) {
    return "10:41:03.512";
}

TEST(FrameLog, ShowsFramesAsPrintableTextWithRawBytesInHex) {
    test::ForEachCase("link/frame_log_frames.tsv", 2, [](const test::CaseRow& c) {
        EXPECT_EQ(FrameLogFrameText(test::Unescape(c.fields[0])), c.fields[1]);
    });
}

TEST(FrameLog, OneSendWithTwoGraphicsShowsEveryFrameReplyAndPauseTheLineSaw) {
    auto queue = std::make_shared<FrameLogQueue>();
    SetFrameLogQueue(queue);
    FakeLine line;
    const FolderGraphicSource graphics(test::DataDir() / "Graphdata");
    {
        LoggedCommand logged("Send Message");
        logged.ended(RunSendMessage(LoggedOpener(line.opener(), "COM1"), line.clock(),
                                    {"<Pic:G02>x<Pic:G03>", "01", 'A', &graphics}));
    }
    SetFrameLogQueue(nullptr);
    const std::vector<std::string> lines = FrameLogFormatter(Clock).add(queue->take());

    // What the log must say, from what the scripted line recorded.
    std::vector<std::string> expected;
    int blocks = 0;
    for (const std::string& event : line.events()) {
        if (event.starts_with("write ")) {
            const std::string frame = event.substr(6);
            expected.push_back("wrote " + FrameLogFrameText(frame) + "  (" +
                               std::to_string(frame.size()) + " bytes)");
            blocks += frame.starts_with("<ID01><G") ? 1 : 0;
        } else if (event == "read ACK") {
            expected.push_back("reply 41 43 4B \"ACK\"  (at ");
        } else if (event.starts_with("pause ")) {
            expected.push_back(event + " ms");
        } else {
            ASSERT_TRUE(event == "open" || event == "close") << event;
        }
    }
    EXPECT_EQ(blocks, 6); // G02's two blocks, G03's four
    ASSERT_EQ(lines.size(), expected.size() + 2);
    EXPECT_TRUE(lines.front().starts_with("#")) << lines.front();
    EXPECT_TRUE(lines.front().ends_with("  10:41:03.512  Send Message  port COM1"))
        << lines.front();
    std::int64_t previous = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& shown = lines[i + 1];
        ASSERT_GT(shown.size(), kTimeColumn);
        EXPECT_TRUE(shown.substr(kTimeColumn).starts_with(expected[i]))
            << "line " << i + 1 << ": " << shown << "\nexpected: " << expected[i];
        const std::int64_t at = std::stoll(shown.substr(0, 8));
        EXPECT_GE(at, previous) << shown;
        previous = at;
    }
    EXPECT_EQ(lines.back().substr(kTimeColumn),
              "end: done; Page A sent to sign 01 with 2 graphics");
}

FrameLogItem Item(std::uint64_t command, FrameLogItem::Kind kind, std::string text = {}) {
    FrameLogItem item;
    item.command = command;
    item.kind = kind;
    item.text = std::move(text);
    return item;
}

FrameLogItem Line(std::uint64_t command, LineEvent::Kind kind, std::string bytes, int ms = 0) {
    FrameLogItem item = Item(command, FrameLogItem::Kind::Line);
    item.event = {kind, ms, std::move(bytes), ms};
    return item;
}

TEST(FrameLog, CommandsThatInterleaveSayWhichGoesOn) {
    using K = FrameLogItem::Kind;
    using E = LineEvent::Kind;
    FrameLogItem refused = Item(8, K::Port, "/dev/ttyUSB1");
    refused.device = "/dev/ttyUSB1";
    refused.reason = "Permission denied";
    FrameLogItem failed = Item(8, K::Ended);
    failed.outcome = Outcome(BoxKind::Error, " Open Com Error ", false);
    FrameLogItem done = Item(7, K::Ended);
    done.outcome = Outcome(BoxKind::Information, "OK", true);
    done.event.atMs = 40;
    const std::vector<FrameLogItem> items = {
        Item(7, K::Began, "clock to Front (ID 01)"),
        Item(8, K::Began, "clock to Back (ID 02)"),
        Line(7, E::Wrote, "<ID01><BE>05<E>", 1),
        Line(7, E::Read, "A", 2),
        refused,
        Line(7, E::Read, "C", 3),
        failed,
        Line(7, E::Read, "K", 4),
        Line(7, E::Silence, "", 1100),
        done,
    };
    const std::vector<std::string> expected = {
        "(2 earlier items of the log dropped: more came than the log keeps)",
        "#7  10:41:03.512  clock to Front (ID 01)",
        "       1 ms  wrote <ID01><BE>05<E>  (15 bytes)",
        "#8  10:41:03.512  clock to Back (ID 02)  port /dev/ttyUSB1: not opened: Permission denied",
        "       0 ms  end: error box \" Open Com Error \"",
        "#7 goes on",
        "       2 ms  reply 41 43 4B \"ACK\"  (at 2, 3, 4 ms)",
        "    1100 ms  nothing came in 1100 ms",
        "      40 ms  end: information box \"OK\"",
    };
    EXPECT_EQ(FrameLogFormatter(Clock).add(items, 2), expected);
}

TEST(FrameLog, QueueKeepsTheNewestItemsWithinItsBounds) {
    FrameLogQueue byCount(3, FrameLogQueue::kMaxBytes);
    for (int i = 0; i < 5; ++i) {
        byCount.post(Item(1, FrameLogItem::Kind::Began, std::to_string(i)));
    }
    std::size_t dropped = 0;
    std::vector<FrameLogItem> kept = byCount.take(&dropped);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.front().text, "2");
    EXPECT_EQ(dropped, 2u);
    EXPECT_TRUE(byCount.take(&dropped).empty());
    EXPECT_EQ(dropped, 0u);

    FrameLogQueue byBytes(100, 3 * sizeof(FrameLogItem) + 5000);
    for (int i = 0; i < 4; ++i) {
        byBytes.post(Item(1, FrameLogItem::Kind::Began, std::string(2000, char('a' + i))));
    }
    kept = byBytes.take(&dropped);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.front().text[0], 'c');
    EXPECT_EQ(dropped, 2u);
}

} // namespace
} // namespace lumivo::link

#include "sim/frame_parser.h"

#include "core/frame.h"
#include "core/graphic.h"
#include "core/userfont.h"

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

using namespace std::string_literals;

std::vector<ParsedFrame> FeedBytewise(FrameParser& parser, std::string_view bytes) {
    std::vector<ParsedFrame> all;
    for (char c : bytes) {
        for (ParsedFrame& f : parser.feed(std::string_view(&c, 1))) {
            all.push_back(std::move(f));
        }
    }
    return all;
}

// Feeds the stream whole, byte by byte and in chunks of 7; every way must give the same events.
std::vector<ParsedFrame> FeedEveryWay(std::string_view bytes) {
    FrameParser whole;
    const std::vector<ParsedFrame> expected = whole.feed(bytes);

    FrameParser single;
    std::vector<ParsedFrame> bytewise = FeedBytewise(single, bytes);

    FrameParser chunked;
    std::vector<ParsedFrame> inChunks;
    for (std::size_t at = 0; at < bytes.size(); at += 7) {
        for (ParsedFrame& f : chunked.feed(bytes.substr(at, 7))) {
            inChunks.push_back(std::move(f));
        }
    }
    for (std::vector<ParsedFrame>* other : {&bytewise, &inChunks}) {
        EXPECT_EQ(other->size(), expected.size());
        for (std::size_t i = 0; i < expected.size() && i < other->size(); ++i) {
            EXPECT_EQ((*other)[i].kind, expected[i].kind) << "event " << i;
            EXPECT_EQ((*other)[i].raw, expected[i].raw) << "event " << i;
        }
    }
    return expected;
}

TEST(FrameParser, TextFrameIsFoundWhateverTheChunking) {
    const Bytes frame = BuildFrame("<L1><PA><FE><MA><WC><FE>Hello", "01");
    ASSERT_EQ(frame, "<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>");

    const auto events = FeedEveryWay(frame + frame);
    ASSERT_EQ(events.size(), 2u);
    for (const ParsedFrame& f : events) {
        EXPECT_EQ(f.kind, ParsedKind::Frame);
        EXPECT_EQ(f.signId, "01");
        EXPECT_EQ(f.payload, "<L1><PA><FE><MA><WC><FE>Hello");
        EXPECT_EQ(f.checksumText, "36");
        EXPECT_TRUE(f.checksumOk);
        EXPECT_EQ(f.raw, frame);
    }
}

TEST(FrameParser, CountedPayloadsMayHoldEndTagsAndFrameStartsInTheirRawBytes) {
    // Pixels chosen so that the packed bytes of rows 0 and 1 read "<E" and ">": the first
    // "<E>" of the stream lies inside the block.
    std::vector<std::string> rows(8, std::string(32, kPixelOff));
    rows[0].replace(0, 8, "@EE@D@DD");
    rows[1].replace(0, 4, "@EEA");
    const Bytes block = GraphicBlockPayload('C', 1, rows, 8);
    ASSERT_NE(block.find("<E>"), std::string::npos);

    // Row bytes of a user character spelling "<ID01>" and "<E>".
    const auto record = MakeUserCharRecord(0x41, 'B', {0x3C, 0x49, 0x44, 0x3C, 0x45, 0x3E, 0x00});
    const Bytes fontChar = *FontCharPayload(record);
    ASSERT_NE(fontChar.find("<E>"), std::string::npos);

    const Bytes stream =
        BuildFrame(block, "01") + BuildFrame(fontChar, "01") + BuildFrame("<BF>", "01");
    const auto events = FeedEveryWay(stream);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].payload, block);
    EXPECT_EQ(events[0].payload.size(), 5u + 64u);
    EXPECT_TRUE(events[0].checksumOk);
    EXPECT_EQ(events[1].payload, fontChar);
    EXPECT_EQ(events[1].payload.size(), 14u);
    EXPECT_TRUE(events[1].checksumOk);
    EXPECT_EQ(events[2].payload, "<BF>");
}

TEST(FrameParser, BadChecksumsAreReportedAndParsingGoesOn) {
    Bytes wrongDigits = BuildFrame("<RPA>", "01");
    wrongDigits[wrongDigits.size() - 5] ^= 1; // one checksum digit off
    const Bytes notHex = "<ID01><RPA>zz<E>";
    const Bytes tooShort = "<ID01>5<E>";
    const auto events = FeedEveryWay(wrongDigits + notHex + tooShort + BuildFrame("<BE>", "01"));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].payload, "<RPA>");
    EXPECT_FALSE(events[0].checksumOk);
    EXPECT_EQ(events[1].checksumText, "zz");
    EXPECT_FALSE(events[1].checksumOk);
    EXPECT_EQ(events[2].payload, "");
    EXPECT_FALSE(events[2].checksumOk);
    EXPECT_TRUE(events[3].checksumOk);
    EXPECT_EQ(events[3].payload, "<BE>");
}

TEST(FrameParser, GarbageBetweenFramesIsSkipped) {
    const Bytes good = BuildFrame("<BA>", "0A");
    const Bytes noise1 = "\x00\xFFxx<I<ID<IDZ9>"s;
    const Bytes noise2 = "ACK<<"s;
    FrameParser parser;
    const auto events = FeedBytewise(parser, noise1 + good + noise2 + good + "<I");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].raw, good);
    EXPECT_EQ(events[1].raw, good);
    EXPECT_EQ(events[1].signId, "0A");
    EXPECT_EQ(parser.skippedBytes(), noise1.size() + noise2.size());
    EXPECT_EQ(parser.pendingBytes(), 2u); // "<I" may still start a frame
}

TEST(FrameParser, SetIdIsRecognisedUnframed) {
    const auto events = FeedEveryWay("<ID><05><E>" + BuildFrame("<BE>", "05") + "<ID><5><E>");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, ParsedKind::SetId);
    EXPECT_EQ(events[0].signId, "05");
    EXPECT_EQ(events[0].raw, "<ID><05><E>");
    EXPECT_EQ(events[1].kind, ParsedKind::Frame);
    EXPECT_EQ(events[1].signId, "05");
}

TEST(FrameParser, RunawayAndInterruptedFramesAreDropped) {
    const Bytes good = BuildFrame("<RPB>", "01");
    // A frame that never ends grows to the bound and is dropped; the next frame still counts.
    const Bytes runaway = "<ID01>" + std::string(5000, 'a');
    FrameParser parser;
    auto events = parser.feed(runaway);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, ParsedKind::Dropped);
    EXPECT_GT(events[0].raw.size(), FrameParser::kMaxFrameBytes);
    EXPECT_LE(parser.pendingBytes(), FrameParser::kMaxFrameBytes);
    events = parser.feed(good);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].raw, good);

    // A frame cut short by the next one is dropped without eating it.
    events = FeedEveryWay("<ID01><L1><PA>Hel" + good);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, ParsedKind::Dropped);
    EXPECT_EQ(events[0].raw, "<ID01><L1><PA>Hel");
    EXPECT_EQ(events[1].raw, good);
}

TEST(FrameParser, FrameLengthBoundHoldsWhateverTheChunking) {
    // A text frame of `length` bytes in all, followed by a good frame.
    const auto frameOf = [](std::size_t length) {
        const std::size_t text = length - BuildFrame("<L1><PA>", "01").size();
        return BuildFrame("<L1><PA>" + std::string(text, 'x'), "01");
    };
    const Bytes good = BuildFrame("<RPB>", "01");
    const std::size_t bound = FrameParser::kMaxFrameBytes;
    struct Case {
        std::size_t length;
        bool kept;
    };
    for (const Case c :
         {Case{bound, true}, Case{bound + 1, true}, Case{bound + 2, false}, Case{5000, false}}) {
        SCOPED_TRACE(c.length);
        const Bytes frame = frameOf(c.length);
        ASSERT_EQ(frame.size(), c.length);
        const auto events = FeedEveryWay(frame + good);
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].kind, c.kept ? ParsedKind::Frame : ParsedKind::Dropped);
        EXPECT_EQ(events[0].raw, c.kept ? frame : frame.substr(0, bound + 1));
        EXPECT_EQ(events[1].raw, good);
    }
}

TEST(FrameParser, BlockOfTheWrongLengthFallsBackToTheEndTag) {
    // Ten pixel bytes instead of 64: counting would run into the frames after it.
    const Bytes shortBlock = BuildFrame("<GA1>" + std::string(10, '\x11'), "01");
    const Bytes next = BuildFrame("<BF>", "01");
    const auto events = FeedEveryWay(shortBlock + next + next + next + next);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].raw, shortBlock);
    EXPECT_EQ(events[0].payload.size(), 15u);
    EXPECT_TRUE(events[0].checksumOk);
    for (std::size_t i = 1; i < events.size(); ++i) {
        EXPECT_EQ(events[i].raw, next);
    }

    // With nothing after it, the count is awaited until the line goes quiet.
    FrameParser parser;
    EXPECT_TRUE(parser.feed(shortBlock).empty());
    const auto settled = parser.flushIdle();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].raw, shortBlock);
    EXPECT_EQ(parser.pendingBytes(), 0u);

    // A quiet line does not cut a text frame that is still coming.
    EXPECT_TRUE(parser.feed("<ID01><L1><PA>Hel").empty());
    EXPECT_TRUE(parser.flushIdle().empty());
    const auto rest = parser.feed("lo" + Hex2(FrameChecksum("<L1><PA>Hello")) + "<E>");
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_TRUE(rest[0].checksumOk);
}

TEST(FrameParser, ResetForgetsAHalfFrame) {
    FrameParser parser;
    EXPECT_TRUE(parser.feed("<ID01><L1><PA>abc").empty());
    parser.reset();
    const auto events = parser.feed("de36<E>" + BuildFrame("<BE>", "01"));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].payload, "<BE>");
}

} // namespace
} // namespace lumivo::sim

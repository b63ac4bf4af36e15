#include "sim/virtual_sign.h"

#include "core/compiler.h"
#include "core/frame.h"
#include "core/graphic.h"
#include "core/payloads.h"
#include "sim/state_dots.h"

#include <gtest/gtest.h>

#include <map>

namespace lumivo::sim {
namespace {

const Bytes kPage = "<L1><PA><FE><MA><WC><FE>Hello";

Bytes WithBadChecksum(Bytes frame) {
    frame[frame.size() - 4] = frame[frame.size() - 4] == '0' ? '1' : '0';
    return frame;
}

// Bytes the sign answered, all exchanges of one receive joined.
Bytes Replies(const std::vector<Exchange>& exchanges) {
    Bytes all;
    for (const Exchange& e : exchanges) {
        all += e.reply;
    }
    return all;
}

TEST(VirtualSign, AnswersByAddress) {
    VirtualSign sign(0x0A);

    auto ex = sign.receive(BuildFrame(kPage, "0A"));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].reply, "ACK");
    EXPECT_TRUE(ex[0].applied);
    EXPECT_EQ(ex[0].kind, PayloadKind::Page);
    EXPECT_EQ(sign.state().pages.count('A'), 1u);

    // Everyone listens to 00, nobody answers it.
    ex = sign.receive(BuildFrame(RunPagePayload('A'), "00"));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].reply, "");
    EXPECT_TRUE(ex[0].applied);
    EXPECT_EQ(sign.state().runningPage, 'A');

    // Another sign's frame is neither applied nor answered.
    ex = sign.receive(BuildFrame(kDeleteAllPayload, "0B"));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].reply, "");
    EXPECT_FALSE(ex[0].applied);
    EXPECT_EQ(ex[0].note, "not for this sign");
    EXPECT_EQ(sign.state().pages.count('A'), 1u);

    // The ID is a number: either case of hex digits addresses it.
    ex = sign.receive(BuildFrame(BrightnessPayload(2), "0a"));
    EXPECT_EQ(Replies(ex), "ACK");
}

TEST(VirtualSign, BadChecksumIsRefusedAndNotApplied) {
    VirtualSign sign(1);
    auto ex = sign.receive(WithBadChecksum(BuildFrame(kPage, "01")));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].reply, kRefusalReply);
    EXPECT_EQ(ex[0].reply.size(), 4u);
    EXPECT_EQ(ex[0].reply[0], 'N');
    EXPECT_FALSE(ex[0].applied);
    EXPECT_TRUE(sign.state().pages.empty());

    // Broadcast with a bad checksum: still silent, still not applied.
    ex = sign.receive(WithBadChecksum(BuildFrame(kPage, "00")));
    EXPECT_EQ(Replies(ex), "");
    EXPECT_TRUE(sign.state().pages.empty());
}

TEST(VirtualSign, UnknownPayloadIsAcknowledgedAndNoted) {
    VirtualSign sign(1);
    const auto ex = sign.receive(BuildFrame("<ZZ>what", "01"));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].reply, "ACK");
    EXPECT_EQ(ex[0].kind, PayloadKind::Unknown);
    EXPECT_EQ(ex[0].note, "unknown payload");
}

TEST(VirtualSign, FaultsSpoilAnswersAndRefusalAppliesNothing) {
    struct Case {
        Fault fault;
        Bytes ownReply;
        Bytes badChecksumReply;
        bool applies;
    };
    const Case cases[] = {
        {Fault::None, "ACK", "NACK", true},
        {Fault::Silent, "", "", true},
        {Fault::Refuse, "NACK", "NACK", false},
        {Fault::Garbage, Bytes(kGarbageReply), Bytes(kGarbageReply), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        VirtualSign sign(1, c.fault);
        EXPECT_EQ(Replies(sign.receive(BuildFrame(kPage, "01"))), c.ownReply);
        EXPECT_EQ(sign.state().pages.count('A'), c.applies ? 1u : 0u);
        EXPECT_EQ(Replies(sign.receive(WithBadChecksum(BuildFrame(kPage, "01")))),
                  c.badChecksumReply);
        // No fault makes a sign answer a broadcast or another sign's frame.
        EXPECT_EQ(Replies(sign.receive(BuildFrame(RunPagePayload('A'), "00"))), "");
        EXPECT_EQ(Replies(sign.receive(BuildFrame(RunPagePayload('A'), "02"))), "");
    }
    EXPECT_FALSE(IsAckReply(kGarbageReply));
    EXPECT_EQ(kGarbageReply.size(), 3u);
    EXPECT_NE(kGarbageReply[0], 'N');
}

TEST(VirtualSign, SetIdIsEchoedAndTaken) {
    VirtualSign sign(1);
    auto ex = sign.receive(SetIdBytes(0x05));
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].frame.kind, ParsedKind::SetId);
    EXPECT_EQ(ex[0].reply, "05");
    EXPECT_TRUE(SetIdEchoMatches(ex[0].reply, 0x05));
    EXPECT_EQ(sign.state().id, 0x05);
    // From now on it answers to 05 and no longer to 01.
    EXPECT_EQ(Replies(sign.receive(BuildFrame(kPage, "05"))), "ACK");
    EXPECT_EQ(Replies(sign.receive(BuildFrame(kPage, "01"))), "");

    EXPECT_EQ(Replies(sign.receive(SetIdBytes(0xFF))), "FF");
    EXPECT_EQ(sign.state().id, 0xFF);

    // 00 cannot be a sign's own ID.
    EXPECT_EQ(Replies(sign.receive("<ID><00><E>")), "NACK");
    EXPECT_EQ(sign.state().id, 0xFF);

    VirtualSign refusing(1, Fault::Refuse);
    EXPECT_EQ(Replies(refusing.receive(SetIdBytes(0x07))), "NACK");
    EXPECT_EQ(refusing.state().id, 1);
}

TEST(VirtualSign, FramesInOneChunkAreAnsweredInOrderAndShortBlocksSettleWhenIdle) {
    VirtualSign sign(1);
    const auto ex = sign.receive(BuildFrame("<BE>", "01") + BuildFrame(kPage, "00") +
                                 WithBadChecksum(BuildFrame("<BF>", "01")));
    ASSERT_EQ(ex.size(), 3u);
    EXPECT_EQ(ex[0].reply, "ACK");
    EXPECT_EQ(ex[1].reply, "");
    EXPECT_EQ(ex[2].reply, "NACK");
    EXPECT_TRUE(sign.state().transferOpen);

    // A block that came short waits for its count until the line goes quiet.
    EXPECT_TRUE(sign.receive(BuildFrame("<GA1>" + Bytes(20, '\x01'), "01")).empty());
    EXPECT_TRUE(sign.wantsIdle());
    const auto settled = sign.lineIdle();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].reply, "ACK");
    EXPECT_EQ(settled[0].kind, PayloadKind::Unknown);
    EXPECT_FALSE(sign.wantsIdle());
}

// A graphic source held in memory, as the editor's graphic folder would give it.
class MemoryGraphics final : public GraphicSource {
public:
    std::map<std::string, Graphic, std::less<>> graphics;
    Result<Graphic> load(std::string_view name) const override {
        const auto found = graphics.find(name);
        if (found == graphics.end()) {
            return Error{"no graphic " + std::string(name)};
        }
        return found->second;
    }
};

TEST(VirtualSign, MessageWithGraphicAsTheEditorSendsItIsStoredAndShown) {
    MemoryGraphics source;
    Graphic arrow;
    for (int y = 0; y < 8; ++y) {
        std::string row(40, kPixelOff);
        row[static_cast<std::size_t>(y)] = kPixelGreen; // a diagonal
        arrow.rows.push_back(row);
    }
    source.graphics["G02"] = arrow;
    const auto page = BuildPage("<Red>Hi<Pic:G02>", 0, 'C', "01", source);
    ASSERT_TRUE(page.ok()) << page.error().message;

    Bytes stream = BuildFrame(kBeginTransferPayload, "01") + page->stream;
    for (const Bytes& frame : GraphicBlockFrames(GraphicLetter(2), arrow, "01")) {
        stream += frame;
    }
    stream += BuildFrame(kEndTransferPayload, "01");

    VirtualSign sign(1);
    Bytes replies;
    for (char c : stream) { // a slow line: one byte at a time
        replies += Replies(sign.receive(std::string_view(&c, 1)));
    }
    EXPECT_EQ(replies, "ACKACKACKACKACK"); // <BE>, page, blocks 1 and 2, <BF>
    const SignState& s = sign.state();
    EXPECT_EQ(s.pages.at('C').lines.at(1).text, "<CA>Hi<GB1><GB2>");
    EXPECT_EQ(s.graphics.size(), 2u);
    EXPECT_EQ(s.graphics.at({'B', 2}).rows[7].substr(0, 8), std::string(8, kPixelOff));

    // Two red letters of 6 columns, then the graphic's 64 columns with the green diagonal.
    const auto dots = RenderLine(s, s.pages.at('C').lines.at(1).text);
    ASSERT_EQ(dots.size(), 8u);
    ASSERT_EQ(dots[0].size(), 12u + 64u);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(dots[static_cast<std::size_t>(y)][12u + static_cast<std::size_t>(y)],
                  kPixelGreen);
    }
    EXPECT_EQ(dots[0][0], kPixelRed);
}

TEST(VirtualSign, EachLineHasItsOwnParserSoInterleavedBytesNeverMix) {
    // Two senders' frames cut into small pieces and fed alternately, as two connections
    // deliver them: each line's frames are applied whole and answered on that line only.
    const Bytes first = BuildFrame(kPage, "01") + BuildFrame(BrightnessPayload(3), "01");
    const Bytes second = BuildFrame(RunPagePayload('A'), "01") + BuildFrame(kPage, "02");
    for (std::size_t piece : {1u, 3u, 7u, 64u}) {
        SCOPED_TRACE(piece);
        VirtualSign sign(1);
        SignLine a;
        SignLine b;
        Bytes repliesA;
        Bytes repliesB;
        int applied = 0;
        for (std::size_t at = 0; at < std::max(first.size(), second.size()); at += piece) {
            for (const auto& [line, bytes, replies] :
                 {std::tie(a, first, repliesA), std::tie(b, second, repliesB)}) {
                if (at < bytes.size()) {
                    for (const Exchange& e : sign.receive(line, bytes.substr(at, piece))) {
                        EXPECT_EQ(e.frame.kind, ParsedKind::Frame);
                        EXPECT_TRUE(e.frame.checksumOk);
                        replies += e.reply;
                        applied += e.applied ? 1 : 0;
                    }
                }
            }
        }
        EXPECT_EQ(repliesA, "ACKACK");
        EXPECT_EQ(repliesB, "ACK"); // the frame for sign 02 is not answered
        EXPECT_EQ(applied, 3);
        EXPECT_EQ(sign.state().brightness, 'D');
        EXPECT_EQ(sign.state().runningPage, 'A');
        EXPECT_EQ(a.parser.pendingBytes() + b.parser.pendingBytes(), 0u);
    }
}

} // namespace
} // namespace lumivo::sim

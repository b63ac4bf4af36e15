#include "core/frame.h"

#include <gtest/gtest.h>

namespace lumivo {
namespace {

using namespace std::string_literals;

TEST(Frame, ChecksumIsXorOfRawBytes) {
    EXPECT_EQ(FrameChecksum("<BE>"), 0x05);
    EXPECT_EQ(FrameChecksum("<BF>"), 0x06);
    EXPECT_EQ(FrameChecksum(""), 0x00);
    EXPECT_EQ(FrameChecksum("\x80\xFF"s), 0x7F);
    EXPECT_EQ(BuildFrame("\xF0"s, "01"), "<ID01>\xF0"
                                         "F0<E>"s);
}

TEST(Frame, SignIdTexts) {
    EXPECT_EQ(SignIdText(0), "00");
    EXPECT_EQ(SignIdText(10), "0A");
    EXPECT_EQ(SignIdText(255), "FF");
    EXPECT_EQ(ParseSignId("fe"), 254);
    EXPECT_EQ(ParseSignId("0A"), 10);
    EXPECT_FALSE(ParseSignId("1"));
    EXPECT_FALSE(ParseSignId("G0"));
    EXPECT_FALSE(ParseSignId("100"));
    EXPECT_TRUE(IsBroadcast("00"));
    EXPECT_FALSE(IsBroadcast("01"));
}

TEST(Reply, OnlyAckSucceeds) {
    EXPECT_TRUE(IsAckReply("ACK"));
    EXPECT_TRUE(IsAckReply("ACK\0"s));
    EXPECT_FALSE(IsAckReply("ACk"));
    EXPECT_FALSE(IsAckReply("AC"));      // short answer
    EXPECT_FALSE(IsAckReply("\0\0\0"s)); // silence
    EXPECT_FALSE(IsAckReply("NACK"));    // refusal, four bytes consumed
    EXPECT_FALSE(IsAckReply("\0CK"s));   // first byte lost
    EXPECT_TRUE(IsAckReply("AC"
                           "K\0\0"s));
}

TEST(Reply, AckFollowedByMoreBytesInTheFourthPositionFails) {
    // The fourth position is only read after "N"; if a caller passes more, the buffer is read as
    // a string and "ACKx" is not "ACK".
    EXPECT_FALSE(IsAckReply("ACKx"));
}

TEST(Reply, RefusalWantsAFourthByte) {
    EXPECT_TRUE(ReplyWantsFourthByte('N'));
    EXPECT_FALSE(ReplyWantsFourthByte('A'));
    EXPECT_FALSE(ReplyWantsFourthByte('\0'));
}

} // namespace
} // namespace lumivo

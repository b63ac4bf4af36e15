// The scripted line other tests rely on, and the two clocks.

#include "link/clock.h"
#include "link/fake_port.h"
#include "link_test_support.h"

#include <gtest/gtest.h>

#include <chrono>

namespace lumivo::link::test {
namespace {

using Events = std::vector<std::string>;

std::string Frames(FrameAssembler& assembler, const std::string& bytes, Events& done) {
    for (const char c : bytes) {
        if (assembler.push(c)) {
            done.push_back(assembler.frame());
        }
    }
    return assembler.pending();
}

TEST(FrameAssembler, RawBytesThatSpellTheEndTagDoNotEndABlockOrCharacter) {
    // Pixel bytes 3C 45 3E spell "<E>" in the middle of a block.
    std::string block = "<ID01><GA1>" + std::string(20, '\xAA') + "<E>" + std::string(41, '\0');
    block += "00<E>";
    ASSERT_EQ(block.size(), FrameAssembler::kBlockFrameLength);
    std::string character = "<ID01><FA01>" + Raw({0x3C, 0x45, 0x3E, 0, 0, 0, 0, 0}) + "00<E>";
    ASSERT_EQ(character.size(), FrameAssembler::kFontCharFrameLength);

    FrameAssembler assembler;
    Events frames;
    EXPECT_EQ(Frames(assembler, "<ID01><BE>05<E>" + block + character + "<ID><05><E><ID0", frames),
              "<ID0");
    EXPECT_EQ(frames, (Events{"<ID01><BE>05<E>", block, character, "<ID><05><E>"}));
}

TEST(FakeLine, AnswersEachFrameFromQueueThenDefault) {
    FakeLine line;
    line.queueReplies({"NACK", ""});
    line.setDefaultReply("ACK");
    auto port = line.opener()();
    ASSERT_TRUE(port);
    std::uint8_t b = 0;
    EXPECT_FALSE(port->readByte(b)); // nothing before a frame
    EXPECT_TRUE(port->writeBytes("<ID01><D*>6C<E>"));
    EXPECT_EQ(line.unread(), "NACK");
    EXPECT_TRUE(port->writeBytes("<ID01><D*>6C<E>"));
    EXPECT_TRUE(port->writeBytes("<ID01><D*>6C<E>"));
    EXPECT_EQ(line.unread(), "NACKACK"); // the silent answer added nothing
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(port->readByte(b));
    }
    EXPECT_EQ(b, 'K');
    EXPECT_FALSE(port->readByte(b));
    EXPECT_EQ(b, 'K'); // a read that times out leaves the byte alone
    EXPECT_EQ(line.events(),
              (Events{"open", "timeout", "write <ID01><D*>6C<E>", "write <ID01><D*>6C<E>",
                      "write <ID01><D*>6C<E>", "read NACKACK", "timeout"}));
}

TEST(FakeLine, ResponderSeesWholeFrames) {
    FakeLine line;
    Events seen;
    line.setResponder([&seen](const std::string& frame) {
        seen.push_back(frame);
        return frame.substr(3, 2); // echo the ID
    });
    auto port = line.opener()();
    ASSERT_TRUE(port);
    port->writeBytes("<ID7F><BE>05<E>");
    EXPECT_EQ(seen, Events{"<ID7F><BE>05<E>"});
    EXPECT_EQ(line.unread(), "7F");
}

TEST(FakeLine, UnreadBytesDieWithThePortAndTheLineIsExclusive) {
    FakeLine line;
    line.setDefaultReply("ACKACK");
    auto first = line.opener()();
    ASSERT_TRUE(first);
    EXPECT_EQ(line.opener()(), nullptr); // held
    first->writeBytes("<ID01><D*>6C<E>");
    first->close();
    first->close(); // twice is harmless
    EXPECT_FALSE(first->writeByte('x'));
    auto second = line.opener()();
    ASSERT_TRUE(second);
    std::uint8_t b = 0;
    EXPECT_FALSE(second->readByte(b));
    EXPECT_EQ(line.openCount(), 2);
    EXPECT_EQ(line.closeCount(), 1);
    EXPECT_TRUE(line.isOpen());
    second.reset(); // destroying a port closes it
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.events(), (Events{"open", "open failed", "write <ID01><D*>6C<E>", "close",
                                     "write failed", "open", "timeout", "close"}));
}

TEST(FakeLine, WriteFailureCountsBytesOverAllOpensAndStopsWriteBytes) {
    FakeLine line;
    line.failWritesAfter(5);
    {
        auto port = line.opener()();
        EXPECT_TRUE(port->writeBytes("<ID"));
    }
    auto port = line.opener()();
    EXPECT_FALSE(port->writeBytes("01>xyz"));
    EXPECT_EQ(line.written(), "<ID01");
    EXPECT_EQ(line.events().back(), "write failed");
    EXPECT_FALSE(port->writeByte('>'));
}

TEST(FakeLine, RefusedOpenAndLoggedPauses) {
    FakeLine line;
    line.setOpenFails();
    EXPECT_EQ(line.opener()(), nullptr);
    line.clock().delay(70);
    line.clock().delay(0);
    EXPECT_EQ(line.pauses(), (std::vector<int>{70, 0}));
    EXPECT_EQ(line.events(), (Events{"open failed", "pause 70", "pause 0"}));
    EXPECT_EQ(line.openCount(), 0);
}

TEST(Clocks, FakeRecordsAndSumsRealSleeps) {
    FakeClock fake;
    EXPECT_EQ(fake.total(), 0);
    fake.delay(200);
    fake.delay(250);
    fake.delay(60);
    EXPECT_EQ(fake.pauses(), (std::vector<int>{200, 250, 60}));
    EXPECT_EQ(fake.total(), 510);

    RealClock real;
    const auto start = std::chrono::steady_clock::now();
    real.delay(40);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(40));
    EXPECT_LT(elapsed, std::chrono::milliseconds(400));
}

} // namespace
} // namespace lumivo::link::test

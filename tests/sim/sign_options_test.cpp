#include "sim/sign_options.h"

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

using Action = ParsedArguments::Action;

TEST(SignOptions, DefaultsServeSignOneOnAPseudoTerminal) {
    const auto parsed = ParseSignArguments({});
    ASSERT_EQ(parsed.action, Action::Run);
    EXPECT_EQ(parsed.options.id, 1);
    EXPECT_TRUE(parsed.options.listenHost.empty());
    EXPECT_EQ(parsed.options.fault, Fault::None);
    EXPECT_EQ(parsed.options.hangUpAfter, 0);
    EXPECT_EQ(parsed.options.replyDelayMs, 0);
    EXPECT_FALSE(parsed.options.show);
    EXPECT_EQ(parsed.options.width, 80);
    EXPECT_FALSE(parsed.options.window);
}

TEST(SignOptions, EveryOptionIsTaken) {
    const auto parsed = ParseSignArguments(
        {"--id", "fe", "--listen=[::1]:0", "--log", "l.jsonl", "--state=s.json", "--show",
         "--garbage", "--hang-up-after", "3", "--reply-delay=250", "--width", "512", "--window"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    const SignOptions& o = parsed.options;
    EXPECT_EQ(o.id, 0xFE);
    EXPECT_EQ(o.listenHost, "::1");
    EXPECT_EQ(o.listenPort, 0);
    EXPECT_EQ(o.logPath, "l.jsonl");
    EXPECT_EQ(o.statePath, "s.json");
    EXPECT_TRUE(o.show);
    EXPECT_EQ(o.fault, Fault::Garbage);
    EXPECT_EQ(o.hangUpAfter, 3);
    EXPECT_EQ(o.replyDelayMs, 250);
    EXPECT_EQ(o.width, 512);
    EXPECT_TRUE(o.window);
    EXPECT_EQ(ParseSignArguments({"--width=16"}).options.width, 16);

    EXPECT_EQ(ParseSignArguments({"--silent"}).options.fault, Fault::Silent);
    EXPECT_EQ(ParseSignArguments({"--refuse"}).options.fault, Fault::Refuse);
    const auto tcp = ParseSignArguments({"--listen", "127.0.0.1:5000"});
    EXPECT_EQ(tcp.options.listenHost, "127.0.0.1");
    EXPECT_EQ(tcp.options.listenPort, 5000);
    EXPECT_EQ(ParseSignArguments({"--show", "-h", "--bogus"}).action, Action::Help);
}

TEST(SignOptions, BadArgumentsAreErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--id", "00"},                  // the broadcast address is nobody's ID
             {"--id", "1"},                   // two digits
             {"--id", "G1"},                  // hexadecimal
             {"--id"},                        // value missing
             {"--listen", "5000"},            // host missing
             {"--listen", ":5000"},           // host empty
             {"--listen", "localhost:70000"}, // port out of range
             {"--listen", "localhost:x"},     // port not a number
             {"--silent", "--refuse"},        // one fault at a time
             {"--hang-up-after", "0"},        // at least one frame
             {"--reply-delay", "-5"},
             {"--width", "15"},  // narrower than any sign
             {"--width", "513"}, // wider than any sign
             {"--width", "wide"},
             {"--window=yes"},
             {"--show=yes"}, // a switch takes no value
             {"--bogus"},
             {"stray"},
         }) {
        const auto parsed = ParseSignArguments(args);
        EXPECT_EQ(parsed.action, Action::Error) << args[0];
        EXPECT_FALSE(parsed.error.empty());
    }
}

} // namespace
} // namespace lumivo::sim

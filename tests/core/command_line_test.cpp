#include "core/command_line.h"
#include "core/version.h"

#include <gtest/gtest.h>

#include <sstream>

namespace lumivo {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--sign", OptionKind::Value},
    {"--entry", OptionKind::Repeated},
    {"--dry-run", OptionKind::Flag},
    kHelpOption,
    kVersionOption,
};

// What a parse found, in one line: "--sign=01 --entry=a|b --dry-run ; x y ! problem".
std::string Describe(const CommandLine& line) {
    std::string text;
    for (const OptionSpec& option : kOptions) {
        if (!line.has(option.name)) {
            continue;
        }
        text += text.empty() ? "" : " ";
        text += option.name;
        const std::vector<std::string> values = line.values(option.name);
        for (std::size_t i = 0; i < values.size(); ++i) {
            text += (i == 0 ? "=" : "|") + values[i];
        }
    }
    if (!line.positionals().empty()) {
        text += " ;";
        for (const std::string& p : line.positionals()) {
            text += " " + p;
        }
    }
    if (!line.ok()) {
        text += " ! " + line.error();
    }
    return text;
}

TEST(CommandLine, ReadsOptionsValuesAndPositionals) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
        bool stopAtFirstPositional = false;
    };
    const Case cases[] = {
        {{}, ""},
        {{"--sign", "01", "x"}, "--sign=01 ; x"},
        {{"x", "--sign", "01", "y"}, "--sign=01 ; x y"},
        {{"--sign=01"}, "--sign=01"},
        {{"--sign="}, "--sign="},
        {{"--sign=a=b"}, "--sign=a=b"},
        // A value is the next argument whatever it looks like.
        {{"--sign", "--dry-run"}, "--sign=--dry-run"},
        {{"--sign", "-"}, "--sign=-"},
        {{"--entry", "a", "--entry=b", "--entry", "c"}, "--entry=a|b|c"},
        {{"--dry-run", "--dry-run"}, "--dry-run"},
        {{"-h"}, "--help"},
        {{"-", ""}, " ; - "},
        // "--" ends the options.
        {{"--dry-run", "--", "--sign", "-h", "x"}, "--dry-run ; --sign -h x"},
        {{"--"}, ""},
        // Problems: the first is kept, and reading goes on.
        {{"--sign"}, " ! --sign needs a value"},
        {{"--dry-run", "--entry"}, "--dry-run ! --entry needs a value"},
        {{"--sign", "1", "--sign=2"}, "--sign=1|2 ! --sign given more than once"},
        {{"--dry-run=yes"}, " ! --dry-run takes no value"},
        {{"--bogus", "x", "--sign", "1"}, "--sign=1 ; x ! unknown option --bogus"},
        {{"--bogus=1", "-x"}, " ! unknown option --bogus=1"},
        {{"-x"}, " ! unknown option -x"},
        {{"-sign", "1"}, " ; 1 ! unknown option -sign"},
        {{"--bogus", "--help"}, "--help ! unknown option --bogus"},
        // A program with commands stops at the command word.
        {{"--version", "page", "--sign", "1", "--bogus"},
         "--version ; page --sign 1 --bogus",
         true},
        {{"--dry-run", "--", "--x"}, "--dry-run ; --x", true},
        {{"--bogus", "send"}, " ; send ! unknown option --bogus", true},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args, kOptions, c.stopAtFirstPositional);
        std::string shown;
        for (const std::string& a : c.args) {
            shown += "[" + a + "]";
        }
        EXPECT_EQ(Describe(line), c.expected) << shown;
        EXPECT_EQ(line.ok(), c.expected.find(" ! ") == std::string::npos) << shown;
    }
}

TEST(CommandLine, ValueGivesTheOptionsValueOrNothing) {
    const std::vector<std::string> args{"--sign", "0A", "--entry", "e1", "--dry-run"};
    const CommandLine line = ParseCommandLine(args, kOptions);
    EXPECT_EQ(line.value("--sign"), "0A");
    EXPECT_EQ(line.value("--dry-run"), std::nullopt); // a flag has no value
    EXPECT_EQ(line.value("--entry"), "e1");
    EXPECT_EQ(line.values("--sign"), std::vector<std::string>{"0A"});
    EXPECT_TRUE(line.values("--help").empty());
    EXPECT_FALSE(line.has("--help"));
    EXPECT_FALSE(line.has("--unknown"));
}

TEST(CommandLine, StandardOptionsAnswerHelpThenVersionThenErrors) {
    struct Case {
        std::vector<std::string> args;
        std::optional<int> status;
        std::string out;
        std::string err;
    };
    const std::string version = std::string("prog ") + kVersion + "\n";
    const Case cases[] = {
        {{"--sign", "1"}, std::nullopt, "", ""},
        {{"--help"}, kExitOk, "HELP", ""},
        {{"--version", "-h"}, kExitOk, "HELP", ""},
        {{"--bogus", "--help"}, kExitOk, "HELP", ""},
        {{"--version"}, kExitOk, version, ""},
        {{"--bogus", "--version"}, kExitOk, version, ""},
        {{"--bogus"}, kExitUsage, "", "prog: unknown option --bogus\nUSAGE"},
        {{"--sign"}, kExitUsage, "", "prog: --sign needs a value\nUSAGE"},
        // "--" makes "--help" a positional, which the program judges.
        {{"--", "--help"}, std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        const CommandLine line = ParseCommandLine(c.args, kOptions);
        EXPECT_EQ(AnswerStandardOptions(line, "prog", "USAGE", out, err, "HELP"), c.status)
            << c.args.front();
        EXPECT_EQ(out.str(), c.out) << c.args.front();
        EXPECT_EQ(err.str(), c.err) << c.args.front();
    }
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> help{"-h"};
    EXPECT_EQ(AnswerStandardOptions(ParseCommandLine(help, kOptions), "prog", "USAGE", out, err),
              kExitOk);
    EXPECT_EQ(out.str(), "USAGE"); // without a longer help text, help is the usage
}

} // namespace
} // namespace lumivo

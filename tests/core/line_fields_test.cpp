#include "core/line_fields.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace lumivo {
namespace {

std::map<std::string, std::optional<Bytes>> Values(const std::string& text) {
    std::map<std::string, std::optional<Bytes>> values;
    std::size_t from = 0;
    while (text != "-" && from <= text.size()) {
        const std::size_t bar = std::min(text.find('|', from), text.size());
        const std::string item = text.substr(from, bar - from);
        const std::size_t equals = item.find('=');
        const std::string value = item.substr(equals + 1);
        values[item.substr(0, equals)] =
            value == "-" ? std::nullopt : std::optional<Bytes>(test::Unescape(value));
        from = bar + 1;
    }
    return values;
}

TEST(LineFields, FillsLinesAndMakesValuesSafe) {
    test::ForEachCase("core/line_fields.tsv", 4, [](const test::CaseRow& row) {
        const std::string& kind = row.fields[0];
        const std::string input = test::Unescape(row.fields[1]);
        const std::string& expected = row.fields[3];
        if (kind == "value") {
            EXPECT_EQ(SafeFieldValue(input, std::stoul(row.fields[2])), test::Unescape(expected));
            return;
        }
        ASSERT_EQ(kind, "fill");
        const Result<LineTemplate> parsed = LineTemplate::Parse(input);
        if (expected.front() == '!') {
            ASSERT_FALSE(parsed.ok());
            EXPECT_NE(parsed.error().message.find(expected.substr(1)), std::string::npos)
                << parsed.error().message;
            return;
        }
        ASSERT_TRUE(parsed.ok()) << parsed.error().message;
        const auto values = Values(row.fields[2]);
        const std::optional<Bytes> filled =
            parsed->fill([&](const FieldRef& field) -> std::optional<Bytes> {
                const auto it = values.find(field.name);
                if (it == values.end() || !it->second) {
                    return std::nullopt;
                }
                // A source field's format is its width, as the service applies it.
                const std::size_t width = SourceFieldWidth(field.format).value_or(0);
                return SafeFieldValue(*it->second).substr(0, width);
            });
        EXPECT_EQ(filled.value_or("(none)"), test::Unescape(expected));
    });
}

// Every conversion the clock fields take, at a time that shows padding and the 12-hour clock.
TEST(LineFields, FormatsTheClockInEnglishWhateverTheLocale) {
    std::tm at{};
    at.tm_year = 2026 - 1900;
    at.tm_mon = 2;
    at.tm_mday = 5;
    at.tm_yday = 63;
    at.tm_wday = 4;
    at.tm_hour = 0;
    at.tm_min = 7;
    at.tm_sec = 9;
    const std::string format = "%a %A %b %B %d|%e %H %I %j %m %M %p %S %u %w %y %Y %z %Z %%";
    EXPECT_EQ(ClockFormatProblem(format), "");
    EXPECT_EQ(FormatClock(format, at, -(3 * 3600 + 30 * 60), "NST"),
              "Thu Thursday Mar March 05| 5 00 12 064 03 07 AM 09 4 4 26 2026 -0330 NST %");
    EXPECT_NE(ClockFormatProblem("%H:%c"), "");
    EXPECT_NE(ClockFormatProblem("%H%"), "");
}

} // namespace
} // namespace lumivo

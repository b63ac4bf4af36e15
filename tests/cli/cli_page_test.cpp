#include "cli/cli_common.h"
#include "cli/cli_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lumivo::cli {
namespace {

using namespace std::string_literals;

const std::filesystem::path kGraphics = std::filesystem::path(LUMIVO_TEST_DATA_DIR) / "Graphdata";

struct PageRun {
    int status;
    std::string out;
    std::string err;
};

PageRun Page(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunPageCommand(args, out, err, kGraphics);
    return {status, out.str(), err.str()};
}

TEST(CliPage, WritesThePageStreamAndNothingElse) {
    const PageRun r = Page({"--sign", "01", "--page", "A", "Hello"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>");
    EXPECT_EQ(r.err, "");
    const PageRun defaults = Page({""});
    EXPECT_EQ(defaults.out.substr(0, 14), "<ID00><L1><PA>");
    EXPECT_EQ(Page({"--page=b", "--sign=ff", "x"}).out.substr(0, 14), "<IDFF><L1><PB>");
}

TEST(CliPage, TextArgumentIsUtf8ConvertedToLineBytes) {
    const PageRun r = Page({"caf\xC3\xA9 \xC3\xBF"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("caf\xE9 \xFF"s), std::string::npos);
    const PageRun euro = Page({"\xE2\x82\xAC"});
    EXPECT_EQ(euro.status, 2);
    EXPECT_EQ(euro.out, "");
    EXPECT_NE(euro.err.find("U+00FF"), std::string::npos);
}

TEST(CliPage, TextFileIsReadAsRawBytes) {
    const auto path = std::filesystem::temp_directory_path() / "lumivo-cli-page-test.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << "a\xE9\r\nb<Red>\x01"s;
    }
    const PageRun r = Page({"--text-file", path.string(), "--sign", "02"});
    std::filesystem::remove(path);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("a\xE9"
                         "b<CA>\x01"s),
              std::string::npos);
}

TEST(CliPage, UnreadableGraphicNamesItAndWritesNothing) {
    for (const char* line : {"<Pic:G09>", "<Pic:../x>"}) {
        const PageRun r = Page({line});
        EXPECT_EQ(r.status, 1) << line;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_NE(r.err.find(std::string(line).substr(5, 3)), std::string::npos) << r.err;
    }
    EXPECT_EQ(Page({"<Pic:G02>"}).status, 0);
}

TEST(CliPage, UsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"a", "b"},
                                                                  {"--sign", "1", "x"},
                                                                  {"--sign", "GG", "x"},
                                                                  {"--page", "AB", "x"},
                                                                  {"--page", "1", "x"},
                                                                  {"--text-file", "f", "x"},
                                                                  {"--sign"},
                                                                  {"--bogus", "x"}}) {
        const PageRun r = Page(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    const PageRun help = Page({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--sign", "--page", "--graphics", "--text-file"}) {
        EXPECT_NE(help.out.find(option), std::string::npos);
    }
    EXPECT_EQ(Page({"--text-file", "/nonexistent/line.txt"}).status, 1);
}

TEST(CliPage, TheProgramWritesExactBytesOnStandardOutput) {
    const std::string command = std::string(LUMIVO_CLI_PATH) + " page --sign 01 --graphics " +
                                kGraphics.string() + " '<Pic:G01>\xC3\xA9'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(out.substr(0, 35), "<ID01><L1><PA><FE><MA><WC><FE><GA1>");
    EXPECT_EQ(out[35], '\xE9');
}

TEST(Utf8ToLatin1, AcceptsOnlyWhatALineCanCarry) {
    EXPECT_EQ(Utf8ToLatin1("plain"), "plain");
    EXPECT_EQ(Utf8ToLatin1("\xC2\x80\xC3\xBF"), "\x80\xFF"s);
    EXPECT_FALSE(Utf8ToLatin1("\xC4\x80")); // U+0100
    EXPECT_FALSE(Utf8ToLatin1("\xC3"));     // cut short
    EXPECT_FALSE(Utf8ToLatin1("\xE9"));     // Latin-1 byte, not UTF-8
    EXPECT_FALSE(Utf8ToLatin1("\xC3\x28")); // bad continuation
}

} // namespace
} // namespace lumivo::cli

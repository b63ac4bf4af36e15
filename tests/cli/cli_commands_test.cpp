#include "cli/cli_commands.h"
#include "core/rtf.h"
#include "core/test_support.h"
#include "link/fake_port.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace lumivo::cli {
namespace {

using namespace std::string_literals;

const std::filesystem::path kData = LUMIVO_TEST_DATA_DIR;

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun Command(const std::string& name, std::vector<std::string> args,
                   link::FakeLine* line = nullptr) {
    CommandContext context;
    context.graphicsFolder = kData / "Graphdata";
    std::string askedFor;
    context.openerFor = [line](const std::string&) {
        return line ? line->opener() : link::PortOpener{[] { return nullptr; }};
    };
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunSignCommand(name, args, out, err, context);
    return {status, out.str(), err.str()};
}

// tests/data/cli/dry_run.tsv: command, the bytes it writes, its arguments.
TEST(CliDryRun, WritesExactlyTheBytesOfEachCommand) {
    const std::vector<test::CaseRow> cases = test::ReadCases("cli/dry_run.tsv");
    EXPECT_EQ(cases.size(), 12u);
    for (const test::CaseRow& c : cases) {
        ASSERT_GE(c.fields.size(), 2u);
        const std::string& bytes = c.fields[1];
        std::vector<std::string> args(c.fields.begin() + 2, c.fields.end());
        args.push_back("--dry-run");
        const CommandRun r = Command(c.fields[0], args);
        SCOPED_TRACE("dry_run.tsv line " + std::to_string(c.line) + ": " + c.fields[0] + " " +
                     r.err);
        EXPECT_EQ(r.status, 0);
        if (bytes.find("XX<E>") != std::string::npos) {
            // The second schedule's checksum is not worked by hand: compare everything before it.
            const std::string prefix = bytes.substr(0, bytes.size() - 5);
            EXPECT_EQ(r.out.substr(0, prefix.size()), prefix);
            EXPECT_EQ(r.out.size(), bytes.size());
        } else {
            EXPECT_EQ(r.out, bytes);
        }
    }
}

TEST(CliDryRun, FontTransferSkipsUndrawnRecords) {
    const CommandRun r = Command("font-transfer", {"--dry-run", "--sign", "01", "--font",
                                                   (kData / "fonts" / "three.fon").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 15), "<ID01><BE>05<E>");
    EXPECT_EQ(
        r.out.substr(15, 25),
        "\x3C\x49\x44\x30\x31\x3E\x3C\x46\x41\x30\x31\x3E\x80\x00\x00\x00\x00\x00\x00\x00\x38\x34\x3C\x45\x3E"s);
    EXPECT_EQ(r.out.size(), 15u + 25u + 25u + 15u);
    EXPECT_EQ(r.out.substr(r.out.size() - 15), "<ID01><BF>06<E>");
}

TEST(CliPort, PrintsTheOutcomeTextAndItsStatus) {
    link::FakeLine acking;
    const CommandRun ok = Command("delete-all", {"--port", "COM1", "--sign", "01"}, &acking);
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "   Delete All OK   \n");
    EXPECT_EQ(acking.closeCount(), 1);

    link::FakeLine broadcast;
    const CommandRun over = Command("run-page", {"--port", "/dev/x", "--page", "B"}, &broadcast);
    EXPECT_EQ(over.status, 0);
    EXPECT_EQ(over.out, "   Running page is Over   \n");

    link::FakeLine silent;
    silent.setDefaultReply("");
    const CommandRun failed =
        Command("brightness", {"--port", "COM2", "--sign", "01", "--level", "50"}, &silent);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "  Set Brightness Error  \n");

    const CommandRun noPort = Command("delete-all", {"--port", "COM3", "--sign", "01"}, nullptr);
    EXPECT_EQ(noPort.status, 1);
    EXPECT_EQ(noPort.out, " Open Com Error \n");
}

TEST(CliUsage, BadInputIsAUsageErrorAndWritesNothing) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> bad = {
        {"delete-all", {}},
        {"delete-all", {"--dry-run", "--port", "COM1"}},
        {"delete-all", {"--port", "COM9"}},
        {"delete-all", {"--dry-run", "--sign", "100"}},
        {"set-id", {"--dry-run", "--new-id", "00"}},
        {"set-id", {"--dry-run", "--new-id", "05", "--sign", "01"}},
        {"brightness", {"--dry-run", "--level", "60"}},
        {"run-page", {"--dry-run", "--page", "AB"}},
        {"clock", {"--dry-run", "--time", "2026-02-30 10:00:00"}},
        {"clock", {"--dry-run", "--time", "2026-12-07 24:00:00"}},
        {"schedules", {"--dry-run", "--entry", "13/01/26 08:00,12/31/26 18:30,A"}},
        {"schedules", {"--dry-run", "--entry", "12/01/26 08:00,12/31/26 18:30,A1"}},
        {"schedules", {"--dry-run", "--entry", "12/01/26 08:00"}},
        {"delete-schedules", {"--dry-run", "--slots", "6"}},
        {"delete-lines", {"--dry-run", "--line", "A3"}},
        {"link-pages", {"--dry-run", "--pages", "a-b"}},
        {"send", {"--dry-run"}},
        {"send", {"--dry-run", "--text-file", "x", "TEXT"}},
        {"send", {"--dry-run", "\xE2\x82\xAC"}},
        {"delete-all", {"--dry-run", "--bogus"}},
    };
    for (const auto& [name, args] : bad) {
        const CommandRun r = Command(name, args);
        SCOPED_TRACE(name + " " + r.err);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
    }
    std::vector<std::string> six;
    for (int i = 0; i < 6; ++i) {
        six.insert(six.end(), {"--entry", "12/25/26 08:00,12/31/26 18:30,A"});
    }
    six.push_back("--dry-run");
    const CommandRun tooMany = Command("schedules", six);
    EXPECT_EQ(tooMany.status, 2);
    EXPECT_NE(tooMany.err.find(" Max only items 5 "), std::string::npos);
}

TEST(CliSend, RefusedBeforeAnythingIsWritten) {
    link::FakeLine line;
    const CommandRun r = Command("send", {"--port", "COM1", "--sign", "01", "<Pic:G09>x"}, &line);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("G09"), std::string::npos);
    EXPECT_EQ(line.written(), "");
    const CommandRun graphic = Command("send", {"--dry-run", "--sign", "01", "--graphics",
                                                (kData / "Graphdata").string(), "<Pic:G02>"});
    ASSERT_EQ(graphic.status, 0) << graphic.err;
    EXPECT_EQ(graphic.out.size(), 15u + 45u + 2u * 80u + 15u);
}

TEST(CliSend, DocumentIsReadAsTheEditorOpensIt) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("lumivo-cli-document-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto write = [&folder](const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    };
    RtfDocument styled = RtfDocument::fromText("He", {0, 0, 0});
    for (const StyledChar& c : RtfDocument::fromText("llo", {255, 0, 0}, true).chars) {
        styled.chars.push_back(c);
    }
    const std::string rtf = write("styled.lmv", WriteRtf(styled));
    const std::string plain = write("plain.lmv", "Hello");
    const std::string fifo = (folder / "fifo.lmv").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    const CommandRun text = Command("send", {"--dry-run", "--sign", "01", "Hello"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const std::string& document : {rtf, plain}) {
        const CommandRun r = Command("send", {"--dry-run", "--sign", "01", "--document", document});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, text.out) << document;
    }
    // Only regular files are read, and a FIFO without a writer is refused at once.
    for (const std::string& bad : {fifo, folder.string(), (folder / "missing.lmv").string()}) {
        const CommandRun r = Command("send", {"--dry-run", "--sign", "01", "--document", bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace lumivo::cli

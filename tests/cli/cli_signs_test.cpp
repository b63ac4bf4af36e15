// The sign list on the command line: `signs`, `signs add`, `signs remove` and `--to`, run as
// lumivo-cli runs them, against a settings file of their own.

#include "cli/cli_commands.h"
#include "cli/cli_signs.h"
#include "core/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

namespace lumivo::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// `args` as after "lumivo-cli": "signs ..." or a sign command.
CliRun RunCli(const std::vector<std::string>& args, const fs::path& settings) {
    CommandContext context;
    context.graphicsFolder = test::DataDir() / "Graphdata";
    context.settingsFile = settings.string();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    std::ostringstream out;
    std::ostringstream err;
    const int status = args[0] == "signs" ? RunSignsCommand(rest, out, err, context)
                                          : RunSignCommand(args[0], rest, out, err, context);
    return {status, out.str(), err.str()};
}

// Every " ... "-separated piece of `pieces` appears in `text` in order; no pieces: `text` is
// empty. Returns the first piece missing, or nothing.
std::optional<std::string> MissingPiece(const std::string& text, const std::string& pieces) {
    if (pieces.empty()) {
        return text.empty() ? std::nullopt : std::optional<std::string>("(nothing)");
    }
    return test::FirstPieceMissing(text, pieces);
}

// tests/data/cli/signs.tsv: the list a case starts from (empty, site, or same: the list the
// case above left), status, pieces of standard output, pieces of standard error, the command
// line. "site" is tests/data/cli/signs_site.INI.
TEST(CliSigns, CommandsOnTheSignList) {
    const std::vector<test::CaseRow> cases = test::ReadCases("cli/signs.tsv");
    EXPECT_GE(cases.size(), 30u);
    std::unique_ptr<test::TempDir> folder;
    for (const test::CaseRow& c : cases) {
        ASSERT_GE(c.fields.size(), 5u) << "signs.tsv line " << c.line;
        const std::string& list = c.fields[0];
        if (list != "same" || !folder) {
            ASSERT_TRUE(list == "empty" || list == "site") << "signs.tsv line " << c.line;
            folder = std::make_unique<test::TempDir>();
            if (list == "site") {
                fs::copy_file(test::DataDir() / "cli" / "signs_site.INI",
                              folder->path() / "lumivo.INI");
            }
        }
        const std::vector<std::string> args(c.fields.begin() + 4, c.fields.end());
        const CliRun run = RunCli(args, folder->path() / "lumivo.INI");
        std::string shown;
        for (const std::string& a : args) {
            shown += " " + a;
        }
        SCOPED_TRACE("signs.tsv line " + std::to_string(c.line) + ":" + shown);
        EXPECT_EQ(run.status, std::stoi(c.fields[1])) << run.err;
        if (const auto missing = MissingPiece(run.out, c.fields[2])) {
            ADD_FAILURE() << "standard output lacks \"" << *missing << "\":\n" << run.out;
        }
        if (const auto missing = MissingPiece(run.err, c.fields[3])) {
            ADD_FAILURE() << "standard error lacks \"" << *missing << "\":\n" << run.err;
        }
    }
}

} // namespace
} // namespace lumivo::cli

#pragma once

#include "core/bytes.h"
#include "core/command_line.h"
#include "core/result.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::cli {

// Exit statuses shared by every command.
using ::lumivo::kExitFailure;
using ::lumivo::kExitOk;
using ::lumivo::kExitUsage;

// Converts UTF-8 text to the 8-bit line text (Latin-1). nullopt when the text is not valid
// UTF-8 or holds a character above U+00FF, which no line byte can carry.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// Reads the options of lumivo-cli itself, those before the command word: --help (or the command
// "help"), --version. Returns the exit status when they settle the run: help or version shown, a
// usage error, or no command at all (the usage on `err`, status 2). Otherwise returns nullopt and
// `command` holds the command word and its arguments.
std::optional<int> ReadProgramOptions(const std::vector<std::string>& args, std::string_view usage,
                                      std::string_view help, std::vector<std::string>& command,
                                      std::ostream& out, std::ostream& err);

// While it lives, std::cout writes straight to standard output and the first write error is
// kept, so a run can tell at its end whether all its output got out, and why not.
class CheckedStandardOutput final : public std::streambuf {
public:
    CheckedStandardOutput();
    ~CheckedStandardOutput() override;
    CheckedStandardOutput(const CheckedStandardOutput&) = delete;
    CheckedStandardOutput& operator=(const CheckedStandardOutput&) = delete;

    // Flushes. When any output could not be written, says so on `err` ("lumivo-cli: cannot write
    // to standard output: " + reason) and returns kExitFailure; otherwise returns `status`.
    int finish(int status, std::ostream& err);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool writeBuffer();

    std::streambuf* m_previous = nullptr;
    char m_buffer[4096];
    int m_error = 0; // errno of the first failed write, 0 while all went well
};

// A line read from a file (--text-file) is refused above this size: a sign line is a few
// hundred bytes, so a larger file is a mistake.
inline constexpr std::size_t kMaxLineFileBytes = 1024 * 1024;

// Reads the raw 8-bit line from a file; a file over kMaxLineFileBytes is refused with a message
// that says so.
Result<Bytes> ReadLineFile(const std::string& path);

// The line a command takes as `--text-file FILE` (raw bytes) or as its one TEXT argument (UTF-8,
// made 8-bit). Either the line, or why not: a mistake in the arguments (`usageMistake`) or a file
// that could not be read.
struct LineArgument {
    std::optional<std::string> line;
    bool usageMistake = false;
    std::string problem;
};
LineArgument ReadLineArgument(const CommandLine& options);

} // namespace lumivo::cli

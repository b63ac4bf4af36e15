#include "cli/cli_common.h"

#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include <unistd.h>

namespace lumivo::cli {

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Two-byte sequences C2..C3 carry U+0080..U+00FF; anything longer is above U+00FF.
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if ((next & 0xC0) == 0x80) {
                out += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
                i += 2;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}

std::optional<int> ReadProgramOptions(const std::vector<std::string>& args, std::string_view usage,
                                      std::string_view help, std::vector<std::string>& command,
                                      std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec kProgramOptions[] = {kHelpOption, kVersionOption};
    const CommandLine line = ParseCommandLine(args, kProgramOptions, true);
    if (const auto status = AnswerStandardOptions(line, "lumivo-cli", usage, out, err, help)) {
        return status;
    }
    command = line.positionals();
    if (command.empty()) {
        err << usage;
        return kExitUsage;
    }
    if (command.front() == "help") {
        out << help;
        return kExitOk;
    }
    return std::nullopt;
}

CheckedStandardOutput::CheckedStandardOutput() {
    setp(m_buffer, m_buffer + sizeof m_buffer);
    std::cout.flush();
    m_previous = std::cout.rdbuf(this);
}

CheckedStandardOutput::~CheckedStandardOutput() {
    sync();
    std::cout.rdbuf(m_previous);
}

bool CheckedStandardOutput::writeBuffer() {
    const char* next = pbase();
    while (m_error == 0 && next < pptr()) {
        const ssize_t n = write(STDOUT_FILENO, next, static_cast<std::size_t>(pptr() - next));
        if (n > 0) {
            next += n;
        } else if (n < 0 && errno != EINTR) {
            m_error = errno;
        } else if (n == 0) {
            m_error = EIO;
        }
    }
    setp(m_buffer, m_buffer + sizeof m_buffer);
    return m_error == 0;
}

CheckedStandardOutput::int_type CheckedStandardOutput::overflow(int_type c) {
    if (!writeBuffer()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int CheckedStandardOutput::sync() {
    return writeBuffer() ? 0 : -1;
}

int CheckedStandardOutput::finish(int status, std::ostream& err) {
    std::cout.flush();
    if (m_error == 0 && std::cout) {
        return status;
    }
    err << "lumivo-cli: cannot write to standard output: "
        << std::strerror(m_error != 0 ? m_error : EIO) << "\n";
    return kExitFailure;
}

Result<Bytes> ReadLineFile(const std::string& path) {
    Result<Bytes> bytes = ReadWholeFile(path, kMaxLineFileBytes);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!bytes && !ec && size > kMaxLineFileBytes) {
        return Error{path + " holds " + std::to_string(size) +
                     " bytes, more than a sign line can be (at most 1 MiB): not read"};
    }
    return bytes;
}

LineArgument ReadLineArgument(const CommandLine& options) {
    const std::optional<std::string> textFile = options.value("--text-file");
    const std::vector<std::string>& texts = options.positionals();
    if (texts.size() > 1) {
        return {std::nullopt, true, "give the line once (quote a TEXT with blanks)"};
    }
    if (textFile.has_value() == !texts.empty()) {
        return {std::nullopt, true, "give either --text-file FILE or TEXT"};
    }
    if (textFile) {
        Result<Bytes> bytes = ReadLineFile(*textFile);
        if (!bytes) {
            return {std::nullopt, false, bytes.error().message};
        }
        return {std::move(bytes).value(), false, {}};
    }
    std::optional<std::string> latin1 = Utf8ToLatin1(texts.front());
    if (!latin1) {
        return {std::nullopt, true,
                "TEXT holds a character above U+00FF, which a sign line cannot carry"};
    }
    return {std::move(latin1), false, {}};
}

} // namespace lumivo::cli

#include "core/command_line.h"

#include "core/version.h"

#include <algorithm>

namespace lumivo {

namespace {

const OptionSpec* FindOption(std::span<const OptionSpec> options, std::string_view name) {
    const auto it = std::find_if(options.begin(), options.end(), [name](const OptionSpec& o) {
        return o.name == name || (!o.alias.empty() && o.alias == name);
    });
    return it == options.end() ? nullptr : &*it;
}

bool LooksLikeOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

} // namespace

std::optional<std::string> CommandLine::value(std::string_view name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second.back();
}

std::vector<std::string> CommandLine::values(std::string_view name) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? std::vector<std::string>{} : it->second;
}

CommandLine ParseCommandLine(std::span<const std::string> args, std::span<const OptionSpec> options,
                             bool stopAtFirstPositional) {
    CommandLine line;
    auto fail = [&line](std::string problem) {
        if (line.m_error.empty()) {
            line.m_error = std::move(problem);
        }
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            line.m_positionals.insert(line.m_positionals.end(), args.begin() + i + 1, args.end());
            break;
        }
        if (!LooksLikeOption(arg)) {
            if (stopAtFirstPositional) {
                line.m_positionals.insert(line.m_positionals.end(), args.begin() + i, args.end());
                break;
            }
            line.m_positionals.push_back(arg);
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = name.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const OptionSpec* spec = FindOption(options, name);
        if (spec == nullptr) {
            fail("unknown option " + arg);
            continue;
        }
        const std::string key(spec->name);
        if (spec->kind == OptionKind::Flag) {
            if (inlineValue) {
                fail(key + " takes no value");
                continue;
            }
            line.m_values[key];
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = std::move(*inlineValue);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail(key + " needs a value");
            break;
        }
        std::vector<std::string>& given = line.m_values[key];
        if (spec->kind == OptionKind::Value && !given.empty()) {
            fail(key + " given more than once");
        }
        given.push_back(std::move(value));
    }
    return line;
}

std::optional<int> AnswerStandardOptions(const CommandLine& line, std::string_view program,
                                         std::string_view usage, std::ostream& out,
                                         std::ostream& err, std::string_view help) {
    if (line.has(kHelpOption.name)) {
        out << (help.empty() ? usage : help);
        out.flush();
        return kExitOk;
    }
    if (line.has(kVersionOption.name)) {
        out << program << ' ' << kVersion << '\n';
        out.flush();
        return kExitOk;
    }
    if (!line.ok()) {
        return ReportUsageError(err, program, line.error(), usage);
    }
    return std::nullopt;
}

int ReportUsageError(std::ostream& err, std::string_view program, std::string_view problem,
                     std::string_view usage) {
    err << program << ": " << problem << '\n' << usage;
    err.flush();
    return kExitUsage;
}

} // namespace lumivo

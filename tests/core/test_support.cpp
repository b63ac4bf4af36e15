#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace lumivo::test {

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<CaseRow> ReadCases(const std::filesystem::path& name) {
    std::ifstream in(DataDir() / name);
    if (!in) {
        ADD_FAILURE() << "case table " << name << " missing";
        return {};
    }
    std::vector<CaseRow> rows;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.empty() || text[0] == '#') {
            continue;
        }
        CaseRow row{line, {}};
        std::stringstream fields(text);
        std::string field;
        while (std::getline(fields, field, '\t')) {
            row.fields.push_back(field);
        }
        if (text.back() == '\t') {
            row.fields.emplace_back();
        }
        rows.push_back(std::move(row));
    }
    std::cout << "[   CASES  ] " << rows.size() << " from " << name.string() << "\n";
    return rows;
}

void ForEachCase(const std::filesystem::path& name, std::size_t fields,
                 const std::function<void(const CaseRow&)>& check) {
    const std::vector<CaseRow> cases = ReadCases(name);
    ASSERT_FALSE(cases.empty()) << "no cases in " << name;
    for (const CaseRow& row : cases) {
        ASSERT_EQ(row.fields.size(), fields) << name << " line " << row.line;
        SCOPED_TRACE(name.string() + " line " + std::to_string(row.line) + ": " + row.fields[0]);
        check(row);
    }
}

TempDir::TempDir() {
    std::random_device seed;
    m_path = std::filesystem::temp_directory_path() /
             ("lumivo-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos;
         from = at + separator.size()) {
        parts.push_back(text.substr(from, at - from));
    }
    parts.push_back(text.substr(from));
    return parts;
}

std::optional<std::string> FirstPieceMissing(const std::string& text, const std::string& pieces) {
    std::size_t from = 0;
    for (const std::string& part : Split(pieces, " ... ")) {
        const std::string piece = Unescape(part);
        const std::size_t found = text.find(piece, from);
        if (found == std::string::npos) {
            return piece;
        }
        from = found + piece.size();
    }
    return std::nullopt;
}

} // namespace lumivo::test

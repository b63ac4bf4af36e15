#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumivo::test {

// Folder of the checked-in test data.
inline std::filesystem::path DataDir() {
    return LUMIVO_TEST_DATA_DIR;
}

// Turns "\xHH" escapes of the golden files into bytes; every other character stands for itself.
std::string Unescape(std::string_view text);

// A fresh, empty folder under the system's temporary folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

} // namespace lumivo::test

#pragma once

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace lumivo::test {

// Folder of the checked-in test data.
inline std::filesystem::path DataDir() {
    return LUMIVO_TEST_DATA_DIR;
}

// Turns "\xHH" escapes of the golden files into bytes; every other character stands for itself.
std::string Unescape(std::string_view text);

// The parts of `text` between the separators (one part when there is none).
std::vector<std::string> Split(const std::string& text, const std::string& separator);

// Every " ... "-separated piece of `pieces` (escapes turned into bytes) appears in `text`, each
// after the one before. Returns the first piece missing, or nothing.
std::optional<std::string> FirstPieceMissing(const std::string& text, const std::string& pieces);

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

// One case of a table in tests/data: its fields (split at tabs, empty ones kept) and the line it
// stands on, for the failure message.
struct CaseRow {
    int line = 0;
    std::vector<std::string> fields;
};

// The cases of the table `name` under tests/data: every line but blank ones and "#" comments.
// Prints how many it read, so the count shows in the test's output; an unreadable table fails
// the calling test and gives no cases.
std::vector<CaseRow> ReadCases(const std::filesystem::path& name);

// Runs `check` on every case of the table `name`, each of exactly `fields` fields, under a trace
// naming the case's line and first field; a missing or empty table, or a case of another number
// of fields, fails the calling test.
void ForEachCase(const std::filesystem::path& name, std::size_t fields,
                 const std::function<void(const CaseRow&)>& check);

// Runs `read` on another thread and returns what it returned, or nothing when it was still
// waiting after two seconds. A reader stuck on the FIFO `fifo` is then freed by opening and
// closing the FIFO's other end, so a reader that blocks fails its test instead of hanging it.
template <class Read>
auto ReadWithinTwoSeconds(const std::filesystem::path& fifo, Read read)
    -> std::optional<decltype(read())> {
    auto running = std::async(std::launch::async, read);
    if (running.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
        return running.get();
    }
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) {
        ::close(writer);
    }
    running.wait();
    return std::nullopt;
}

} // namespace lumivo::test

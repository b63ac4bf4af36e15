#pragma once

#include "core/bytes.h"
#include "core/result.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumivo {

// The step at which reading a whole file failed, for callers that tell "cannot open" from
// "cannot load" (the editor shows a different box for each).
enum class ReadStep {
    Open,       // missing, not permitted
    NotRegular, // a folder, a FIFO, a device
    TooLarge,   // more than the limit
    Read,       // a read failed
};

// Reads a whole regular file as bytes. The file is opened without waiting (a FIFO or a device
// never blocks the caller) and anything that is not a regular file is refused. Files larger than
// `maxBytes` are refused, so a stray huge file never fills memory. On failure the message names
// the path and the reason, and `failedStep` (when given) says where it failed.
Result<Bytes> ReadWholeFile(const std::filesystem::path& path,
                            std::size_t maxBytes = 64 * 1024 * 1024,
                            ReadStep* failedStep = nullptr);

// The step at which replacing a file failed.
enum class WriteStep {
    CheckTarget,     // the target exists and is not a regular file (or cannot be looked at)
    CreateTemporary, // no new file could be made in the target's folder
    WriteData,       // writing, syncing, closing or renaming the new file failed
};

struct WriteFailure {
    WriteStep step;
    std::string message; // names the path and the system's reason
};

// Replaces the file at `path` with `bytes`, or leaves the old file exactly as it was. A new file
// is made next to the target under a random name (never through a link), written whole, synced
// and closed, given the old file's permissions and renamed over the target. A target that exists
// and is not a regular file (a folder, a device, a FIFO, or a link to one) is refused; a link to
// a regular file is written through, so the link stays. On failure the new file is removed.
std::optional<WriteFailure> ReplaceFileContents(const std::filesystem::path& path,
                                                std::string_view bytes);

// ReplaceFileContents for callers that only need the message.
Status WriteFileReplacing(const std::filesystem::path& path, std::string_view bytes);

// Refuses a path that exists and is not a regular file, or a link to one ("Cannot write PATH:
// not a regular file"). A path that does not exist yet passes.
Status CheckWritableTarget(const std::filesystem::path& path);

// A file that collects lines (a log): what it held is kept, and each line is appended whole
// after it (a last line an earlier run left unfinished is ended first). Links are not followed and
// only a regular file is taken. A failed write is reported once by the caller; later lines are
// still tried.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    Status open(const std::filesystem::path& path);
    bool isOpen() const { return m_fd >= 0; }
    // Appends the bytes; an error names the file and the system's reason.
    Status append(std::string_view bytes);

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

namespace detail {

// The system calls the file writer makes, so a test can make any one of them fail. The defaults
// are the real calls; `temporaryName` returns the random part of a temporary file's name.
struct FileWriterCalls {
    long (*write)(int fd, const void* data, std::size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    std::string (*temporaryName)();
};

FileWriterCalls& WriterCalls();
FileWriterCalls DefaultWriterCalls();

// The temporary file made beside `target` for the random part `random`: a hidden name in the
// same folder.
std::filesystem::path TemporaryPath(const std::filesystem::path& target, const std::string& random);

} // namespace detail

} // namespace lumivo

#include "core/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumivo {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// Notes the step for the caller that asked and words the error.
class ReadFailureReport {
public:
    ReadFailureReport(const fs::path& path, ReadStep* step) : m_path(path), m_step(step) {}
    Error operator()(ReadStep step, const std::string& why) const {
        if (m_step != nullptr) {
            *m_step = step;
        }
        return Error{(step == ReadStep::Open ? "Cannot open " : "Cannot read ") + m_path.string() +
                     ": " + why};
    }

private:
    const fs::path& m_path;
    ReadStep* m_step;
};

std::string LargerThan(std::size_t maxBytes) {
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

WriteFailure CannotWrite(WriteStep step, const fs::path& path, const std::string& why) {
    return WriteFailure{step, "Cannot write " + path.string() + ": " + why};
}

// Eight random bytes as sixteen hex digits.
std::string RandomName() {
    static thread_local std::mt19937_64 generator{[] {
        std::random_device seed;
        return (static_cast<std::uint64_t>(seed()) << 32) ^ seed();
    }()};
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
    return text;
}

} // namespace

namespace detail {

fs::path TemporaryPath(const fs::path& target, const std::string& random) {
    std::string base = target.filename().string();
    if (base.size() > 200) {
        base.resize(200);
    }
    return target.parent_path() / ("." + base + "." + random + ".tmp");
}

} // namespace detail

using detail::TemporaryPath;

#ifdef _WIN32

// A simple fallback: no links, FIFOs or fsync to care about in the same way.
Result<Bytes> ReadWholeFile(const fs::path& path, std::size_t maxBytes, ReadStep* failedStep) {
    const ReadFailureReport fail(path, failedStep);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        if (!fs::exists(path, ec)) {
            return fail(ReadStep::Open, Reason(ENOENT));
        }
        return fail(ReadStep::NotRegular, "not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return fail(ReadStep::Open, Reason(errno));
    }
    Bytes data;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        data.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (data.size() > maxBytes) {
            return fail(ReadStep::TooLarge, "the file is " + LargerThan(maxBytes));
        }
    }
    if (in.bad()) {
        return fail(ReadStep::Read, Reason(EIO));
    }
    return data;
}

Status CheckWritableTarget(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return Error{"Cannot write " + path.string() + ": not a regular file"};
    }
    return Ok{};
}

std::optional<WriteFailure> ReplaceFileContents(const fs::path& path, std::string_view bytes) {
    if (Status target = CheckWritableTarget(path); !target) {
        return WriteFailure{WriteStep::CheckTarget, target.error().message};
    }
    const fs::path temp = TemporaryPath(path, RandomName());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return CannotWrite(WriteStep::CreateTemporary, path, Reason(errno));
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            return CannotWrite(WriteStep::WriteData, path, Reason(EIO));
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return CannotWrite(WriteStep::WriteData, path, ec.message());
    }
    return std::nullopt;
}

AppendFile::~AppendFile() {
    if (m_fd >= 0) {
        _close(m_fd);
    }
}

Status AppendFile::open(const fs::path& path) {
    if (Status target = CheckWritableTarget(path); !target) {
        return target;
    }
    m_path = path;
    m_fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (m_fd < 0) {
        return Error{"Cannot write " + path.string() + ": " + Reason(errno)};
    }
    return Ok{};
}

Status AppendFile::append(std::string_view bytes) {
    while (!bytes.empty()) {
        const int n = _write(m_fd, bytes.data(), static_cast<unsigned>(bytes.size()));
        if (n <= 0) {
            return Error{"Cannot write " + m_path.string() + ": " + Reason(errno)};
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return Ok{};
}

namespace detail {

FileWriterCalls DefaultWriterCalls() {
    return FileWriterCalls{
        [](int fd, const void* data, std::size_t size) -> long {
            return _write(fd, data, static_cast<unsigned>(size));
        },
        [](int fd) { return _commit(fd); },
        [](int fd) { return _close(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); },
        RandomName,
    };
}

} // namespace detail

#else

namespace {

// Closes a descriptor on every path out of a function unless released.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Writes every byte through the writer's calls, going on after an interruption or a short write.
// Returns 0 or the errno of the failed write.
int WriteAll(int fd, std::string_view bytes) {
    const detail::FileWriterCalls& calls = detail::WriterCalls();
    while (!bytes.empty()) {
        const long n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return ENOSPC; // a regular file that takes nothing more is full
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// What the path names once a link at its end is followed; the real file to replace.
struct TargetInfo {
    bool exists = false;
    fs::path file;   // the path to rename over (the link's target for a link)
    mode_t mode = 0; // permission bits of the existing file
};

Result<TargetInfo> LookAtTarget(const fs::path& path) {
    TargetInfo info;
    info.file = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno == ENOENT) {
            return info;
        }
        return Error{"Cannot write " + path.string() + ": " + Reason(errno)};
    }
    struct stat st = link;
    if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &st) != 0) {
        return Error{"Cannot write " + path.string() + ": not a regular file"};
    }
    if (!S_ISREG(st.st_mode)) {
        return Error{"Cannot write " + path.string() + ": not a regular file"};
    }
    if (S_ISLNK(link.st_mode)) {
        std::error_code ec;
        info.file = fs::canonical(path, ec);
        if (ec) {
            return Error{"Cannot write " + path.string() + ": " + ec.message()};
        }
    }
    info.exists = true;
    info.mode = st.st_mode & 07777;
    return info;
}

// Syncs the folder so the rename itself survives a power cut; a folder that cannot be synced
// (some file systems refuse) does not make the save fail.
void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Result<Bytes> ReadWholeFile(const fs::path& path, std::size_t maxBytes, ReadStep* failedStep) {
    const ReadFailureReport fail(path, failedStep);
    // O_NONBLOCK: opening a FIFO without a writer or a line device must not wait.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        return fail(ReadStep::Open, Reason(errno));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return fail(ReadStep::Open, Reason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(ReadStep::NotRegular, "not a regular file");
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        return fail(ReadStep::TooLarge, "the file (" + std::to_string(st.st_size) + " bytes) is " +
                                            LargerThan(maxBytes));
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail(ReadStep::Read, Reason(errno));
    }
    Bytes data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail(ReadStep::Read, Reason(errno));
        }
        if (n == 0) {
            break;
        }
        // The file may have grown since fstat: the limit holds for what is read.
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            return fail(ReadStep::TooLarge, "the file is " + LargerThan(maxBytes));
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

Status CheckWritableTarget(const fs::path& path) {
    Result<TargetInfo> target = LookAtTarget(path);
    if (!target) {
        return target.error();
    }
    return Ok{};
}

std::optional<WriteFailure> ReplaceFileContents(const fs::path& path, std::string_view bytes) {
    Result<TargetInfo> target = LookAtTarget(path);
    if (!target) {
        return WriteFailure{WriteStep::CheckTarget, target.error().message};
    }
    const detail::FileWriterCalls& calls = detail::WriterCalls();
    const fs::path& file = target->file;

    // A fresh name each try: O_EXCL never opens what is already there, link or file.
    constexpr int kTries = 100;
    fs::path temp;
    int raw = -1;
    for (int attempt = 0; attempt < kTries && raw < 0; ++attempt) {
        temp = TemporaryPath(file, calls.temporaryName());
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST) {
            return CannotWrite(WriteStep::CreateTemporary, path, Reason(errno));
        }
    }
    if (raw < 0) {
        return CannotWrite(WriteStep::CreateTemporary, path, Reason(EEXIST));
    }

    FileDescriptor fd(raw);
    const auto fail = [&](int error) {
        if (fd.get() >= 0) {
            calls.close(fd.release());
        }
        ::unlink(temp.c_str());
        return CannotWrite(WriteStep::WriteData, path, Reason(error));
    };
    if (target->exists && ::fchmod(fd.get(), target->mode) != 0) {
        return fail(errno);
    }
    if (const int error = WriteAll(fd.get(), bytes)) {
        return fail(error);
    }
    if (calls.fsync(fd.get()) != 0) {
        return fail(errno);
    }
    // A close that fails (a network file system reporting a lost write) is a failed save.
    if (calls.close(fd.release()) != 0) {
        return fail(errno);
    }
    if (calls.rename(temp.c_str(), file.c_str()) != 0) {
        return fail(errno);
    }
    SyncFolder(file.parent_path());
    return std::nullopt;
}

AppendFile::~AppendFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

namespace {

// The last byte of a regular file of `size` bytes; 0 when it cannot be read.
char LastByte(const fs::path& path, off_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return 0;
    }
    char last = 0;
    if (::pread(fd, &last, 1, size - 1) != 1) {
        last = 0;
    }
    ::close(fd);
    return last;
}

} // namespace

Status AppendFile::open(const fs::path& path) {
    m_path = path;
    // Without O_NONBLOCK a FIFO with no reader would hold the program here.
    const int fd = ::open(
        path.c_str(),
        O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) {
        return Error{"Cannot write " + path.string() + ": " +
                     (errno == ELOOP ? std::string("not a regular file") : Reason(errno))};
    }
    FileDescriptor owned(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return Error{"Cannot write " + path.string() + ": " + Reason(errno)};
    }
    if (!S_ISREG(st.st_mode)) {
        return Error{"Cannot write " + path.string() + ": not a regular file"};
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Error{"Cannot write " + path.string() + ": " + Reason(errno)};
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = owned.release();
    // A line an earlier run left unfinished is ended first, so every line after it is whole.
    if (st.st_size > 0 && LastByte(path, st.st_size) != '\n') {
        return append("\n");
    }
    return Ok{};
}

Status AppendFile::append(std::string_view bytes) {
    if (m_fd < 0) {
        return Error{"Cannot write " + m_path.string() + ": the file is not open"};
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Error{"Cannot write " + m_path.string() + ": " +
                         Reason(n == 0 ? ENOSPC : errno)};
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return Ok{};
}

namespace detail {

FileWriterCalls DefaultWriterCalls() {
    return FileWriterCalls{
        [](int fd, const void* data, std::size_t size) -> long {
            return static_cast<long>(::write(fd, data, size));
        },
        [](int fd) { return ::fsync(fd); },
        [](int fd) { return ::close(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); },
        RandomName,
    };
}

} // namespace detail

#endif

namespace detail {

FileWriterCalls& WriterCalls() {
    static FileWriterCalls calls = DefaultWriterCalls();
    return calls;
}

} // namespace detail

Status WriteFileReplacing(const fs::path& path, std::string_view bytes) {
    if (std::optional<WriteFailure> failure = ReplaceFileContents(path, bytes)) {
        return Error{std::move(failure->message)};
    }
    return Ok{};
}

} // namespace lumivo

#include "core/document.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivo {

namespace {

DocumentRead Failed(DocumentFailure failure, std::string message) {
    DocumentRead read;
    read.failure = failure;
    read.message = std::move(message);
    return read;
}

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

DocumentRead ReadMessageDocument(const std::filesystem::path& path, RtfColour plainColour,
                                 bool plainBold, std::size_t maxBytes) {
    const std::string name = path.string();
    // O_NONBLOCK: opening a FIFO without a writer, or a serial device, returns at once instead
    // of waiting; the type check below then refuses it before anything is read.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return Failed(DocumentFailure::CannotOpen,
                      "Cannot open " + name + ": " + std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return Failed(DocumentFailure::CannotOpen,
                      "Cannot open " + name + ": " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return Failed(DocumentFailure::CannotOpen,
                      "Cannot open " + name + ": it is not a regular file");
    }
    const std::string limit = "is larger than " + std::to_string(maxBytes) + " bytes";
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return Failed(DocumentFailure::CannotLoad, "Cannot read " + name + ": the file (" +
                                                       std::to_string(info.st_size) + " bytes) " +
                                                       limit);
    }

    // Read to the end rather than trusting the size: the file may change while it is read.
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failed(DocumentFailure::CannotLoad,
                          "Cannot read " + name + ": " + std::strerror(errno));
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) {
            // It grew while it was read.
            return Failed(DocumentFailure::CannotLoad,
                          "Cannot read " + name + ": the file " + limit);
        }
    }

    DocumentRead read;
    if (LooksLikeRtf(bytes)) {
        Result<RtfDocument> rtf = ReadRtf(bytes);
        if (rtf.ok()) {
            read.document = std::move(rtf).value();
            return read;
        }
    }
    read.document = RtfDocument::FromText(bytes, plainColour, plainBold);
    return read;
}

} // namespace lumivo

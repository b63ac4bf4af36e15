#pragma once

// A file system of a few kilobytes (tmpfs) mounted on a fresh folder, so a test can fill a disk
// and watch a save meet "No space left on device" for real. Mounting needs root; without it
// mounted() is false and the test skips.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

#include <fcntl.h>

namespace lumivo::test {

class SmallFileSystem {
public:
    explicit SmallFileSystem(const char* size = "64k") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumivo-small-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_path = pattern;
        const std::string options = std::string("size=") + size;
        m_mounted = ::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted) {
            ::umount2(m_path.c_str(), MNT_DETACH);
        }
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::filesystem::path& path() const { return m_path; }

    // Writes a filler file until not one more byte fits.
    void fill() const {
        const std::string filler = (m_path / "filler").string();
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) {
            return;
        }
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, "f", 1) > 0) {
        }
        ::close(fd);
    }

private:
    std::filesystem::path m_path;
    bool m_mounted = false;
};

} // namespace lumivo::test

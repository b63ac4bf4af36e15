#include "link/device_access.h"

#include "core/bytes.h"
#include "core/file_io.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumivo::link {

#ifndef _WIN32
namespace {

bool UserIsInGroup(gid_t group) {
    if (getegid() == group) {
        return true;
    }
    // The groups of the user's account: a group added since the login is in the account, not
    // yet in this process.
    const char* user = getlogin();
    if (user == nullptr) {
        return false;
    }
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(user, getegid(), groups.data(), &count) < 0) {
        return false;
    }
    groups.resize(static_cast<std::size_t>(count));
    for (const gid_t g : groups) {
        if (g == group) {
            return true;
        }
    }
    return false;
}

} // namespace
#endif

DeviceAccess ExamineDevice(const std::string& path) {
    DeviceAccess access;
#ifndef _WIN32
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) {
        access.state = errno == ENOENT || errno == ENOTDIR ? DeviceAccess::State::Missing
                                                           : DeviceAccess::State::Unknown;
        return access;
    }
    if (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        access.state = DeviceAccess::State::NoPermission;
        const struct group* owner = ::getgrgid(device.st_gid);
        access.group = owner != nullptr ? owner->gr_name : std::to_string(device.st_gid);
        access.inGroup = UserIsInGroup(device.st_gid);
        return access;
    }
    access.state = DeviceAccess::State::Present;
#else
    (void)path;
#endif
    return access;
}

std::vector<std::string> ProgramsHolding(const std::string& path) {
    std::vector<std::string> holders;
#ifdef __linux__
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path wanted = fs::canonical(path, error);
    if (error) {
        return holders;
    }
    struct stat target {};
    if (::stat(wanted.c_str(), &target) != 0) {
        return holders;
    }
    const std::string self = std::to_string(::getpid());
    for (const fs::directory_entry& process : fs::directory_iterator("/proc", error)) {
        const std::string pid = process.path().filename().string();
        if (ParseDecimal(pid) <= 0 || pid == self) {
            continue;
        }
        std::error_code fdError;
        for (const fs::directory_entry& fd :
             fs::directory_iterator(process.path() / "fd", fdError)) {
            struct stat opened {};
            // stat follows the descriptor's link to the file it has open, without opening it.
            if (::stat(fd.path().c_str(), &opened) != 0 || opened.st_rdev != target.st_rdev ||
                opened.st_ino != target.st_ino || opened.st_dev != target.st_dev) {
                continue;
            }
            const Result<Bytes> comm = ReadWholeFile(process.path() / "comm", 256);
            std::string name = comm ? *comm : std::string("a program");
            if (!name.empty() && name.back() == '\n') {
                name.pop_back();
            }
            holders.push_back(PrintableText(name) + ", process " + pid);
            break;
        }
    }
#else
    (void)path;
#endif
    return holders;
}

} // namespace lumivo::link

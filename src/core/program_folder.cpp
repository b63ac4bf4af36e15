#include "core/program_folder.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lumivo {

namespace fs = std::filesystem;

fs::path ExecutableFolder() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0) {
        return fs::path(std::wstring(buffer, n)).parent_path();
    }
#else
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return exe.parent_path();
    }
#endif
    return fs::current_path();
}

fs::path ProgramFolder() {
    if (const char* home = std::getenv("LUMIVO_HOME"); home != nullptr && *home != '\0') {
        return fs::path(home);
    }
    return ExecutableFolder();
}

} // namespace lumivo

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumivo {

namespace {

bool IsWritableFolder(const fs::path& folder) {
#ifdef _WIN32
    std::error_code ec;
    return fs::is_directory(folder, ec);
#else
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

fs::path PerUserFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return fs::path(data) / "lumivo";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".local" / "share" / "lumivo";
    }
    return fs::temp_directory_path() / "lumivo";
}

} // namespace

fs::path WritableProgramFolder() {
    const fs::path folder = ProgramFolder();
    if (IsWritableFolder(folder)) {
        return folder;
    }
    const fs::path user = PerUserFolder();
    std::error_code ec;
    fs::create_directories(user, ec);
    return user;
}

fs::path SettingsFilePath() {
    return WritableProgramFolder() / "lumivo.INI";
}

} // namespace lumivo

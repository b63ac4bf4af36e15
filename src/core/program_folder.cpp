#include "core/program_folder.h"

#include "core/graphic.h"

#include <cstdlib>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

// The shared data folder relative to the folder of the programs; the build sets it from its
// installation directories.
#ifndef LUMIVO_SHARED_DATA_FROM_BIN
#define LUMIVO_SHARED_DATA_FROM_BIN "../share/lumivo"
#endif

namespace lumivo {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsWritableFolder(const fs::path& folder) {
#ifdef _WIN32
    std::error_code ec;
    return fs::is_directory(folder, ec);
#else
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

fs::path PerUserFolder(const FolderInputs& inputs) {
    if (!inputs.xdgDataHome.empty() && inputs.xdgDataHome.front() == '/') {
        return fs::path(inputs.xdgDataHome) / "lumivo";
    }
    if (!inputs.home.empty()) {
        return fs::path(inputs.home) / ".local" / "share" / "lumivo";
    }
    return fs::temp_directory_path() / "lumivo";
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// Copies the regular files of `from` into a new folder `to`: into a staging folder beside `to`
// first, renamed to `to` only when every copy succeeded, so a failed copy leaves no half folder
// that would never be completed. Returns whether `to` exists afterwards.
bool CopyFolderWhole(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    std::random_device random;
    const fs::path staging =
        to.parent_path() / (to.filename().string() + ".new-" + std::to_string(random()));
    if (!fs::create_directory(staging, ec)) {
        return false;
    }
    bool copied = true;
    for (fs::directory_iterator it(from, ec), end; copied && !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            copied = fs::copy_file(it->path(), staging / it->path().filename(), ec);
        }
    }
    if (copied && !ec) {
        // Fails when another process seeded the same folder meanwhile: then its copy stands.
        fs::rename(staging, to, ec);
        if (!ec) {
            return true;
        }
    }
    fs::remove_all(staging, ec);
    return IsFolder(to);
}

} // namespace

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

fs::path SharedDataFolderOf(const fs::path& executableFolder) {
    return (executableFolder / LUMIVO_SHARED_DATA_FROM_BIN).lexically_normal();
}

FolderInputs CurrentFolderInputs() {
    return {ExecutableFolder(), Environment("LUMIVO_HOME"), Environment("XDG_DATA_HOME"),
            Environment("HOME")};
}

ProgramFolders ResolveProgramFolders(const FolderInputs& inputs) {
    if (inputs.lumivoHome.empty()) {
        const fs::path shared = SharedDataFolderOf(inputs.executableFolder);
        if (IsFolder(shared)) {
            return {shared, PerUserFolder(inputs), true};
        }
    }
    const fs::path program =
        inputs.lumivoHome.empty() ? inputs.executableFolder : fs::path(inputs.lumivoHome);
    return {program, IsWritableFolder(program) ? program : PerUserFolder(inputs), false};
}

fs::path ReadOnlyDataFile(const ProgramFolders& folders, std::string_view name) {
    const fs::path own = folders.writable / name;
    if (folders.writable != folders.readOnly && IsFile(own)) {
        return own;
    }
    return folders.readOnly / name;
}

fs::path GraphicsFolder(const ProgramFolders& folders) {
    const fs::path folder = folders.writable / kGraphicFolderName;
    std::error_code ec;
    if (fs::exists(folder, ec) || folders.writable == folders.readOnly) {
        return folder;
    }
    const fs::path shipped = folders.readOnly / kGraphicFolderName;
    if (IsFolder(shipped)) {
        CopyFolderWhole(shipped, folder);
    }
    return folder;
}

ProgramFolders CurrentProgramFolders() {
    return ResolveProgramFolders(CurrentFolderInputs());
}

fs::path ReadOnlyDataFile(std::string_view name) {
    return ReadOnlyDataFile(CurrentProgramFolders(), name);
}

fs::path GraphicsFolder() {
    return GraphicsFolder(CurrentProgramFolders());
}

fs::path WritableProgramFolder() {
    const fs::path folder = CurrentProgramFolders().writable;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

fs::path SettingsFilePath() {
    return WritableProgramFolder() / "lumivo.INI";
}

} // namespace lumivo

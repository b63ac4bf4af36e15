#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumivo {

// The folder of the running executable itself.
std::filesystem::path ExecutableFolder();

// Where an installed copy keeps the files it ships, for a program in `executableFolder`: the
// data folder of the same installation prefix (/usr/bin -> /usr/share/lumivo). Worked out at run
// time, so a copy moved to another prefix still finds its files.
std::filesystem::path SharedDataFolderOf(const std::filesystem::path& executableFolder);

// What decides where the program's files are. Passed in whole, so that the rules can be tried on
// any folder tree.
struct FolderInputs {
    std::filesystem::path executableFolder;
    std::string lumivoHome;  // LUMIVO_HOME; empty when unset
    std::string xdgDataHome; // XDG_DATA_HOME; used only when it is an absolute path
    std::string home;        // HOME
};

// The inputs of the running program: its executable's folder and its environment.
FolderInputs CurrentFolderInputs();

// Where the program's files are: settings "lumivo.INI", the folder "Graphdata", the European
// character pictures and "Manual.txt".
//
// A portable copy (a build folder, an unpacked archive, or the folder LUMIVO_HOME names) keeps
// them all in its program folder: the executable's folder, or LUMIVO_HOME. When that folder
// cannot be written, what the program writes goes to the per-user folder instead.
//
// An installed copy (no LUMIVO_HOME, and a shared data folder beside the executable's folder, see
// SharedDataFolderOf) reads the files it ships (the manual, the factory character picture, the
// sample graphics) from the shared data folder and writes everything (settings, Graphdata, the
// character picture) to the per-user folder ($XDG_DATA_HOME/lumivo, or ~/.local/share/lumivo).
struct ProgramFolders {
    std::filesystem::path readOnly; // the files the program ships
    std::filesystem::path writable; // the files the program writes
    bool installed = false;
};

// Resolves the folders for `inputs`. Looks at the folder tree but creates nothing.
ProgramFolders ResolveProgramFolders(const FolderInputs& inputs);

// A file the program reads but normally does not write ("Manual.txt", the European character
// pictures): the writable folder's copy when there is one, else the shipped one.
std::filesystem::path ReadOnlyDataFile(const ProgramFolders& folders, std::string_view name);

// The one "Graphdata" folder the editor and the command line both use: the writable folder's.
// When it does not exist yet and the read-only folder ships one (an installed copy's sample
// graphics), it is first created as a copy of the shipped one; the copy appears whole or not at
// all. A folder the user has, even an empty one, is never touched.
std::filesystem::path GraphicsFolder(const ProgramFolders& folders);

// The same three for the running program.
ProgramFolders CurrentProgramFolders();
std::filesystem::path ReadOnlyDataFile(std::string_view name);
std::filesystem::path GraphicsFolder();

// The folder where the program writes its files, created on demand.
std::filesystem::path WritableProgramFolder();

// The settings file: "lumivo.INI" in the writable program folder. The editor, the command line
// and the virtual sign launcher share it.
std::filesystem::path SettingsFilePath();

} // namespace lumivo

#pragma once

#include <filesystem>

namespace lumivo {

// The program folder: where the settings file, "Graphdata", the European character pictures and
// "Manual.txt" live. It is the folder of the running executable, unless the environment
// variable LUMIVO_HOME names another folder (tests, portable installs).
std::filesystem::path ProgramFolder();

// The folder of the running executable itself.
std::filesystem::path ExecutableFolder();

} // namespace lumivo

namespace lumivo {

// The folder where the program writes its files (settings, graphics, character pictures): the
// program folder when it is writable, otherwise a per-user folder ($XDG_DATA_HOME/lumivo, or
// ~/.local/share/lumivo), created on demand.
std::filesystem::path WritableProgramFolder();

// The settings file: "lumivo.INI" in the writable program folder. The editor, the command line
// and the virtual sign launcher share it.
std::filesystem::path SettingsFilePath();

} // namespace lumivo

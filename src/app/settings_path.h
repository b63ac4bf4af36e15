#pragma once

#include "core/program_folder.h"
#include "core/settings_file.h"
#include "link/path_text.h"

#include <QString>

namespace lumivo::ui {

using link::FileSystemPath;
using link::PathText;

// The editor's settings file (SettingsFilePath()) as text.
inline QString DefaultSettingsPath() {
    return PathText(SettingsFilePath());
}

} // namespace lumivo::ui

#pragma once

#include "core/program_folder.h"
#include "core/settings_file.h"

#include <QFile>
#include <QString>

#include <filesystem>

namespace lumivo::ui {

// A path as Qt's file classes and the user see it, and back.
inline QString PathText(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

inline std::filesystem::path FileSystemPath(const QString& text) {
#ifdef Q_OS_WIN
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

// The editor's settings file (SettingsFilePath()) as text.
inline QString DefaultSettingsPath() {
    return PathText(SettingsFilePath());
}

} // namespace lumivo::ui

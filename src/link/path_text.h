#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace lumivo::link {

// A path as Qt's file classes and the user see it, and back: the one conversion between the core's
// paths and Qt's file names.
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

} // namespace lumivo::link

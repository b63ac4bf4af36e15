#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumivo::ui {

// A file system path as text for the user and for Qt's file classes.
QString PathText(const std::filesystem::path& path);

// The editor's settings file (SettingsFilePath()) as text.
QString DefaultSettingsPath();

// An initialisation file read and written one key at a time, the way the platform's profile
// functions do it: every call opens the file afresh, nothing is cached, and a write changes only
// the line of its key, so sections and keys of other programs survive byte for byte.
//
// Section and key names compare without regard to case; the first section and the first key of a
// name win. Lines starting with ";" are comments. Keys before any section belong to none.
class SettingsFile {
public:
    explicit SettingsFile(QString path);

    const QString& path() const { return m_path; }

    // The whole number stored under section/key; `fallback` when the file, the section or the key
    // is missing, or the value is not a whole number.
    int readInt(std::string_view section, std::string_view key, int fallback) const;

    // Stores the number; false when the file cannot be written (it is then unchanged). A missing
    // file is created.
    bool writeInt(std::string_view section, std::string_view key, int value) const;

private:
    QString m_path;
};

// The text operations behind SettingsFile, on the bytes of a whole file.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);
// A whole decimal number, with an optional sign; nothing else (no blanks inside, no trailing
// letters, nothing out of the range of int).
std::optional<int> ParseIniInt(std::string_view value);

} // namespace lumivo::ui

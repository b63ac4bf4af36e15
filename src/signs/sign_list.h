#pragma once

#include "core/result.h"
#include "core/settings_file.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace lumivo::signs {

// One sign of the site: what the user calls it, where it is reached and how it is built. Kept in
// the settings file beside the program, one section per sign:
//
//   [Sign Front window]
//   Port=COM1            ; COM1..COM8, a device path, or tcp://host:port
//   ID=01                ; 01..FF
//   Colours=3            ; 1 or 3
//   Width=80             ; columns, for the preview
//   Groups=store 12, entrances
//
// Keys the program does not know are kept when it writes the section back.
struct Sign {
    QString name;
    QString port;
    std::string id = "01"; // two upper-case hexadecimal digits
    int colours = 3;
    int columns = 80;
    QStringList groups;

    bool inGroup(const QString& group) const; // without regard to case
    bool operator==(const Sign&) const = default;
};

// A problem found while reading the list: the sign (its section's name) and the key it is in,
// and what is wrong. `text()` is the line shown to the user:
// "Sign \"Back door\", key ID: \"1G\" is not a sign ID (01..FF)".
struct SignListProblem {
    QString sign;
    QString key; // empty when the whole section is meant (a duplicate name)
    QString message;

    QString text() const;
};

struct SignList {
    std::vector<Sign> signs; // in the order of the file
    std::vector<SignListProblem> problems;

    const Sign* find(const QString& name) const; // without regard to case
    QStringList groups() const;                  // every group once, in order of first use
};

// The section name of a sign ("Sign Front window").
std::string SignSection(const QString& name);

// Reads every sign section. A sign with a problem in a key it cannot do without (port, ID) is
// left out and named; a later sign of a name already read, or on the line and ID of one already
// read, is left out and named; the other signs still load. Unknown keys are ignored.
SignList ReadSignList(const SettingsFile& file);

// Checks one sign as the editor and the command line add it: its first problem, or nothing.
std::optional<SignListProblem> CheckSign(const Sign& sign);

// Writes the sign's section (adding it, or changing the keys of the one of its name); the other
// sections, comments and unknown keys stay as they are. On failure the file is unchanged.
Status WriteSign(const SettingsFile& file, const Sign& sign);

// Removes the sign's section; nothing else of the file changes.
Status RemoveSign(const SettingsFile& file, const QString& name);

// What "COM1".."COM8", a device path or "tcp://host:port" opens, as one text for each line:
// two signs with the same key share one wire. COM ports are resolved through the COM port
// mapping of the settings file.
QString LineKey(const Sign& sign, const QString& settingsFile);

// Signs chosen by names and groups ("Front window", "store 12"), each sign once, in list order.
// A word that is neither a sign's name nor a group is returned in `unknown`.
struct Selection {
    std::vector<Sign> signs;
    QStringList unknown;
};
Selection SelectSigns(const SignList& list, const QStringList& namesAndGroups);

} // namespace lumivo::signs

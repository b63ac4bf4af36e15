#include "signs/sign_list.h"

#include "link/port_names.h"
#include "link/tcp_port.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <set>

namespace lumivo::signs {

namespace {

constexpr char kSectionPrefix[] = "Sign ";
constexpr int kDefaultColours = 3;
constexpr int kDefaultColumns = 80;
constexpr int kMinColumns = 16;
constexpr int kMaxColumns = 512;

const QString kPortKey = QStringLiteral("Port");
const QString kIdKey = QStringLiteral("ID");
const QString kColoursKey = QStringLiteral("Colours");
const QString kWidthKey = QStringLiteral("Width");
const QString kGroupsKey = QStringLiteral("Groups");

bool SameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasControl(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

// The sign's name of a section name "Sign NAME" (the prefix without regard to case), or nothing.
std::optional<QString> NameOfSection(const std::string& section) {
    const QString text = QString::fromStdString(section);
    const QString prefix = QString::fromLatin1(kSectionPrefix);
    if (!text.startsWith(prefix, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const QString name = text.mid(prefix.size()).trimmed();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name;
}

// "COM1".."COM8" as its number, or 0.
int ComPortNumber(const QString& port) {
    for (int n = 1; n <= link::kComPortCount; ++n) {
        if (SameText(port, link::ComPortName(n))) {
            return n;
        }
    }
    return 0;
}

bool IsPort(const QString& port) {
    if (port.isEmpty() || HasControl(port)) {
        return false;
    }
    if (ComPortNumber(port) != 0) {
        return true;
    }
    if (port.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
        QString host;
        quint16 number = 0;
        return link::TcpPort::parseTarget(port, host, number) && number >= 1;
    }
    return QDir::isAbsolutePath(port);
}

// Two upper-case hexadecimal digits 01..FF, or nothing.
std::optional<std::string> ParseId(const QString& text) {
    if (text.size() != 2) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 16);
    if (!ok || value < 1 || value > 255 || !text[0].isLetterOrNumber() ||
        !text[1].isLetterOrNumber()) {
        return std::nullopt;
    }
    return text.toUpper().toStdString();
}

QStringList ParseGroups(const QString& text) {
    QStringList groups;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        const QString group = piece.trimmed();
        const bool known = std::any_of(groups.begin(), groups.end(),
                                       [&](const QString& g) { return SameText(g, group); });
        if (!group.isEmpty() && !known) {
            groups << group;
        }
    }
    return groups;
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

SignListProblem Problem(const QString& sign, const QString& key, QString message) {
    return SignListProblem{sign, key, std::move(message)};
}

QString PortMessage(const QString& port) {
    if (port.isEmpty()) {
        return QStringLiteral("no port is given (COM1..COM8, a device path or tcp://host:port)");
    }
    return Quoted(port) +
           QStringLiteral(" is not a port (COM1..COM8, a device path or tcp://host:port)");
}

QString IdMessage(const QString& id) {
    if (id.isEmpty()) {
        return QStringLiteral("no sign ID (01..FF) is given");
    }
    return Quoted(id) + QStringLiteral(" is not a sign ID (01..FF)");
}

// The first problem of a name: one that cannot stand in a section header or be told apart.
std::optional<QString> NameMessage(const QString& name) {
    if (name.trimmed().isEmpty()) {
        return QStringLiteral("a sign needs a name");
    }
    if (name != name.trimmed() || HasControl(name) || name.contains(QLatin1Char('[')) ||
        name.contains(QLatin1Char(']'))) {
        return Quoted(name) +
               QStringLiteral(" is not a sign name (no blanks around it, no brackets)");
    }
    return std::nullopt;
}

std::optional<QString> ReadKey(const SettingsFile& file, const std::string& section,
                               const QString& key) {
    const std::optional<std::string> value = file.readString(section, key.toStdString());
    if (!value) {
        return std::nullopt;
    }
    return QString::fromStdString(*value);
}

// The sign of one section, or the problem that leaves it out; problems with a fallback are
// added to `problems` and the fallback is used.
std::optional<Sign> ReadSign(const SettingsFile& file, const std::string& section,
                             const QString& name, std::vector<SignListProblem>& problems) {
    Sign sign;
    sign.name = name;
    sign.port = ReadKey(file, section, kPortKey).value_or(QString());
    if (ComPortNumber(sign.port) != 0) {
        sign.port = sign.port.toUpper();
    }
    if (!IsPort(sign.port)) {
        problems.push_back(Problem(name, kPortKey, PortMessage(sign.port)));
        return std::nullopt;
    }
    const QString idText = ReadKey(file, section, kIdKey).value_or(QString());
    const std::optional<std::string> id = ParseId(idText);
    if (!id) {
        problems.push_back(Problem(name, kIdKey, IdMessage(idText)));
        return std::nullopt;
    }
    sign.id = *id;
    if (const std::optional<QString> colours = ReadKey(file, section, kColoursKey)) {
        const std::optional<int> value = ParseIniInt(colours->toStdString());
        if (value == 1 || value == 3) {
            sign.colours = *value;
        } else {
            problems.push_back(
                Problem(name, kColoursKey,
                        Quoted(*colours) + QStringLiteral(" is not a colour mode (1 or 3); %1 "
                                                          "is used")
                                               .arg(kDefaultColours)));
        }
    }
    if (const std::optional<QString> width = ReadKey(file, section, kWidthKey)) {
        const std::optional<int> value = ParseIniInt(width->toStdString());
        if (value && *value >= kMinColumns && *value <= kMaxColumns) {
            sign.columns = *value;
        } else {
            problems.push_back(Problem(name, kWidthKey,
                                       Quoted(*width) + QStringLiteral(" is not a width in columns "
                                                                       "(%1..%2); %3 is used")
                                                            .arg(kMinColumns)
                                                            .arg(kMaxColumns)
                                                            .arg(kDefaultColumns)));
        }
    }
    sign.groups = ParseGroups(ReadKey(file, section, kGroupsKey).value_or(QString()));
    return sign;
}

// A target as one text for each wire: device paths resolved through links, network hosts in
// lower case.
QString NormalTarget(const QString& target) {
    if (target.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
        QString host;
        quint16 number = 0;
        if (link::TcpPort::parseTarget(target, host, number)) {
            return QStringLiteral("tcp://%1:%2").arg(host.toLower()).arg(number);
        }
        return target.toLower();
    }
    const QString canonical = QFileInfo(target).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(target) : canonical;
}

} // namespace

bool Sign::inGroup(const QString& group) const {
    return std::any_of(groups.begin(), groups.end(),
                       [&](const QString& g) { return SameText(g, group.trimmed()); });
}

QString SignListProblem::text() const {
    if (key.isEmpty()) {
        return QStringLiteral("Sign %1: %2").arg(Quoted(sign), message);
    }
    return QStringLiteral("Sign %1, key %2: %3").arg(Quoted(sign), key, message);
}

const Sign* SignList::find(const QString& name) const {
    const auto it = std::find_if(signs.begin(), signs.end(),
                                 [&](const Sign& s) { return SameText(s.name, name.trimmed()); });
    return it == signs.end() ? nullptr : &*it;
}

QStringList SignList::groups() const {
    QStringList all;
    for (const Sign& sign : signs) {
        for (const QString& group : sign.groups) {
            const bool known = std::any_of(all.begin(), all.end(),
                                           [&](const QString& g) { return SameText(g, group); });
            if (!known) {
                all << group;
            }
        }
    }
    return all;
}

std::string SignSection(const QString& name) {
    return kSectionPrefix + name.toStdString();
}

SignList ReadSignList(const SettingsFile& file) {
    SignList list;
    const QString settingsFile = QString::fromStdString(file.path().string());
    std::map<QString, QString> idsOnLines; // "line\nID" to the sign that has it
    for (const std::string& section : file.sectionNames()) {
        const std::optional<QString> name = NameOfSection(section);
        if (!name) {
            continue;
        }
        if (list.find(*name) != nullptr) {
            list.problems.push_back(
                Problem(*name, QString(),
                        QStringLiteral("a sign of this name is already listed; this one is "
                                       "left out")));
            continue;
        }
        std::optional<Sign> sign = ReadSign(file, section, *name, list.problems);
        if (!sign) {
            continue;
        }
        const QString lineAndId =
            LineKey(*sign, settingsFile) + QLatin1Char('\n') + QString::fromStdString(sign->id);
        if (const auto taken = idsOnLines.find(lineAndId); taken != idsOnLines.end()) {
            list.problems.push_back(Problem(
                *name, kIdKey,
                QStringLiteral("%1 is already the ID of sign %2 on the same line; this sign is "
                               "left out")
                    .arg(Quoted(QString::fromStdString(sign->id)), Quoted(taken->second))));
            continue;
        }
        idsOnLines.emplace(lineAndId, sign->name);
        list.signs.push_back(std::move(*sign));
    }
    return list;
}

std::optional<SignListProblem> CheckSign(const Sign& sign) {
    if (const std::optional<QString> message = NameMessage(sign.name)) {
        return Problem(sign.name, QString(), *message);
    }
    if (!IsPort(sign.port)) {
        return Problem(sign.name, kPortKey, PortMessage(sign.port));
    }
    if (!ParseId(QString::fromStdString(sign.id))) {
        return Problem(sign.name, kIdKey, IdMessage(QString::fromStdString(sign.id)));
    }
    if (sign.colours != 1 && sign.colours != 3) {
        return Problem(sign.name, kColoursKey,
                       Quoted(QString::number(sign.colours)) +
                           QStringLiteral(" is not a colour mode (1 or 3)"));
    }
    if (sign.columns < kMinColumns || sign.columns > kMaxColumns) {
        return Problem(sign.name, kWidthKey,
                       Quoted(QString::number(sign.columns)) +
                           QStringLiteral(" is not a width in columns (%1..%2)")
                               .arg(kMinColumns)
                               .arg(kMaxColumns));
    }
    for (const QString& group : sign.groups) {
        if (group.trimmed().isEmpty() || group.contains(QLatin1Char(',')) || HasControl(group)) {
            return Problem(sign.name, kGroupsKey,
                           Quoted(group) + QStringLiteral(" is not a group name (no commas)"));
        }
    }
    return std::nullopt;
}

Status WriteSign(const SettingsFile& file, const Sign& sign) {
    if (const std::optional<SignListProblem> problem = CheckSign(sign)) {
        return Error{problem->text().toStdString()};
    }
    QString port = sign.port;
    if (ComPortNumber(port) != 0) {
        port = port.toUpper();
    }
    const std::vector<std::pair<std::string, std::string>> values{
        {kPortKey.toStdString(), port.toStdString()},
        {kIdKey.toStdString(), QString::fromStdString(sign.id).toUpper().toStdString()},
        {kColoursKey.toStdString(), std::to_string(sign.colours)},
        {kWidthKey.toStdString(), std::to_string(sign.columns)},
        {kGroupsKey.toStdString(), sign.groups.join(QStringLiteral(", ")).toStdString()},
    };
    return file.writeStrings(SignSection(sign.name), values);
}

Status RemoveSign(const SettingsFile& file, const QString& name) {
    return file.removeSection(SignSection(name.trimmed()));
}

QString LineKey(const Sign& sign, const QString& settingsFile) {
    if (const int n = ComPortNumber(sign.port); n != 0) {
        return NormalTarget(link::ComPortTarget(n, settingsFile));
    }
    return NormalTarget(sign.port);
}

Selection SelectSigns(const SignList& list, const QStringList& namesAndGroups) {
    std::set<std::size_t> chosen;
    Selection selection;
    for (const QString& word : namesAndGroups) {
        bool matched = false;
        for (std::size_t i = 0; i < list.signs.size(); ++i) {
            if (SameText(list.signs[i].name, word.trimmed()) || list.signs[i].inGroup(word)) {
                chosen.insert(i);
                matched = true;
            }
        }
        if (!matched) {
            selection.unknown << word;
        }
    }
    for (const std::size_t i : chosen) {
        selection.signs.push_back(list.signs[i]);
    }
    return selection;
}

} // namespace lumivo::signs

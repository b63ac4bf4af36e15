#include "signs/line_fill.h"

#include <QByteArray>
#include <QJsonValue>
#include <QTimeZone>

#include <ctime>

namespace lumivo::signs {

namespace {

QString Quoted(const FieldRef& field) {
    QString text = QStringLiteral("{") + QString::fromStdString(field.name);
    if (!field.format.empty() || !field.zone.empty()) {
        text += QStringLiteral(":") + QString::fromLatin1(field.format);
    }
    if (!field.zone.empty()) {
        text += QStringLiteral("@") + QString::fromLatin1(field.zone);
    }
    return text + QStringLiteral("}");
}

std::optional<QTimeZone> ZoneOf(const FieldRef& field) {
    if (field.zone.empty()) {
        return QTimeZone::systemTimeZone();
    }
    const QTimeZone zone(QByteArray::fromStdString(field.zone));
    if (!zone.isValid()) {
        return std::nullopt;
    }
    return zone;
}

} // namespace

QString FieldProblem(const FieldRef& field, const IsSourceField& isSourceField) {
    if (IsClockField(field.name)) {
        const std::string problem = ClockFormatProblem(ClockFormatOf(field));
        if (!problem.empty()) {
            return QStringLiteral("%1: %2").arg(Quoted(field), QString::fromStdString(problem));
        }
        if (!ZoneOf(field)) {
            return QStringLiteral("%1: no time zone is called \"%2\"")
                .arg(Quoted(field), QString::fromLatin1(field.zone));
        }
        return {};
    }
    if (!isSourceField || !isSourceField(field.name)) {
        return QStringLiteral("%1: no field is called \"%2\"; the fields are time, date and those "
                              "declared")
            .arg(Quoted(field), QString::fromStdString(field.name));
    }
    if (!SourceFieldWidth(field.format)) {
        return QStringLiteral("%1: a field's format is the most characters it shows, 1 to 1000")
            .arg(Quoted(field));
    }
    return {};
}

QString TemplateProblem(const LineTemplate& line, const IsSourceField& isSourceField) {
    for (const LineTemplate::Piece& piece : line.pieces()) {
        if (piece.field) {
            const QString problem = FieldProblem(*piece.field, isSourceField);
            if (!problem.isEmpty()) {
                return problem;
            }
        }
    }
    return {};
}

std::optional<Bytes> ClockFieldValue(const FieldRef& field, const QDateTime& now) {
    const std::optional<QTimeZone> zone = ZoneOf(field);
    if (!zone) {
        return std::nullopt;
    }
    const QDateTime local = now.toTimeZone(*zone);
    const QDate date = local.date();
    const QTime time = local.time();
    std::tm parts{};
    parts.tm_year = date.year() - 1900;
    parts.tm_mon = date.month() - 1;
    parts.tm_mday = date.day();
    parts.tm_yday = date.dayOfYear() - 1;
    parts.tm_wday = date.dayOfWeek() % 7;
    parts.tm_hour = time.hour();
    parts.tm_min = time.minute();
    parts.tm_sec = time.second();
    const QString abbreviation = zone->abbreviation(local);
    return SafeFieldValue(FormatClock(ClockFormatOf(field), parts, local.offsetFromUtc(),
                                      abbreviation.toLatin1().toStdString()));
}

Bytes SourceFieldText(const FieldRef& field, const Bytes& value) {
    const std::size_t width = SourceFieldWidth(field.format).value_or(value.size());
    return value.size() > width ? value.substr(0, width) : value;
}

namespace {

// A field as it was typed, to show where it has no value.
Bytes TypedField(const FieldRef& field) {
    Bytes text = "{" + field.name;
    if (!field.format.empty() || !field.zone.empty()) {
        text += ":" + field.format;
        if (!field.zone.empty()) {
            text += "@" + field.zone;
        }
    }
    return text + "}";
}

} // namespace

Bytes LineAsServiceFills(const Bytes& typed, const std::map<std::string, Bytes>& values,
                         const QDateTime& now) {
    Result<LineTemplate> parsed = LineTemplate::Parse(typed);
    if (!parsed || !parsed->hasFields()) {
        return typed;
    }
    Bytes line;
    for (const LineTemplate::Piece& piece : parsed->pieces()) {
        if (!piece.field) {
            line += piece.text;
            continue;
        }
        std::optional<Bytes> text;
        if (IsClockField(piece.field->name)) {
            text = ClockFieldValue(*piece.field, now);
        } else if (const auto value = values.find(piece.field->name); value != values.end()) {
            text = SourceFieldText(*piece.field, SafeFieldValue(value->second));
        }
        line += text ? *text : TypedField(*piece.field);
    }
    return line;
}

std::map<std::string, Bytes> FieldValuesOfState(const QJsonObject& state) {
    std::map<std::string, Bytes> values;
    const QJsonObject fields = state.value(QStringLiteral("fields")).toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QJsonValue value = it.value().toObject().value(QStringLiteral("value"));
        if (value.isString()) {
            values.emplace(it.key().toStdString(), value.toString().toStdString());
        }
    }
    return values;
}

} // namespace lumivo::signs

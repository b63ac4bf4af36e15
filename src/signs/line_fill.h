#pragma once

#include "core/line_fields.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string_view>

namespace lumivo::signs {

// Filling a line's fields where Qt's time zones are at hand: the service and the command line.

// Whether a name is a field filled from a source (the service's settings, the command line's
// --fields file).
using IsSourceField = std::function<bool(std::string_view name)>;

// Why a field of a line cannot be filled (empty when it can): a name that is neither a clock
// field nor a source field, a clock format or time zone that cannot be used, a source field's
// width that is not a whole number.
QString FieldProblem(const FieldRef& field, const IsSourceField& isSourceField);

// The first problem of any field of the line, naming the field; empty when there is none.
QString TemplateProblem(const LineTemplate& line, const IsSourceField& isSourceField);

// The text of a time or date field at `now`, in the field's zone (the machine's own when none is
// given); nothing when the zone is unknown.
std::optional<Bytes> ClockFieldValue(const FieldRef& field, const QDateTime& now);

// A source field's value as the line shows it: cut to the field's width.
Bytes SourceFieldText(const FieldRef& field, const Bytes& value);

// The line as a running lumivod puts it on a sign, for a preview: its clock fields filled at
// `now`, each field of its settings filled from `values` (its name: the value as the service's
// state shows it, made safe again here) and a field without a value left as typed, braces and
// all. A line that cannot be read as fields is shown as typed.
Bytes LineAsServiceFills(const Bytes& typed, const std::map<std::string, Bytes>& values,
                         const QDateTime& now);

// The field values of a sign's state from lumivod ({"fields": {"temp": {"value": "21"}}}): each
// field with a value.
std::map<std::string, Bytes> FieldValuesOfState(const QJsonObject& state);

} // namespace lumivo::signs

#include "service/field_pages.h"

#include "signs/line_fill.h"

#include <QJsonArray>

#include <algorithm>

namespace lumivo::service {

KeptTemplate::KeptTemplate(LineTemplate line, const FieldBoard* board)
    : m_line(std::move(line)), m_board(board) {}

std::optional<Bytes> KeptTemplate::fill(const QDateTime& now) const {
    return m_line.fill([&](const FieldRef& field) -> std::optional<Bytes> {
        if (IsClockField(field.name)) {
            return signs::ClockFieldValue(field, now);
        }
        const FieldValue* value = m_board != nullptr ? m_board->value(field.name) : nullptr;
        if (value == nullptr || !value->value) {
            return std::nullopt;
        }
        return signs::SourceFieldText(field, *value->value);
    });
}

std::vector<std::string> KeptTemplate::sourceFields() const {
    std::vector<std::string> names = m_line.fieldNames();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return IsClockField(name); }),
                names.end());
    return names;
}

bool KeptTemplate::showsSeconds() const {
    return std::any_of(m_line.pieces().begin(), m_line.pieces().end(), [](const auto& piece) {
        return piece.field && IsClockField(piece.field->name) &&
               ClockFormatShowsSeconds(ClockFormatOf(*piece.field));
    });
}

bool KeptTemplate::usesClock() const {
    const std::vector<std::string> names = m_line.fieldNames();
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& name) { return IsClockField(name); });
}

FieldPages::FieldPages(const FieldBoard& board, FieldPageHooks hooks, int minIntervalMs)
    : m_board(board), m_hooks(std::move(hooks)), m_minIntervalMs(minIntervalMs) {}

void FieldPages::keep(const QString& sign, char letter, LineTemplate line) {
    m_templates.insert_or_assign(Key{sign, letter}, KeptTemplate(std::move(line), &m_board));
}

void FieldPages::forget(const QString& sign, char letter) {
    m_templates.erase(Key{sign, letter});
}

void FieldPages::forgetSignsBut(const std::function<bool(const QString& sign)>& kept) {
    std::erase_if(m_templates, [&](const auto& entry) { return !kept(entry.first.first); });
}

bool FieldPages::holds(const QString& sign, char letter) const {
    return m_templates.count(Key{sign, letter}) != 0;
}

std::optional<qint64> FieldPages::evaluate(const QDateTime& now) {
    std::optional<qint64> wake;
    const auto wakeIn = [&wake](qint64 ms) { wake = wake ? std::min(*wake, ms) : ms; };
    // Pages whose filled line differs from what their sign holds, per sign in letter order.
    std::map<QString, std::vector<std::pair<char, Bytes>>> changed;
    for (const auto& [key, kept] : m_templates) {
        if (kept.showsSeconds()) {
            wakeIn(1000 - now.time().msec());
        } else if (kept.usesClock()) {
            wakeIn(60000 - (now.time().second() * 1000 + now.time().msec()));
        }
        std::optional<Bytes> line = kept.fill(now);
        if (!line || line == m_hooks.lastSent(key.first, key.second)) {
            continue;
        }
        changed[key.first].emplace_back(key.second, std::move(*line));
    }
    for (auto& [sign, pages] : changed) {
        if (m_hooks.busy(sign)) {
            continue; // asked again when the transfer ends
        }
        if (const auto last = m_lastSend.find(sign); last != m_lastSend.end()) {
            const qint64 since = last->second.msecsTo(now);
            if (since >= 0 && since < m_minIntervalMs) {
                wakeIn(m_minIntervalMs - since);
                continue;
            }
        }
        // One page per interval: the first changed page after the one sent last, so two
        // changing pages of one sign take turns.
        const char after = m_nextLetter.count(sign) != 0 ? m_nextLetter[sign] : '@';
        auto chosen = std::find_if(pages.begin(), pages.end(),
                                   [after](const auto& page) { return page.first > after; });
        if (chosen == pages.end()) {
            chosen = pages.begin();
        }
        m_lastSend[sign] = now;
        m_nextLetter[sign] = chosen->first;
        if (pages.size() > 1) {
            wakeIn(m_minIntervalMs);
        }
        m_hooks.send(sign, chosen->first, std::move(chosen->second));
    }
    return wake;
}

QJsonObject FieldPages::fieldsJson(const QString& sign) const {
    QJsonObject fields;
    for (const auto& [key, kept] : m_templates) {
        if (key.first != sign) {
            continue;
        }
        for (const std::string& name : kept.sourceFields()) {
            const FieldValue* value = m_board.value(name);
            QJsonObject state{
                {QStringLiteral("value"), value != nullptr && value->value
                                              ? QJsonValue(QString::fromLatin1(*value->value))
                                              : QJsonValue(QJsonValue::Null)},
                {QStringLiteral("ok"), value != nullptr && value->ok},
                {QStringLiteral("error"), value == nullptr
                                              ? QStringLiteral("no such field in the settings")
                                          : value->ok              ? QString()
                                          : value->error.isEmpty() ? QStringLiteral("no value yet")
                                                                   : value->error},
                {QStringLiteral("updated"),
                 value != nullptr && value->updated.isValid()
                     ? QJsonValue(value->updated.toUTC().toString(Qt::ISODateWithMs))
                     : QJsonValue(QJsonValue::Null)}};
            fields.insert(QString::fromStdString(name), state);
        }
    }
    return fields;
}

QJsonObject FieldPages::templatesJson(const QString& sign, const QDateTime& now) const {
    QJsonObject pages;
    for (const auto& [key, kept] : m_templates) {
        if (key.first != sign) {
            continue;
        }
        const std::optional<Bytes> filled = kept.fill(now);
        pages.insert(
            QString(QLatin1Char(key.second)),
            QJsonObject{{QStringLiteral("template"), QString::fromLatin1(kept.line().source())},
                        {QStringLiteral("filled"), filled ? QJsonValue(QString::fromLatin1(*filled))
                                                          : QJsonValue(QJsonValue::Null)}});
    }
    return pages;
}

} // namespace lumivo::service

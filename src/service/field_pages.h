#pragma once

#include "core/line_fields.h"
#include "service/field_sources.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace lumivo::service {

// A line with fields that the service keeps for a sign and page and fills again whenever a
// field it uses changes. Anything that puts such a line on a sign (a posted page, a programme's
// entry) keeps one of these; `fill` is the one place a template becomes a line.
class KeptTemplate {
public:
    KeptTemplate(LineTemplate line, const FieldBoard* board);
    const LineTemplate& line() const { return m_line; }
    // The filled line at `now`, or nothing while a field it uses has never had a value.
    std::optional<Bytes> fill(const QDateTime& now) const;
    // The fields of the line filled from sources, whose state the sign shows.
    std::vector<std::string> sourceFields() const;
    // Whether the line's text can change within a minute (a clock field showing seconds).
    bool showsSeconds() const;
    bool usesClock() const;

private:
    LineTemplate m_line;
    const FieldBoard* m_board;
};

// What the send-on-change rule needs of the service.
struct FieldPageHooks {
    // Whether a transfer to the sign is running now.
    std::function<bool(const QString& sign)> busy;
    // The line the sign's page holds as last sent from here; nothing when none was.
    std::function<std::optional<Bytes>(const QString& sign, char letter)> lastSent;
    // Starts sending the line as that page of the sign.
    std::function<void(const QString& sign, char letter, Bytes line)> send;
};

// The kept templates of every sign and the rule that sends them: a template is filled whenever
// asked; its line goes out only when it differs from what the page was last sent, at most once
// per minimum interval per sign, and never while a transfer to the sign runs. A line that has to
// wait is filled again when it may go, so the newest text is the one sent.
class FieldPages {
public:
    FieldPages(const FieldBoard& board, FieldPageHooks hooks, int minIntervalMs);

    void setMinInterval(int ms) { m_minIntervalMs = ms; }
    void keep(const QString& sign, char letter, LineTemplate line);
    void forget(const QString& sign, char letter);
    void forgetSignsBut(const std::function<bool(const QString& sign)>& kept);
    bool holds(const QString& sign, char letter) const;

    // Sends what may go now; returns the milliseconds after which it should be asked again
    // (a clock field's next change, a sign's interval running out), or nothing when only a
    // field's change or a transfer's end can make a difference.
    std::optional<qint64> evaluate(const QDateTime& now);

    // The sign's "fields" state: each source field its templates use, and their pages.
    QJsonObject fieldsJson(const QString& sign) const;
    QJsonObject templatesJson(const QString& sign, const QDateTime& now) const;

private:
    using Key = std::pair<QString, char>;
    const FieldBoard& m_board;
    FieldPageHooks m_hooks;
    int m_minIntervalMs;
    std::map<Key, KeptTemplate> m_templates;
    std::map<QString, QDateTime> m_lastSend; // per sign: when this rule last sent to it
    std::map<QString, char> m_nextLetter;    // per sign: where the round of pages goes on
};

} // namespace lumivo::service

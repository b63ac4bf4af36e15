#include "service/field_service.h"

#include "signs/line_fill.h"

namespace lumivo::service {

FieldService::FieldService(FieldBoard::Now now, FieldPageHooks hooks, QObject* parent)
    : QObject(parent), m_now(now ? std::move(now) : [] { return QDateTime::currentDateTimeUtc(); }),
      m_board(m_now), m_pages(m_board, std::move(hooks), 10000) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FieldService::evaluate);
    connect(&m_board, &FieldBoard::changed, this, &FieldService::poke);
}

QStringList FieldService::reload(const QString& settingsFile) {
    FieldSettings settings = ReadFieldSettings(settingsFile);
    m_pages.setMinInterval(settings.minIntervalMs);
    m_board.setDefinitions(std::move(settings.fields));
    poke();
    return settings.problems;
}

std::optional<Refusal> FieldService::takePage(const QStringList& signs, char letter,
                                              const Bytes& line, bool& kept) {
    kept = false;
    Result<LineTemplate> parsed = LineTemplate::Parse(line);
    if (!parsed) {
        return Refusal{400, QStringLiteral("text"), QString::fromStdString(parsed.error().message)};
    }
    if (!parsed->hasFields()) {
        for (const QString& sign : signs) {
            m_pages.forget(sign, letter);
        }
        return std::nullopt;
    }
    const QString problem = signs::TemplateProblem(
        *parsed, [this](std::string_view name) { return m_board.has(std::string(name)); });
    if (!problem.isEmpty()) {
        return Refusal{400, QStringLiteral("text"), problem};
    }
    for (const QString& sign : signs) {
        m_pages.keep(sign, letter, *parsed);
    }
    kept = true;
    poke();
    return std::nullopt;
}

void FieldService::forgetSignsBut(const std::function<bool(const QString& sign)>& kept) {
    m_pages.forgetSignsBut(kept);
}

std::optional<Bytes> FieldService::fillNow(const LineTemplate& line) const {
    return KeptTemplate(line, &m_board).fill(m_now());
}

void FieldService::keep(const QString& sign, char letter, const LineTemplate& line) {
    m_pages.keep(sign, letter, line);
    poke();
}

void FieldService::poke() {
    m_timer.start(0);
}

void FieldService::evaluate() {
    const std::optional<qint64> wake = m_pages.evaluate(m_now());
    if (wake) {
        // A little after the minute turns, so the clock's text has changed when it is filled.
        m_timer.start(static_cast<int>(std::max<qint64>(*wake, 0) + 5));
    }
}

} // namespace lumivo::service

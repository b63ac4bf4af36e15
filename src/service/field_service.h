#pragma once

#include "service/api_validation.h"
#include "service/field_pages.h"
#include "service/field_sources.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace lumivo::service {

// The service's fields: the board of values from the settings' sources, the templates posted
// pages left and the timer that fills and sends them. Lives on the service's thread and never
// blocks it.
class FieldService final : public QObject {
    Q_OBJECT
public:
    FieldService(FieldBoard::Now now, FieldPageHooks hooks, QObject* parent = nullptr);

    // Reads the [Field NAME] sections and [Service] min_interval again; the problems found.
    QStringList reload(const QString& settingsFile);

    // A page posted for these signs: a line with fields is checked (an unknown field or a bad
    // format is refused, naming it), kept as each sign's template for the letter and `kept` is
    // set; a line without fields clears the templates of that letter.
    std::optional<Refusal> takePage(const QStringList& signs, char letter, const Bytes& line,
                                    bool& kept);
    void forgetSignsBut(const std::function<bool(const QString& sign)>& kept);

    // What a programme's lines need: the same values and the same send-on-change rule as the
    // kept pages.
    bool isSourceField(std::string_view name) const { return m_board.has(std::string(name)); }
    std::optional<Bytes> fillNow(const LineTemplate& line) const;
    void keep(const QString& sign, char letter, const LineTemplate& line);
    void forget(const QString& sign, char letter) { m_pages.forget(sign, letter); }

    // Fills and sends what may go, soon (a field changed, a transfer ended).
    void poke();

    QJsonObject fieldsJson(const QString& sign) const { return m_pages.fieldsJson(sign); }
    QJsonObject templatesJson(const QString& sign) const {
        return m_pages.templatesJson(sign, m_now());
    }
    FieldBoard& board() { return m_board; }
    const FieldBoard& board() const { return m_board; }

private:
    void evaluate();

    FieldBoard::Now m_now;
    FieldBoard m_board;
    FieldPages m_pages;
    QTimer m_timer;
};

} // namespace lumivo::service

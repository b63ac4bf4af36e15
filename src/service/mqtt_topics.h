#pragma once

#include "service/api_validation.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace lumivo::service {

// Payloads larger than these are refused before they are read: a page's line, and the short
// payloads of brightness and clock.
inline constexpr qsizetype kMaxPagePayloadBytes = 16 * 1024;
inline constexpr qsizetype kMaxShortPayloadBytes = 64;

// The topic level that stands for a sign or group name: ASCII letters, digits, '-', '_', '.'
// and '~' stand for themselves, every other byte of the name's UTF-8 (blank, '/', '+', '#',
// '%', '$', control characters, accents) is written "%XX" in upper-case hex. Two names give the
// same level only when they are the same name, and no level holds a character a topic level
// may not hold.
QString TopicLevel(const QString& name);
// The name a level stands for; nothing when the level is not one TopicLevel makes.
std::optional<QString> NameOfLevel(const QString& level);

// An identifier made of ASCII letters, digits and '_' only, one to one with the name (lower
// case first): for identifiers that allow no other characters.
QString IdentifierOf(const QString& name);

// A command read from a topic under "lumivo/" and its payload, as the service takes it over
// HTTP: the target (a sign or group name), the path under that target ("pages/A",
// "brightness", "clock", "alerts", "alerts/7/end", "alerts/end") and the JSON body. `slot` names
// what a newer command of the same slot for the same sign replaces while it waits ("page A",
// "brightness", "clock").
struct TopicCommand {
    QString target;
    QString action;
    QByteArray body;
    QString slot;
};

// Reads a message. Nothing when the topic is not a command topic of this service (it is left
// alone); a refusal naming the field at fault ("topic", "payload", "text", "level", "time",
// "alert") when it is one but the payload or a level is not right. Every check is made here, before
// anything is queued or sent; the line's text is checked with the same rules as the HTTP "text".
std::optional<std::variant<TopicCommand, Refusal>> ReadCommandMessage(const QByteArray& topic,
                                                                      const QByteArray& payload);

} // namespace lumivo::service

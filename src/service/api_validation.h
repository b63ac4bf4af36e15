#pragma once

#include "core/compiler.h"
#include "signs/dispatcher.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace lumivo::service {

// Why a request is refused: the status, the field at fault (empty when the request as a whole
// is meant) and what is wrong with it.
struct Refusal {
    int status = 400;
    QString field;
    QString message;
};

// The JSON object of a request body holding only the fields in `allowed`. An empty body is an
// empty object when `emptyAllowed`.
std::optional<Refusal> ReadBodyObject(const QByteArray& body, const QStringList& allowed,
                                      bool emptyAllowed, QJsonObject& object);

// The page letter of a path ("a" or "A"), A..Z, upper case.
std::optional<Refusal> ReadPageLetter(const QString& text, char& letter);

// The commands a request body asks for, each built with the same builders the editor and the
// command line use. Every field is checked before anything is sent.
std::optional<Refusal> BuildPageCommand(const QJsonObject& body, char letter,
                                        const std::filesystem::path& graphicsFolder,
                                        signs::SignCommand& command);
std::optional<Refusal> BuildBrightnessCommand(const QJsonObject& body, signs::SignCommand& command);
std::optional<Refusal> BuildClockCommand(const QJsonObject& body, signs::SignCommand& command);
std::optional<Refusal> BuildLinkCommand(const QJsonObject& body, signs::SignCommand& command);
std::optional<Refusal> BuildSchedulesCommand(const QJsonObject& body, signs::SignCommand& command);
std::optional<Refusal> BuildDeleteSchedulesCommand(const QJsonObject& body,
                                                   signs::SignCommand& command);
std::optional<Refusal> BuildDeleteLinesCommand(const QJsonObject& body,
                                               signs::SignCommand& command);

// The media type of a page body that is a message document, as the editor saves it, rather than
// JSON. Only the Content-Type header chooses it: a body is never guessed to be a document.
inline constexpr char kDocumentMediaType[] = "application/x-lumivo";
bool IsDocumentMediaType(const QByteArray& contentType);

// The page command of a message document body: its line, read the way the editor opens the
// document, and checked as a JSON page's text is.
std::optional<Refusal> BuildDocumentPageCommand(const QByteArray& body, char letter,
                                                const std::filesystem::path& graphicsFolder,
                                                signs::SignCommand& command);

// The 8-bit line of a text given as UTF-8: each character at most U+00FF and none a control
// character, so a line from outside never carries bytes that frame a transfer.
std::optional<Refusal> LineOfText(const QString& text, std::string& line);

} // namespace lumivo::service

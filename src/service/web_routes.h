#pragma once

#include "service/api.h"
#include "service/api_validation.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QThreadPool>

#include <filesystem>
#include <optional>
#include <string>

namespace lumivo::service {

// The page for phones and desktops: its files, compiled into the program, are served to anyone
// (they hold no data; everything the page shows comes from the API with the token). Nothing when
// the request is not a GET of one of them.
std::optional<ApiAnswer> WebFileAnswer(const ApiRequest& request);

// The headers every answer carries: the page may load only its own files, its scripts only from
// them (none inline), pictures from itself or blob URLs, and no answer's type is guessed.
QList<QPair<QByteArray, QByteArray>> SecurityHeaders();

// The common tags the page offers as buttons, from the tag tables the compiler reads: effects
// (the forms the editor inserts on line 1), colours, fonts, display times and speeds.
QJsonObject TagListJson();

// A line to preview and the sign whose geometry draws it.
struct PreviewRequest {
    QString text;
    std::optional<signs::Sign> sign;
};

// Reads {"text": ..., "sign": ...} ("sign" may be left out when `signNeeded` is false).
std::optional<Refusal> ReadPreviewRequest(const QByteArray& body, const signs::SignList& list,
                                          bool signNeeded, PreviewRequest& preview);

// What a send of the line would meet, nothing sent: its length by the editor's count, whether
// it fits, and the first problem the same checks as a send find (null when none).
QJsonObject PreviewJson(const QString& text, const std::filesystem::path& graphicsFolder);

// One run of the line as the sign would show it, animated, drawn by the one renderer at the
// sign's width with the user characters it holds; an error for a line a send would refuse.
Result<QByteArray> DrawLineGif(const std::string& line, const signs::Sign& sign,
                               const signs::SignRecord& record,
                               const std::filesystem::path& graphicsFolder);

// Draws animated previews on workers of their own, at most kMaxPreviewDrawings at a time beyond
// which a request is refused (503) at once, so no drawing holds the service's thread.
inline constexpr int kMaxPreviewDrawings = 4;
class PreviewDrawer final : public QObject {
    Q_OBJECT
public:
    explicit PreviewDrawer(QObject* parent = nullptr);
    ~PreviewDrawer() override;

    // Answers through `answer` on this object's thread when the drawing has ended; false (and
    // nothing called) when too many are being drawn.
    bool draw(std::string line, signs::Sign sign, signs::SignRecord record,
              std::filesystem::path graphicsFolder, SignService::Answer answer);

private:
    QThreadPool m_pool;
    int m_drawing = 0;
};

} // namespace lumivo::service

#include "service/web_routes.h"

#include "core/compiler.h"
#include "core/led_render.h"
#include "core/line_length.h"
#include "core/tags.h"
#include "service/sign_picture.h"
#include "signs/sent_graphics.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaObject>
#include <QRunnable>

#include <algorithm>

namespace lumivo::service {

namespace {

struct WebFile {
    const char* path;
    const char* resource;
    const char* type;
};

constexpr WebFile kWebFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/app.css", ":/web/app.css", "text/css; charset=utf-8"},
};

QJsonArray TagNames(TagTable table, const char* codePrefix = "") {
    QJsonArray names;
    const std::string_view prefix(codePrefix);
    for (const TagEntry& entry : table) {
        if (entry.code.substr(0, prefix.size()) == prefix) {
            names.append(
                QString::fromLatin1(entry.tag.data(), static_cast<qsizetype>(entry.tag.size())));
        }
    }
    return names;
}

QJsonObject ProblemJson(const QString& field, const QString& message) {
    return QJsonObject{{QStringLiteral("field"), field}, {QStringLiteral("message"), message}};
}

} // namespace

std::optional<ApiAnswer> WebFileAnswer(const ApiRequest& request) {
    if (request.method != "GET") {
        return std::nullopt;
    }
    for (const WebFile& file : kWebFiles) {
        if (request.path != file.path) {
            continue;
        }
        QFile resource(QString::fromLatin1(file.resource));
        if (!resource.open(QIODevice::ReadOnly)) {
            return ApiAnswer{500, QByteArrayLiteral("application/json"),
                             QByteArrayLiteral("{\"error\":\"the page is not in the program\"}\n")};
        }
        return ApiAnswer{200, QByteArray(file.type), resource.readAll()};
    }
    return std::nullopt;
}

QList<QPair<QByteArray, QByteArray>> SecurityHeaders() {
    return {
        {QByteArrayLiteral("Content-Security-Policy"),
         QByteArrayLiteral("default-src 'self'; img-src 'self' blob:; script-src 'self'; "
                           "style-src 'self'; connect-src 'self'; object-src 'none'; "
                           "base-uri 'none'; form-action 'none'; frame-ancestors 'none'")},
        {QByteArrayLiteral("X-Content-Type-Options"), QByteArrayLiteral("nosniff")},
        {QByteArrayLiteral("Referrer-Policy"), QByteArrayLiteral("no-referrer")},
    };
}

QJsonObject TagListJson() {
    const auto group = [](const char* name, QJsonArray tags) {
        return QJsonObject{{QStringLiteral("name"), QString::fromLatin1(name)},
                           {QStringLiteral("tags"), tags}};
    };
    return QJsonObject{
        {QStringLiteral("groups"), QJsonArray{group("Effect", TagNames(LowerCaseEffectTags())),
                                              group("Colour", TagNames(InlineTags(), "<C")),
                                              group("Font", TagNames(InlineTags(), "<A")),
                                              group("Display time", TagNames(DisplayTimeTags())),
                                              group("Speed", TagNames(SpeedTags()))}},
        {QStringLiteral("maxLength"), kMaxLineLength}};
}

std::optional<Refusal> ReadPreviewRequest(const QByteArray& body, const signs::SignList& list,
                                          bool signNeeded, PreviewRequest& preview) {
    QJsonObject object;
    if (auto refused =
            ReadBodyObject(body, {QStringLiteral("text"), QStringLiteral("sign")}, false, object)) {
        return refused;
    }
    const QJsonValue text = object.value(QStringLiteral("text"));
    if (!text.isString()) {
        return Refusal{400, QStringLiteral("text"),
                       text.isUndefined() ? QStringLiteral("the field \"text\" is missing")
                                          : QStringLiteral("\"text\" must be a string")};
    }
    preview.text = text.toString();
    const QJsonValue sign = object.value(QStringLiteral("sign"));
    if (sign.isUndefined() && !signNeeded) {
        return std::nullopt;
    }
    if (!sign.isString()) {
        return Refusal{400, QStringLiteral("sign"),
                       sign.isUndefined() ? QStringLiteral("the field \"sign\" is missing")
                                          : QStringLiteral("\"sign\" must be a string")};
    }
    const signs::Sign* found = list.find(sign.toString());
    if (found == nullptr) {
        return Refusal{404, QStringLiteral("sign"),
                       QStringLiteral("no sign is called \"%1\"").arg(sign.toString())};
    }
    preview.sign = *found;
    return std::nullopt;
}

QJsonObject PreviewJson(const QString& text, const std::filesystem::path& graphicsFolder) {
    std::string line;
    QJsonValue problem = QJsonValue(QJsonValue::Null);
    int length = static_cast<int>(text.size());
    if (const std::optional<Refusal> refused = LineOfText(text, line)) {
        problem = ProblemJson(refused->field, refused->message);
    } else {
        length = LineLength(line);
        const FolderGraphicSource graphics(graphicsFolder);
        if (Result<Compilation> compiled = CompileLine(line, graphics); !compiled) {
            problem = ProblemJson(QStringLiteral("text"),
                                  QString::fromStdString(compiled.error().message));
        }
    }
    const bool fits = length <= kMaxLineLength;
    if (problem.isNull() && !fits) {
        problem =
            ProblemJson(QStringLiteral("text"),
                        QString::fromLatin1(kMaxLengthMessage.data(),
                                            static_cast<qsizetype>(kMaxLengthMessage.size())));
    }
    return QJsonObject{{QStringLiteral("length"), length},
                       {QStringLiteral("maxLength"), kMaxLineLength},
                       {QStringLiteral("fits"), fits},
                       {QStringLiteral("problem"), problem}};
}

Result<QByteArray> DrawLineGif(const std::string& line, const signs::Sign& sign,
                               const signs::SignRecord& record,
                               const std::filesystem::path& graphicsFolder) {
    const FolderGraphicSource graphics(graphicsFolder);
    SignMemory memory;
    memory.userCharacters = UserCharactersOf(record.userCharacters);
    SignGeometry geometry;
    geometry.columns = std::clamp(sign.columns, kMinSignColumns, kMaxSignColumns);
    const Result<PageAnimation> animation = AnimateLine(line, graphics, memory, geometry);
    if (!animation) {
        return animation.error();
    }
    const std::vector<HeldFrame> frames =
        SampleRun(animation->duration(), [&](double at) { return animation->frameAt(at); });
    return EncodeRunGif(frames);
}

PreviewDrawer::PreviewDrawer(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(2);
}

PreviewDrawer::~PreviewDrawer() {
    // The drawings still running end before the objects they report to go.
    m_pool.waitForDone();
}

bool PreviewDrawer::draw(std::string line, signs::Sign sign, signs::SignRecord record,
                         std::filesystem::path graphicsFolder, SignService::Answer answer) {
    if (m_drawing >= kMaxPreviewDrawings) {
        return false;
    }
    ++m_drawing;
    m_pool.start([this, line = std::move(line), sign = std::move(sign), record = std::move(record),
                  graphicsFolder = std::move(graphicsFolder), answer = std::move(answer)] {
        Result<QByteArray> picture = DrawLineGif(line, sign, record, graphicsFolder);
        ApiAnswer drawn =
            picture ? ApiAnswer{200, QByteArrayLiteral("image/gif"), *picture}
                    : ApiAnswer{400, QByteArrayLiteral("application/json"),
                                QJsonDocument(
                                    QJsonObject{{QStringLiteral("error"),
                                                 QString::fromStdString(picture.error().message)},
                                                {QStringLiteral("field"), QStringLiteral("text")}})
                                        .toJson(QJsonDocument::Compact) +
                                    '\n'};
        QMetaObject::invokeMethod(
            this,
            [this, answer, drawn = std::move(drawn)] {
                --m_drawing;
                answer(drawn);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace lumivo::service

namespace lumivo::service {

namespace {

ApiAnswer WebJson(int status, const QJsonObject& object) {
    return ApiAnswer{status, QByteArrayLiteral("application/json"),
                     QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'};
}

ApiAnswer WebRefusal(const Refusal& refusal) {
    QJsonObject object{{QStringLiteral("error"), refusal.message}};
    if (!refusal.field.isEmpty()) {
        object.insert(QStringLiteral("field"), refusal.field);
    }
    return WebJson(refusal.status, object);
}

} // namespace

ApiAnswer SignService::webAnswer(const ApiRequest& request, const QString& what, bool& started,
                                 const Answer& answer) {
    const bool tags = what == QStringLiteral("tags");
    const bool preview = what == QStringLiteral("preview");
    const bool animated = what == QStringLiteral("preview.gif");
    if (!tags && !preview && !animated) {
        return ApiAnswer{0, {}, {}};
    }
    const QByteArray wanted = tags ? QByteArrayLiteral("GET") : QByteArrayLiteral("POST");
    if (request.method != wanted) {
        return WebRefusal(
            Refusal{405,
                    {},
                    QStringLiteral("%1 takes %2, not %3")
                        .arg(QString::fromUtf8(request.path), QString::fromLatin1(wanted),
                             QString::fromLatin1(request.method))});
    }
    if (tags) {
        return WebJson(200, TagListJson());
    }
    PreviewRequest asked;
    if (auto refused = ReadPreviewRequest(request.body, m_list, animated, asked)) {
        return WebRefusal(*refused);
    }
    if (preview) {
        return WebJson(200, PreviewJson(asked.text, m_setup.graphicsFolder));
    }
    std::string line;
    if (auto refused = LineOfText(asked.text, line)) {
        return WebRefusal(*refused);
    }
    signs::SignRecord record = m_state.record(asked.sign->name);
    if (!m_previews->draw(std::move(line), *asked.sign, std::move(record), m_setup.graphicsFolder,
                          answer)) {
        return WebRefusal(Refusal{503,
                                  {},
                                  QStringLiteral("%1 previews are being drawn; try again later")
                                      .arg(kMaxPreviewDrawings)});
    }
    started = true;
    return ApiAnswer{202, {}, {}};
}

} // namespace lumivo::service

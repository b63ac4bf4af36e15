#include "service/sign_picture.h"

#include "core/compiler.h"
#include "core/graphic.h"
#include "core/led_picture.h"
#include "core/led_render.h"
#include "signs/sent_graphics.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstring>

namespace lumivo::service {

std::optional<char> PictureShowsPage(const signs::SignRecord& record, std::optional<char> asked) {
    if (asked) {
        return record.pages.count(*asked) != 0 ? asked : std::nullopt;
    }
    if (record.runningPage && record.pages.count(*record.runningPage) != 0) {
        return record.runningPage;
    }
    return signs::LastSentPage(record);
}

Result<QByteArray> DrawSentPagePng(const signs::Sign& sign, const signs::SignRecord& record,
                                   char page) {
    const auto sent = record.pages.find(page);
    if (sent == record.pages.end()) {
        return Error{"nothing was sent to page " + std::string(1, page)};
    }
    SignMemory memory;
    memory.userCharacters = UserCharactersOf(record.userCharacters);
    SignGeometry geometry;
    geometry.columns = std::clamp(sign.columns, kMinSignColumns, kMaxSignColumns);
    signs::SentGraphics graphics;
    graphics.set(sent->second.graphics);
    const Result<PageAnimation> animation =
        AnimateLine(sent->second.line, graphics, memory, geometry);
    if (!animation) {
        return animation.error();
    }
    const ArgbPicture picture = DrawLedPicture(animation->frameAt(animation->shownAt()));
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(image.scanLine(y),
                    picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return Error{"the picture could not be encoded as PNG"};
    }
    return png;
}

} // namespace lumivo::service

#include "app/artwork.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cstddef>

namespace lumivo::ui {

namespace {

// 5 by 7 dot letters, one row per entry, bit 4 the leftmost dot.
using Glyph = std::array<unsigned char, 7>;
constexpr Glyph kL = {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F};
constexpr Glyph kE = {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F};
constexpr Glyph kD = {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E};

const QColor kRedDot(235, 30, 30);
const QColor kGreenDot(40, 220, 60);
const QColor kYellowDot(250, 200, 30);
const QColor kDarkDot(55, 20, 20);

using IconDrawing = void (*)(QPainter&);

// Draws the icon in a 16 by 16 design grid at the sizes the toolbar, menus and window frame ask
// for. The pixmaps are drawn when the icon is first shown, not when it is made, so a start-up
// that creates every item pays nothing for icons nobody has seen yet.
class DrawnIconEngine final : public QIconEngine {
public:
    explicit DrawnIconEngine(IconDrawing draw) : m_draw(draw) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new DrawnIconEngine(m_draw); }
    QString key() const override { return QStringLiteral("lumivo-drawn"); }

private:
    const QIcon& icon() {
        if (m_icon.isNull()) {
            for (int size : {16, 24, 32, 48}) {
                QPixmap pixmap(size, size);
                pixmap.fill(Qt::transparent);
                QPainter painter(&pixmap);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.scale(size / 16.0, size / 16.0);
                m_draw(painter);
                painter.end();
                m_icon.addPixmap(pixmap);
            }
        }
        return m_icon;
    }

    IconDrawing m_draw;
    QIcon m_icon;
};

QIcon DrawnIcon(IconDrawing draw) {
    return QIcon(new DrawnIconEngine(draw));
}

QPen Outline(const QColor& colour = QColor(60, 60, 60)) {
    QPen pen(colour, 1.0);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void DrawPage(QPainter& p, const QRectF& r, const QColor& fill = Qt::white) {
    QPainterPath page;
    const qreal fold = 3.5;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(Outline());
    p.setBrush(fill);
    p.drawPath(page);
    p.drawPolyline(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void DrawSignBoard(QPainter& p, const QRectF& r, bool lit) {
    p.setPen(Outline(QColor(30, 30, 30)));
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    const QColor colours[] = {kRedDot, kGreenDot, kYellowDot};
    int n = 0;
    for (qreal y = r.top() + 1.6; y < r.bottom() - 1.0; y += 2.0) {
        for (qreal x = r.left() + 1.6; x < r.right() - 1.0; x += 2.0) {
            p.setBrush(lit ? colours[(n / 2) % 3] : QColor(110, 110, 110));
            p.drawEllipse(QPointF(x, y), 0.7, 0.7);
            ++n;
        }
    }
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, QLineF(from, to).length());
    const QPointF n(-d.y(), d.x());
    p.drawPolyline(QPolygonF({to - d * 3 + n * 2.2, to, to - d * 3 - n * 2.2}));
}

} // namespace

QPixmap SignPicture(bool tripleColour) {
    const std::array<const Glyph*, 3> letters = {&kL, &kE, &kD};
    const std::array<QColor, 3> colours =
        tripleColour ? std::array<QColor, 3>{kRedDot, kGreenDot, kYellowDot}
                     : std::array<QColor, 3>{kRedDot, kRedDot, kRedDot};
    constexpr int kColumns = 3 * 5 + 2 + 4; // three letters, two gaps, two dots of margin a side
    constexpr int kRows = 7 + 4;
    constexpr int kPitch = 5;
    constexpr int kFrame = 6;
    const QSize size(kColumns * kPitch + 2 * kFrame, kRows * kPitch + 2 * kFrame);

    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Case and face.
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(95, 98, 105));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    p.setBrush(QColor(12, 12, 14));
    p.drawRect(QRectF(kFrame - 1.5, kFrame - 1.5, kColumns * kPitch + 3, kRows * kPitch + 3));
    p.setPen(Qt::NoPen);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            QColor colour = kDarkDot;
            const int x = column - 2;
            const int y = row - 2;
            if (y >= 0 && y < 7 && x >= 0 && x % 6 < 5 && x / 6 < 3) {
                const Glyph& glyph = *letters[static_cast<std::size_t>(x / 6)];
                if (glyph[static_cast<std::size_t>(y)] & (0x10 >> (x % 6))) {
                    colour = colours[static_cast<std::size_t>(x / 6)];
                }
            }
            const QPointF centre(kFrame + column * kPitch + kPitch / 2.0,
                                 kFrame + row * kPitch + kPitch / 2.0);
            p.setBrush(colour);
            p.drawEllipse(centre, 1.8, 1.8);
        }
    }
    return pixmap;
}

namespace {

void DrawNewIcon(QPainter& p) {
    DrawPage(p, QRectF(3.5, 1.5, 9, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 30));
    p.drawEllipse(QPointF(12.5, 3.5), 2.2, 2.2);
}

void DrawOpenIcon(QPainter& p) {
    p.setPen(Outline(QColor(120, 85, 20)));
    p.setBrush(QColor(235, 190, 80));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(13.5, 5),
                             QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
    p.setBrush(QColor(250, 215, 120));
    p.drawPolygon(
        QPolygonF({QPointF(3.5, 7.5), QPointF(15, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
}

void DrawSaveIcon(QPainter& p) {
    p.setPen(Outline(QColor(20, 40, 90)));
    p.setBrush(QColor(60, 100, 180));
    p.drawPolygon(QPolygonF({QPointF(1.5, 1.5), QPointF(12.5, 1.5), QPointF(14.5, 3.5),
                             QPointF(14.5, 14.5), QPointF(1.5, 14.5)}));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 7.5, 5));
    p.setBrush(QColor(220, 225, 235));
    p.drawRect(QRectF(3.5, 9, 9, 5.5));
    p.setBrush(QColor(20, 40, 90));
    p.drawRect(QRectF(8.5, 2.5, 1.5, 3));
}

void DrawCutIcon(QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 70), 1.3));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10));
    p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10));
    p.setPen(QPen(QColor(200, 40, 40), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12), 2.4, 2.4);
    p.drawEllipse(QPointF(11.5, 12), 2.4, 2.4);
}

void DrawCopyIcon(QPainter& p) {
    DrawPage(p, QRectF(1.5, 1.5, 8, 10), QColor(235, 238, 245));
    DrawPage(p, QRectF(6.5, 4.5, 8, 10));
}

void DrawPasteIcon(QPainter& p) {
    p.setPen(Outline(QColor(100, 70, 30)));
    p.setBrush(QColor(190, 140, 70));
    p.drawRoundedRect(QRectF(2.5, 2.5, 10, 12), 1, 1);
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(5, 1, 5, 3));
    DrawPage(p, QRectF(7.5, 6.5, 7, 8.5));
}

void DrawSendMessageIcon(QPainter& p) {
    DrawSignBoard(p, QRectF(0.5, 1.5, 15, 7), true);
    DrawArrow(p, QPointF(8, 15), QPointF(8, 10), QColor(30, 120, 40));
}

void DrawSendViaNetworkIcon(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 4));
    p.drawRect(QRectF(4, 9.5, 8, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 180, 60));
    p.drawEllipse(QPointF(12.5, 7.5), 0.9, 0.9);
}

void DrawSignIcon(QPainter& p) {
    DrawSignBoard(p, QRectF(0.5, 4.5, 15, 7), false);
}

// The toolbar icons, in the order of ToolIcon.
constexpr IconDrawing kToolIcons[] = {
    &DrawNewIcon,         &DrawOpenIcon, &DrawSaveIcon,
    &DrawCutIcon,         &DrawCopyIcon, &DrawPasteIcon,
    &DrawSendMessageIcon, &DrawSignIcon, &DrawSendViaNetworkIcon,
};

} // namespace

QIcon MakeToolIcon(ToolIcon icon) {
    return DrawnIcon(kToolIcons[static_cast<std::size_t>(icon)]);
}

QIcon ApplicationIcon() {
    return DrawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 95));
        p.drawRect(QRectF(7, 11, 2, 5));
        DrawSignBoard(p, QRectF(0.5, 2.5, 15, 9), true);
    });
}

} // namespace lumivo::ui

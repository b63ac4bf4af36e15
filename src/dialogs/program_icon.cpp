#include "dialogs/program_icon.h"

#include <QApplication>
#include <QPainter>

#include <array>

namespace lumivo::ui {

namespace {

// Seven rows of twelve dots: "r" red, "g" green, "y" yellow, "." dark.
constexpr std::array<const char*, 7> kDots = {
    "......y.....", //
    "......yy....", //
    "rrrgggyyy...", //
    "rrrgggyyyy..", //
    "rrrgggyyy...", //
    "......yy....", //
    "......y.....", //
};

QColor DotColour(char dot) {
    switch (dot) {
    case 'r':
        return QColor(235, 40, 30);
    case 'g':
        return QColor(40, 210, 60);
    case 'y':
        return QColor(250, 200, 30);
    default:
        return QColor(55, 22, 22);
    }
}

} // namespace

QPixmap DrawProgramIcon(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // Post and foot.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 95));
    p.drawRect(QRectF(29, 44, 6, 16));
    p.drawRoundedRect(QRectF(20, 58, 24, 4), 1, 1);

    // Case and its dark face.
    p.setPen(QPen(QColor(20, 20, 20), 1.5));
    p.setBrush(QColor(95, 98, 105));
    p.drawRoundedRect(QRectF(2, 10, 60, 36), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 12, 14));
    p.drawRect(QRectF(6, 14, 52, 28));

    // The dots.
    const double pitch = 4.2;
    const double left = 6 + (52 - 12 * pitch) / 2 + pitch / 2;
    const double top = 14 + (28 - 7 * pitch) / 2 + pitch / 2;
    for (int row = 0; row < static_cast<int>(kDots.size()); ++row) {
        for (int column = 0; column < 12; ++column) {
            p.setBrush(DotColour(kDots[static_cast<std::size_t>(row)][column]));
            p.drawEllipse(QPointF(left + column * pitch, top + row * pitch), 1.6, 1.6);
        }
    }
    return picture;
}

QIcon ProgramIcon() {
    const QIcon window = QApplication::windowIcon();
    if (!window.isNull()) {
        return window;
    }
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(DrawProgramIcon(size));
    }
    return icon;
}

} // namespace lumivo::ui

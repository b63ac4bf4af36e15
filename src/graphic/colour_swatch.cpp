#include "graphic/colour_swatch.h"

#include "core/graphic.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumivo::graphic {

namespace {

QColor ScreenColour(char letter) {
    const Rgb colour = ScreenColourOfLetter(letter);
    return QColor(colour.r, colour.g, colour.b);
}

} // namespace

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {}

void ColourSwatch::setLetter(char letter) {
    m_letter = letter;
    update();
}

void ColourSwatch::setRound(bool round) {
    m_round = round;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_round);
    painter.setPen(Qt::black);
    painter.setBrush(ScreenColour(m_letter));
    const QRect box = rect().adjusted(0, 0, -1, -1);
    if (m_round) {
        painter.drawEllipse(box);
    } else {
        painter.drawRect(box);
    }
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) {
        Q_EMIT chosen(m_letter);
    }
}

} // namespace lumivo::graphic

#include "widgets/preview_strip.h"

#include "widgets/led_view.h"

#include <QApplication>
#include <QColor>
#include <QHBoxLayout>
#include <QIconEngine>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

// One of the style's own pictures, looked up when a button first draws it: the first lookup
// reads the desktop's icon theme, which a start-up need not wait for.
class StyleIconEngine final : public QIconEngine {
public:
    StyleIconEngine(QStyle::StandardPixmap picture, const QWidget* widget)
        : m_picture(picture), m_widget(widget) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new StyleIconEngine(*this); }
    QString key() const override { return QStringLiteral("lumivo-style"); }

    const QIcon& icon() {
        if (!m_looked) {
            const QStyle* style = m_widget != nullptr ? m_widget->style() : QApplication::style();
            m_icon = style->standardIcon(m_picture);
            m_looked = true;
        }
        return m_icon;
    }

private:
    QStyle::StandardPixmap m_picture;
    QPointer<const QWidget> m_widget;
    QIcon m_icon;
    bool m_looked = false;
};

} // namespace

QIcon StyleIconWhenDrawn(QStyle::StandardPixmap picture, const QWidget* widget) {
    return QIcon(new StyleIconEngine(picture, widget));
}

PreviewStrip::PreviewStrip(PreviewModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("PreviewStrip"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addLayout(buildControls());
    layout->addLayout(buildPicture(), 1);

    m_tick.setInterval(kFrameMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &PreviewStrip::tick);
    connectModel();
    m_view->setSingleColor(m_model.singleColor());
    showNote(m_model.note());
    updateTimer();
    showFrame();
}

QLayout* PreviewStrip::buildControls() {
    auto* controls = new QVBoxLayout;
    m_play = new QToolButton(this);
    m_pauseIcon = StyleIconWhenDrawn(QStyle::SP_MediaPause, this);
    m_playIcon = StyleIconWhenDrawn(QStyle::SP_MediaPlay, this);
    m_play->setObjectName(QStringLiteral("PreviewPlay"));
    m_play->setCheckable(true);
    m_play->setChecked(m_model.playing());
    m_restart = new QToolButton(this);
    m_restart->setObjectName(QStringLiteral("PreviewRestart"));
    m_restart->setIcon(StyleIconWhenDrawn(QStyle::SP_MediaSkipBackward, this));
    m_restart->setToolTip(QStringLiteral("Restart"));
    m_restart->setAccessibleName(QStringLiteral("Restart"));
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("PreviewWidth"));
    m_width->setRange(kMinSignColumns, kMaxSignColumns);
    m_width->setValue(m_model.columns());
    m_width->setSuffix(QStringLiteral(" columns"));
    m_width->setToolTip(QStringLiteral("Sign width"));
    m_width->setAccessibleName(QStringLiteral("Sign width"));
    m_width->setKeyboardTracking(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_play);
    buttons->addWidget(m_restart);
    controls->addLayout(buttons);
    controls->addWidget(m_width);
    controls->addStretch(1);
    return controls;
}

QLayout* PreviewStrip::buildPicture() {
    auto* picture = new QVBoxLayout;
    m_view = new LedView(this);
    m_view->setObjectName(QStringLiteral("PreviewView"));
    m_view->setGlow(true);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("PreviewNote"));
    m_note->setWordWrap(true);
    QPalette notePalette = m_note->palette();
    notePalette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
    m_note->setPalette(notePalette);
    m_note->hide();
    picture->addWidget(m_view, 1);
    picture->addWidget(m_note);
    return picture;
}

void PreviewStrip::connectModel() {
    connect(m_play, &QToolButton::toggled, &m_model, &PreviewModel::setPlaying);
    connect(m_restart, &QToolButton::clicked, &m_model, &PreviewModel::restart);
    connect(m_width, &QSpinBox::valueChanged, this, [this](int columns) {
        m_model.setColumns(columns);
        Q_EMIT columnsChosen(m_model.columns());
    });
    connect(&m_model, &PreviewModel::frameChanged, this, &PreviewStrip::showFrame);
    connect(&m_model, &PreviewModel::noteChanged, this, &PreviewStrip::showNote);
    connect(&m_model, &PreviewModel::singleColorChanged, m_view, &LedView::setSingleColor);
    connect(&m_model, &PreviewModel::playingChanged, this, [this](bool playing) {
        m_play->setChecked(playing);
        updateTimer();
    });
}

void PreviewStrip::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateTimer();
}

void PreviewStrip::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateTimer();
}

void PreviewStrip::updateTimer() {
    const bool playing = m_model.playing();
    m_play->setIcon(playing ? m_pauseIcon : m_playIcon);
    m_play->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_play->setAccessibleName(m_play->toolTip());
    const bool run = playing && isVisible();
    if (run && !m_tick.isActive()) {
        m_clock.start();
        m_tick.start();
    } else if (!run) {
        m_tick.stop();
    }
}

void PreviewStrip::tick() {
    // Time as it passed, not as the timer meant it to: a late tick does not slow the run down.
    const double seconds = static_cast<double>(m_clock.restart()) / 1000.0;
    m_model.advance(seconds);
}

void PreviewStrip::showFrame() {
    if (m_width->value() != m_model.columns()) {
        const QSignalBlocker quiet(m_width);
        m_width->setValue(m_model.columns());
    }
    m_view->setImage(m_model.frame());
}

void PreviewStrip::showNote(const QString& note) {
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

} // namespace lumivo::ui

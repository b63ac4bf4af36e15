#include "widgets/preview_strip.h"

#include "widgets/led_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivo::ui {

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
    m_play->setObjectName(QStringLiteral("PreviewPlay"));
    m_play->setCheckable(true);
    m_play->setChecked(m_model.playing());
    m_restart = new QToolButton(this);
    m_restart->setObjectName(QStringLiteral("PreviewRestart"));
    m_restart->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
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
    m_note->setStyleSheet(QStringLiteral("color: #b00000;"));
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
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
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

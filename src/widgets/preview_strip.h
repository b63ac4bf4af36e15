#pragma once

#include "widgets/preview_model.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QStyle>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLayout;
class QSpinBox;
class QToolButton;

namespace lumivo::ui {

class LedView;

// The style's picture `picture` as `widget`'s style draws it, looked up only when first drawn or
// asked for.
QIcon StyleIconWhenDrawn(QStyle::StandardPixmap picture, const QWidget* widget = nullptr);

// The editor's preview strip: the line on LED dots, play/pause, restart, the sign width, and a
// note when the line as typed cannot be shown. Time runs only while the strip is visible and
// playing; a held frame repaints nothing.
class PreviewStrip final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 40; // 25 frames a second

    explicit PreviewStrip(PreviewModel& model, QWidget* parent = nullptr);

    PreviewModel& model() { return m_model; }
    LedView* view() const { return m_view; }
    // Whether the animation timer runs.
    bool animating() const { return m_tick.isActive(); }

Q_SIGNALS:
    // The user chose another sign width.
    void columnsChosen(int columns);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The play and restart buttons over the width field; the dots over the note.
    QLayout* buildControls();
    QLayout* buildPicture();
    // The buttons and the width field drive the model; the model's changes show here.
    void connectModel();
    void updateTimer();
    void showFrame();
    void showNote(const QString& note);
    void tick();

    PreviewModel& m_model;
    LedView* m_view = nullptr;
    QToolButton* m_play = nullptr;
    QToolButton* m_restart = nullptr;
    QSpinBox* m_width = nullptr;
    QLabel* m_note = nullptr;
    QIcon m_pauseIcon;
    QIcon m_playIcon;
    QTimer m_tick;
    QElapsedTimer m_clock;
};

} // namespace lumivo::ui

#pragma once

#include <QWidget>

namespace lumivo::graphic {

// A colour swatch of the graphic editor's colour group: a square one ("Use:") that shows the
// current colour, or a round one that a mouse release over it chooses.
class ColourSwatch final : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    char letter() const { return m_letter; }
    void setLetter(char letter);
    void setRound(bool round);

Q_SIGNALS:
    void chosen(char letter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    char m_letter = '@';
    bool m_round = false;
};

} // namespace lumivo::graphic

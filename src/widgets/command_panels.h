#pragma once

#include <QList>
#include <QString>
#include <Qt>

class QPushButton;
class QWidget;

namespace lumivo::ui {

// A window with one panel per command, of which one shows at a time. Opening a command hides
// every panel, shows the command's own, puts its caption in the title bar, makes its button the
// default one and gives its control the focus; the window then shows in front with the modality
// the command asks for.
class CommandPanels {
public:
    struct Command {
        QWidget* panel = nullptr;
        QString caption;
        QWidget* focus = nullptr;             // null leaves the window's own focus as it is
        QPushButton* defaultButton = nullptr; // null leaves the default button as it is
    };

    // Where the window appears when a command shows it.
    enum class Placement {
        CentredOnce,   // on its screen's centre the first time, then where the user left it
        CentredAlways, // on the desktop's centre every time
    };

    CommandPanels(QWidget& window, QList<QWidget*> panels,
                  Placement placement = Placement::CentredOnce);

    // The panels, for a window whose form is made after the window (on its first use).
    void setPanels(QList<QWidget*> panels) { m_panels = std::move(panels); }

    void hideAll() const;
    // The command's panel alone, its caption, default button and focus; the window itself is
    // neither shown nor hidden.
    void select(const Command& command) const;
    // Selects the command and shows the window with `modality`, in front, the focus on the
    // command's control. The call returns at once; the window's own buttons end it.
    void open(const Command& command, Qt::WindowModality modality);

private:
    QWidget& m_window;
    QList<QWidget*> m_panels;
    Placement m_placement;
    bool m_shown = false;
};

} // namespace lumivo::ui

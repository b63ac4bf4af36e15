#include "widgets/command_panels.h"

#include "widgets/placement.h"
#include "widgets/window_support.h"

#include <QPushButton>
#include <QWidget>

namespace lumivo::ui {

CommandPanels::CommandPanels(QWidget& window, QList<QWidget*> panels, Placement placement)
    : m_window(window), m_panels(std::move(panels)), m_placement(placement) {}

void CommandPanels::hideAll() const {
    for (QWidget* panel : m_panels) {
        panel->hide();
    }
}

void CommandPanels::select(const Command& command) const {
    hideAll();
    command.panel->show();
    m_window.setWindowTitle(command.caption);
    if (command.defaultButton != nullptr) {
        command.defaultButton->setDefault(true);
    }
    if (command.focus != nullptr) {
        command.focus->setFocus();
    }
}

void CommandPanels::open(const Command& command, Qt::WindowModality modality) {
    select(command);
    if (m_window.windowModality() != modality) {
        // Modality only changes while the window is hidden.
        m_window.hide();
        m_window.setWindowModality(modality);
    }
    // The window takes the size of the panel it shows now, before it is placed.
    m_window.adjustSize();
    if (m_placement == Placement::CentredAlways) {
        CentreOnDesktop(m_window);
        m_window.show();
        m_window.raise();
        m_window.activateWindow();
    } else {
        ShowInFront(m_window, m_shown);
    }
    if (command.focus != nullptr) {
        command.focus->setFocus();
    }
}

} // namespace lumivo::ui

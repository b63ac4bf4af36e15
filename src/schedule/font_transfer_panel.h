#pragma once

#include "core/userfont.h"
#include "link/command_thread.h"
#include "link/outcome.h"
#include "link/sign_connection.h"
#include "widgets/font_transfer.h"
#include "widgets/form.h"

#include <memory>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace Ui {
class TDeletefrm;
}

namespace lumivo::schedule {

// The font panel of the deletion window: "Transfer" sends the characters of the font source the
// font maker opened the panel with, the progress bar follows them, and the characters the sign
// took are drawn into the European picture once the transfer ends. The window runs the command
// on its one worker thread, so a transfer never overlaps a deletion.
class TransferFontPanel {
public:
    TransferFontPanel(QWidget& window, const ui::FormOnFirstUse<Ui::TDeletefrm, QDialog>& form,
                      const link::SignConnection& connection);

    // The font maker opened the panel with `source`; "Transfer" is enabled unless a transfer is
    // still running.
    void open(ui::UserFontSource& source, bool running);
    // The transfer of the list as it stands now, the progress bar reset; none before the panel
    // was opened with a source.
    std::optional<link::CommandThread::Command> transferCommand();
    void showProgress(int value, int maximum);
    // Draws what the sign took, re-enables "Transfer" and reports the outcome.
    void finished(const link::Outcome& outcome);

private:
    QWidget& m_window;
    const ui::FormOnFirstUse<Ui::TDeletefrm, QDialog>& m_form;
    const link::SignConnection& m_connection;
    ui::UserFontSource* m_fontSource = nullptr;
    // What the running transfer's sign took; written by the worker before it finishes.
    std::shared_ptr<std::vector<UserCharRecord>> m_sentCharacters;
};

} // namespace lumivo::schedule

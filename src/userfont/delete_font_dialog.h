#pragma once

#include "link/command_thread.h"
#include "link/outcome.h"
#include "link/sign_connection.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>

namespace Ui {
class TDeleteFontfrm;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::userfont {

class TuEuropeanCharForm;

// What the recall window needs from the rest of the program.
struct RecallContext {
    link::SignConnection connection;
    // The picker that shows the restored picture; null when there is none.
    std::function<TuEuropeanCharForm*()> picker;
    std::filesystem::path factoryFile; // "EuroCharFormDefault.bmp" where the program ships it
    std::filesystem::path pictureFile; // "EuroCharForm58204.bmp" where the program writes it
    // Says what went wrong beside the sign's answer (a damaged factory file).
    std::function<void(const QString&)> reportStatus;
};

// "Recall Default Font": asks for the sign ID and, on "Yes", tells the sign to drop its user
// characters. The command runs on a worker thread with "Yes" disabled; once the sign took it (or
// the ID is "00"), the factory picture replaces the picker's picture, the picker forgets its
// selection and the same picture is saved over the current picture file, then the outcome box
// appears. A failed recall leaves both pictures as they were. The window stays open for another
// recall until "No" or its close button.
class TDeleteFontfrm final : public QDialog {
    Q_OBJECT
public:
    explicit TDeleteFontfrm(RecallContext context, QWidget* parent = nullptr);
    ~TDeleteFontfrm() override;

    // Binds the "Recall Default Font" menu item: each use makes a new window, shown modally and
    // destroyed when it closes; a recall that the sign took redraws `europeanChars`.
    static void bindMenuItem(ui::EditorHost& host, TuEuropeanCharForm& europeanChars);

    // Shows the window centred on the screen, "Yes" focused, without waiting for it to close.
    void openModal();
    bool isRunning() const { return m_command->isRunning(); }

    // "Yes".
    void Button1Click();

    // Closing waits for nothing: a running recall keeps the window open until it ends.
    void reject() override;

private:
    void recallFinished(const link::Outcome& outcome);
    void restoreFactoryPicture();

    RecallContext m_context;
    link::CommandThread* m_command = nullptr;
    std::unique_ptr<Ui::TDeleteFontfrm> m_ui;
    bool m_shown = false;
};

} // namespace lumivo::userfont

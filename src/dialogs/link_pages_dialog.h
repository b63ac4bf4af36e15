#pragma once

#include "link/command_thread.h"
#include "link/outcome.h"
#include "link/sign_connection.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TLinkpagefrm;
}

namespace lumivo::ui {

class EditorHost;

// Link Pages: sends a sign the pages to run in turn, as a schedule entry of slot A that covers
// every date. Modeless; it stays open after OK, which runs on a worker thread with OK disabled.
class TLinkpagefrm final : public QDialog {
    Q_OBJECT
public:
    explicit TLinkpagefrm(link::SignConnection connection, QWidget* parent = nullptr);
    ~TLinkpagefrm() override;

    // The start-up factory: binds "Link Pages To Run...".
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // "Link Pages To Run...": shows the dialog (modeless) with the focus in the page field.
    void present();
    void OKClick();

    bool isRunning() const;

private:
    void commandFinished(const link::Outcome& outcome);

    link::SignConnection m_connection;
    link::CommandThread* m_command = nullptr;
    std::unique_ptr<Ui::TLinkpagefrm> m_ui;
    bool m_shown = false;
};

} // namespace lumivo::ui

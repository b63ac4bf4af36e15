#pragma once

#include "signs/dispatcher.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>

namespace Ui {
class SignsWindow;
}

namespace lumivo::ui {
class EditorHost;
class PreviewModel;
class PreviewStrip;
} // namespace lumivo::ui

namespace lumivo::signs {

class SentGraphics;
class SignDialog;
class SignTableModel;

// The site's signs: the list from the settings file with each sign's last outcome and a picture
// of what it was last sent from here; adding, editing and removing signs; and Line 1 sent as a
// page to the chosen signs and groups at once, with a progress row per sign, Cancel and the
// summary; the line check of the selected sign, whose answer is shown in a box. Sends and checks
// run on the dispatcher's line workers; the window only hears of them, so it never waits for a
// sign.
class SignsWindow final : public QWidget {
    Q_OBJECT
public:
    // `openerFor` and `clockFor` reach the signs (the real ports and time in the program).
    SignsWindow(ui::EditorHost& host, Dispatcher::OpenerFor openerFor,
                Dispatcher::ClockFor clockFor, QWidget* parent = nullptr);
    ~SignsWindow() override;

    // The window of the program, reaching the signs through the settings file's ports.
    static std::unique_ptr<SignsWindow> create(ui::EditorHost& host, QWidget* parent = nullptr);
    // Binds Signs > Signs... to show the window, made the first time it is chosen and kept by
    // the main window from then on. Nothing is made at start, so nothing is returned to keep.
    static std::unique_ptr<QWidget> bindMenuItem(ui::EditorHost& host);

    SignTableModel& model() const { return *m_model; }
    ui::PreviewModel& picture() const { return *m_picture; }
    // Reads the sign list again from the settings file.
    void reload();
    // Selects the rows of the signs of that group (without regard to case).
    void chooseGroup(const QString& group);
    bool sending() const { return m_job != nullptr; }
    bool checking() const { return m_checkJob != nullptr; }
    QString summary() const;
    // The sign whose picture is shown, and the page letter shown (nothing: no page sent).
    QString shownSign() const { return m_shownSign; }
    std::optional<char> shownPage() const;

    // The buttons' actions.
    void addSign();
    void editSign();
    void removeSign();
    void sendLine1();
    void cancelSend();
    // Checks the current sign's line on its worker; the box with the answer follows.
    void checkSign();

Q_SIGNALS:
    // A send ended and its summary is shown.
    void sendFinished();
    // A check ended and its box was shown.
    void checkEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Relay;

    void connectControls();
    std::vector<Sign> chosenSigns() const;
    void openDialog(std::optional<Sign> editing);
    void saveSign(const std::optional<Sign>& editing, const Sign& sign);
    void showSelectedSign();
    void showPage();
    void updateButtons();
    void fillGroups();
    // The dispatcher's reports, on this window's thread.
    void signStarted(const QString& sign);
    void signProgressed(const QString& sign, int value, int maximum);
    void signStep(const QString& sign, const QString& step);
    void signFinished(const SignOutcome& outcome);
    void jobFinished(const DispatchResult& result);
    void checkFinished(const DispatchResult& result);

    ui::EditorHost& m_host;
    std::unique_ptr<Ui::SignsWindow> m_ui;
    SignTableModel* m_model = nullptr;
    std::shared_ptr<SentGraphics> m_sentGraphics;
    ui::PreviewModel* m_picture = nullptr;
    ui::PreviewStrip* m_strip = nullptr;
    QString m_shownSign;
    // The route to the running lumivod that serves the shown sign, and the field values its
    // state showed: its pages are drawn filled as the sign shows them.
    Dispatcher::ServiceFor m_serviceFor;
    std::optional<ServiceRoute> m_shownRoute;
    std::map<std::string, Bytes> m_serviceValues;
    bool m_shownBefore = false;
    // Declared in this order so the dispatcher, which reports to the relay and records in the
    // state, ends first.
    SignStateStore m_state;
    std::unique_ptr<Relay> m_relay;
    std::unique_ptr<Relay> m_checkRelay;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::shared_ptr<DispatchJob> m_job;
    std::shared_ptr<DispatchJob> m_checkJob;
    // The step each sign under way is in ("Page A", "Graphic G01 2/3"), and whether Cancel was
    // pressed during this send.
    std::map<QString, QString> m_steps;
    bool m_cancelling = false;
};

} // namespace lumivo::signs

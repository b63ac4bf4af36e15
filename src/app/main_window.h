#pragma once

#include "app/settings_path.h"
#include "core/line_length.h"
#include "widgets/editor_host.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QDockWidget;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;

namespace lumivo::link {
class FrameLogQueue;
}

namespace lumivo::ui {

class LineEditor;
class PreviewModel;
class PreviewStrip;
class SignLogDock;

// The longest line the sign takes (core/line_length.h), as the editor's length count says.
using lumivo::kMaxLineLength;

// The main window: the two line editors (Line 2 behind a hidden tab), the menus, the toolbar and
// the status bar with the character count. It is the only holder of the line text; every other
// window reaches the line through EditorHost.
class TForm1 final : public QMainWindow, public EditorHost {
    Q_OBJECT
public:
    explicit TForm1(QString settingsPath = DefaultSettingsPath(), QWidget* parent = nullptr);
    ~TForm1() override;

    // --- The line editors.
    // The editor of the selected tab.
    LineEditor* CurrentEdit() const { return m_current; }
    LineEditor* line1() const { return m_richEdit1; }
    LineEditor* line2() const { return m_richEdit2; }
    // Characters of the editor's line, tags and line breaks (CR LF, two) included.
    int TextLength(const LineEditor* editor) const;
    // The tick of the hidden item "Effect Control By Line 1".
    bool effectControlFlag() const;

    // --- EditorHost.
    QWidget* mainWindow() override { return this; }
    QTextEdit* currentEditor() const override;
    void SetTagColor() override;
    void ResetTextColor() override;
    void replaceSelection(const QString& text) override;
    void insertTag(const QString& tag) override;
    // The capitalised form on Line 1 with the effect control flag ticked and on Line 2, else the
    // lower-case form.
    void InsertEffectTag(const QString& capital, const QString& lowerCase) override;
    std::string lineText(int line) const override;
    int comPort() const override;
    QString settingsPath() const override { return PathText(m_settings.path()); }
    bool singleColorMode() const override { return m_singleColor; }
    // Hides the eight colour items a one-colour sign cannot show (or shows them again) and tells
    // the windows that follow the mode.
    void ApplyColorMode(bool single) override;
    void followColorMode(QObject* receiver, std::function<void(bool single)> apply) override;
    void bindCommand(const QString& itemName, std::function<void()> handler) override;
    void reportStatus(const QString& message) override;

    // --- Start-up and lookup.
    const SettingsFile& settings() const { return m_settings; }
    // Keeps a window created at start-up for the whole run.
    void adoptWindow(const QString& className, std::unique_ptr<QWidget> window);
    // A window created at start-up, by its class name ("TSetCom"); null when it is not there.
    QWidget* windowNamed(const QString& className) const;
    template <class T> T* windowOf() const {
        for (const auto& entry : m_windows) {
            if (auto* window = qobject_cast<T*>(entry.second.get())) {
                return window;
            }
        }
        return nullptr;
    }
    // Reads the message document `name` into Line 1, as File > Open does once a name is chosen.
    // A file that cannot be opened or read leaves the line as it was and shows the error box.
    void openDocument(const QString& name);
    // A menu item or toolbar button by its name ("SendMessages1", "ToolButton9").
    QAction* item(const QString& name) const;
    // The text of a status bar panel (0..2); only the second shows anything, the count.
    QString statusPanelText(int panel) const;
    // What the last command that ended without a box did, right of the panels.
    QString statusMessage() const;
    // The preview of Line 1 (under the line editors, shown or hidden from the View menu).
    PreviewModel& preview() const { return *m_previewModel; }
    // The Sign Log dock (View > Sign Log).
    SignLogDock& signLog() const { return *m_signLogDock; }

Q_SIGNALS:
    void colorModeChanged(bool single);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void createMenus();
    // The items of the menu table that run a handler of this window.
    void connectMenuHandlers();
    void setStandardKeys();
    void createToolBar();
    void createEditors();
    void createStatusBar();
    // The preview strip under the line editors and the View menu that shows or hides it.
    void createPreview();
    // The Sign Log dock (hidden unless the settings say otherwise) and its View menu item.
    void createSignLog();

    // Handlers.
    void NewClick();
    void OpenClick();
    void SaveClick();
    void ExitClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    void RichEditChange();
    void PageControl1Change(int index);
    bool RichEdit1KeyPress(QKeyEvent& event);
    void startupSettingsStep();

    SettingsFile m_settings;
    QFrame* m_controlBar1 = nullptr;
    QToolBar* m_toolBar1 = nullptr;
    QTabWidget* m_pageControl1 = nullptr;
    LineEditor* m_richEdit1 = nullptr;
    LineEditor* m_richEdit2 = nullptr;
    LineEditor* m_current = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    std::vector<QLabel*> m_statusPanels;
    QLabel* m_statusMessage = nullptr;
    PreviewModel* m_previewModel = nullptr;
    QDockWidget* m_previewDock = nullptr;
    QMenu* m_viewMenu = nullptr;
    std::shared_ptr<link::FrameLogQueue> m_frameLog;
    SignLogDock* m_signLogDock = nullptr;
    bool m_singleColor = false;
    bool m_shownOnce = false;
    std::vector<std::pair<QString, std::unique_ptr<QWidget>>> m_windows;
};

} // namespace lumivo::ui

#pragma once

#include "widgets/form.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace lumivo::ui {

class EditorHost;

// About: the program's icon and its version; OK closes it. Modal.
class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // The start-up factory: binds "About..." and, as the other item of the Help menu, "Read Me".
    static std::unique_ptr<QWidget> create(EditorHost& host);

    // "About...": shows the box application-modal and returns at once.
    void present();

    // Makes the form (and draws the icon) first: the box is built on its first show.
    void setVisible(bool visible) override;

private:
    void wireForm();

    FormOnFirstUse<Ui::TAboutBox, QDialog> m_ui;
};

} // namespace lumivo::ui

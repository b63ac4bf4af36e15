#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TSelectGaphName;
}

namespace lumivo::ui {
class EditorHost;
}

namespace lumivo::graphic {

class TGraphicForm;

// "Select Graphi Name": the graphic name Save writes, chosen from G01..G16. The dialog lives as
// long as the program, so it opens with the name chosen last. Shown application-modal without
// waiting; OK ends it with accepted(), Cancel with rejected().
class TSelectGaphName final : public QDialog {
    Q_OBJECT
public:
    explicit TSelectGaphName(QWidget* parent = nullptr);
    ~TSelectGaphName() override;

    // The start-up factory: `editor` is told to use this dialog.
    static std::unique_ptr<QWidget> create(ui::EditorHost& host, TGraphicForm& editor);

    void present();
    // The chosen entry, "G01".."G16".
    QString chosenName() const;

private:
    std::unique_ptr<Ui::TSelectGaphName> m_ui;
};

} // namespace lumivo::graphic

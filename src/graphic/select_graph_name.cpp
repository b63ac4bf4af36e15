#include "graphic/select_graph_name.h"

#include "graphic/graphic_form.h"
#include "ui_select_graph_name.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/list_combo.h"

#include <QComboBox>
#include <QPushButton>

namespace lumivo::graphic {

TSelectGaphName::TSelectGaphName(QWidget* parent)
    : QDialog(parent), m_ui(ui::SetUpForm<Ui::TSelectGaphName>(*this)) {
    setWindowModality(Qt::ApplicationModal);
    QStringList names;
    for (int number = 1; number <= kGraphicCount; ++number) {
        names.append(QString::fromStdString(GraphicName(number)));
    }
    ui::FillListCombo(*m_ui->ComboBox1, names);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TSelectGaphName::~TSelectGaphName() = default;

void TSelectGaphName::present() {
    open();
}

QString TSelectGaphName::chosenName() const {
    return m_ui->ComboBox1->currentText();
}

std::unique_ptr<QWidget> TSelectGaphName::create(ui::EditorHost&, TGraphicForm& editor) {
    auto dialog = std::make_unique<TSelectGaphName>(nullptr);
    editor.setNameDialog(dialog.get());
    return dialog;
}

} // namespace lumivo::graphic

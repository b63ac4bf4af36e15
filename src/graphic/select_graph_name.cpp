#include "graphic/select_graph_name.h"

#include "graphic/graphic_form.h"
#include "widgets/editor_host.h"
#include "widgets/list_combo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace lumivo::graphic {

TSelectGaphName::TSelectGaphName(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TSelectGaphName"));
    setWindowTitle(QStringLiteral("Select Graphi Name"));
    setWindowModality(Qt::ApplicationModal);

    QStringList names;
    for (int number = 1; number <= kGraphicCount; ++number) {
        names.append(QString::fromStdString(GraphicName(number)));
    }
    auto* label = new QLabel(QStringLiteral("File Name:"), this);
    m_names = ui::MakeListCombo(this, QStringLiteral("ComboBox1"), names);
    label->setBuddy(m_names);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_names, 0, 1, 1, 2);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(cancel, 1, 2);
}

void TSelectGaphName::Open() {
    open();
}

QString TSelectGaphName::chosenName() const {
    return m_names->currentText();
}

std::unique_ptr<QWidget> TSelectGaphName::Create(ui::EditorHost&, TGraphicForm& editor) {
    auto dialog = std::make_unique<TSelectGaphName>(nullptr);
    editor.setNameDialog(dialog.get());
    return dialog;
}

} // namespace lumivo::graphic

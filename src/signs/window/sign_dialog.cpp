#include "signs/window/sign_dialog.h"

#include "ui_sign_dialog.h"

#include "core/led_render.h"
#include "widgets/list_combo.h"

#include <QPushButton>

namespace lumivo::signs {

namespace {

QStringList ComPorts() {
    QStringList ports;
    for (int n = 1; n <= 8; ++n) {
        ports.append(QStringLiteral("COM%1").arg(n));
    }
    return ports;
}

// "01".."FF": 00 reaches every sign of a line at once and answers never, so it is no one sign's.
QStringList SignIds() {
    QStringList ids;
    for (int n = 1; n <= 0xFF; ++n) {
        ids.append(QStringLiteral("%1").arg(n, 2, 16, QLatin1Char('0')).toUpper());
    }
    return ids;
}

} // namespace

SignDialog::SignDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SignDialog>()) {
    m_ui->setupUi(this);
    m_ui->PortCombo->addItems(ComPorts());
    ui::FillListCombo(*m_ui->IdCombo, SignIds());
    ui::FillListCombo(*m_ui->ColoursCombo, {QStringLiteral("3"), QStringLiteral("1")});
    m_ui->WidthSpin->setRange(kMinSignColumns, kMaxSignColumns);
    m_ui->ProblemLabel->hide();
    connect(m_ui->ButtonBox, &QDialogButtonBox::accepted, this, &SignDialog::accept);
    connect(m_ui->ButtonBox, &QDialogButtonBox::rejected, this, &SignDialog::reject);
    setSign(Sign{});
}

SignDialog::~SignDialog() = default;

void SignDialog::setSign(const Sign& sign) {
    m_ui->NameEdit->setText(sign.name);
    m_ui->PortCombo->setEditText(sign.port.isEmpty() ? QStringLiteral("COM1") : sign.port);
    m_ui->IdCombo->setCurrentIndex(
        std::max(0, m_ui->IdCombo->findText(QString::fromStdString(sign.id))));
    m_ui->ColoursCombo->setCurrentIndex(sign.colours == 1 ? 1 : 0);
    m_ui->WidthSpin->setValue(sign.columns);
    m_ui->GroupsEdit->setText(sign.groups.join(QStringLiteral(", ")));
}

Sign SignDialog::sign() const {
    Sign sign;
    sign.name = m_ui->NameEdit->text().trimmed();
    sign.port = m_ui->PortCombo->currentText().trimmed();
    sign.id = m_ui->IdCombo->currentText().toStdString();
    sign.colours = m_ui->ColoursCombo->currentText().toInt();
    sign.columns = m_ui->WidthSpin->value();
    for (const QString& group : m_ui->GroupsEdit->text().split(QLatin1Char(','))) {
        if (!group.trimmed().isEmpty()) {
            sign.groups.append(group.trimmed());
        }
    }
    return sign;
}

QString SignDialog::problem() const {
    return m_ui->ProblemLabel->isHidden() ? QString() : m_ui->ProblemLabel->text();
}

void SignDialog::accept() {
    const Sign chosen = sign();
    std::optional<SignListProblem> problem;
    if (chosen.name.isEmpty()) {
        problem = SignListProblem{chosen.name, QStringLiteral("Name"),
                                  QStringLiteral("a sign needs a name")};
    } else {
        problem = CheckSign(chosen);
    }
    if (!problem && m_listCheck) {
        problem = m_listCheck(chosen);
    }
    if (problem) {
        m_ui->ProblemLabel->setText(problem->text());
        m_ui->ProblemLabel->show();
        return;
    }
    m_ui->ProblemLabel->hide();
    QDialog::accept();
}

} // namespace lumivo::signs

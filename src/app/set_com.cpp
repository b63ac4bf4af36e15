#include "app/set_com.h"

#include "link/port_names.h"
#include "ui_set_com.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/list_combo.h"
#include "widgets/prompter.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace lumivo::ui {

TSetCom::TSetCom(EditorHost& host)
    : m_host(host), m_settings(FileSystemPath(host.settingsPath())),
      m_ui(SetUpForm<Ui::TSetCom>(*this)), m_panels(*this, {m_ui->ComPanel, m_ui->displayPanel},
                                                    CommandPanels::Placement::CentredAlways) {
    setWindowModality(Qt::ApplicationModal);

    // The lists are chosen from, never typed into, open or closed.
    QStringList ports;
    for (int n = 1; n <= link::kComPortCount; ++n) {
        ports.append(link::ComPortName(n));
    }
    FillListCombo(*m_ui->ComboBox1, ports);
    QStringList times{QStringLiteral("0.5Sec")};
    for (int seconds = 1; seconds <= 25; ++seconds) {
        times.append(QStringLiteral("%1Sec").arg(seconds));
    }
    FillListCombo(*m_ui->ComboBox2, times);

    m_comPort = std::max(1, m_settings.readInt("Sign", "comport", 1));
    // A setting above 8 selects nothing; it stays as read until the panel is confirmed.
    m_ui->ComboBox1->setCurrentIndex(m_comPort <= link::kComPortCount ? m_comPort - 1 : -1);
    ComboBox1Change();

    connect(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TSetCom::ComboBox1Change);
    connect(m_ui->OK, &QPushButton::clicked, this, &TSetCom::OKClick);
    connect(m_ui->DisplayTimebtn, &QPushButton::clicked, this, &TSetCom::DisplayTimebtnClick);
}

TSetCom::~TSetCom() = default;

std::unique_ptr<QWidget> TSetCom::create(EditorHost& host) {
    auto dialog = std::make_unique<TSetCom>(host);
    TSetCom* com = dialog.get();
    host.bindCommand(QStringLiteral("SetCommu"), [com] { com->showComPanel(); });
    host.bindCommand(QStringLiteral("DisplayTime1"), [com] { com->showDisplayPanel(); });
    return dialog;
}

void TSetCom::showComPanel() {
    ComboBox1Change(); // the mapping may have changed since last time
    m_panels.open({m_ui->ComPanel, QStringLiteral("Set COM")}, Qt::ApplicationModal);
}

void TSetCom::showDisplayPanel() {
    m_panels.open({m_ui->displayPanel, QStringLiteral("Display Time")}, Qt::ApplicationModal);
}

void TSetCom::OKClick() {
    m_comPort = m_ui->ComboBox1->currentIndex() + 1; // 0 when nothing is selected
    if (const Status written = m_settings.writeInt("Sign", "comport", m_comPort); !written) {
        ShowErrorWithDetails(this,
                             QStringLiteral("Unable to write to %1")
                                 .arg(QDir::toNativeSeparators(PathText(m_settings.path()))),
                             QString::fromStdString(written.error().message));
        return;
    }
    accept();
}

void TSetCom::DisplayTimebtnClick() {
    m_host.insertTag(QLatin1Char('<') + m_ui->ComboBox2->currentText() + QLatin1Char('>'));
    accept();
}

namespace {

QString TargetDescription(int n, const QString& settings) {
    const QString target = link::ComPortTarget(n, settings);
    if (link::ComPortIsMapped(n, settings)) {
        return QStringLiteral("%1 is mapped to %2 in the [Ports] section of %3")
            .arg(link::ComPortName(n), target, QDir::toNativeSeparators(settings));
    }
    return QStringLiteral("%1 is the system's %2").arg(link::ComPortName(n), target);
}

} // namespace

void TSetCom::ComboBox1Change() {
    const QString settings = PathText(m_settings.path());
    for (int n = 1; n <= m_ui->ComboBox1->count(); ++n) {
        m_ui->ComboBox1->setItemData(n - 1, TargetDescription(n, settings), Qt::ToolTipRole);
    }
    const int n = m_ui->ComboBox1->currentIndex() + 1;
    if (n < 1) {
        m_ui->ComTargetLabel->clear();
        m_ui->ComTargetLabel->setToolTip(QString());
        return;
    }
    m_ui->ComTargetLabel->setText(QStringLiteral("\u2192 ") + link::ComPortTarget(n, settings));
    m_ui->ComTargetLabel->setToolTip(TargetDescription(n, settings));
}

} // namespace lumivo::ui

#include "app/set_com.h"

#include "link/port_names.h"
#include "widgets/editor_host.h"
#include "widgets/list_combo.h"
#include "widgets/placement.h"
#include "widgets/prompter.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivo::ui {

TSetCom::TSetCom(EditorHost& host) : m_host(host), m_settings(FileSystemPath(host.SettingsPath())) {
    setObjectName(QStringLiteral("TSetCom"));
    setWindowModality(Qt::ApplicationModal);

    m_comPanel = new QWidget(this);
    m_comPanel->setObjectName(QStringLiteral("ComPanel"));
    auto* comLayout = new QGridLayout(m_comPanel);
    auto* comLabel = new QLabel(QStringLiteral("COM Port:"), m_comPanel);
    // The lists are chosen from, never typed into, open or closed.
    QStringList ports;
    for (int n = 1; n <= link::kComPortCount; ++n) {
        ports.append(link::ComPortName(n));
    }
    m_comboBox1 = MakeListCombo(m_comPanel, QStringLiteral("ComboBox1"), ports);
    m_comTarget = new QLabel(m_comPanel);
    m_comTarget->setObjectName(QStringLiteral("ComTargetLabel"));
    m_comTarget->setMinimumWidth(140);
    m_comTarget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_ok = new QPushButton(QStringLiteral("OK"), m_comPanel);
    m_ok->setObjectName(QStringLiteral("OK"));
    comLabel->setBuddy(m_comboBox1);
    comLayout->addWidget(comLabel, 0, 0);
    comLayout->addWidget(m_comboBox1, 0, 1);
    comLayout->addWidget(m_comTarget, 0, 2);
    comLayout->addWidget(m_ok, 1, 1, 1, 2, Qt::AlignRight);

    m_displayPanel = new QWidget(this);
    m_displayPanel->setObjectName(QStringLiteral("displayPanel"));
    auto* displayLayout = new QGridLayout(m_displayPanel);
    auto* displayLabel = new QLabel(QStringLiteral("Display Time:"), m_displayPanel);
    QStringList times{QStringLiteral("0.5Sec")};
    for (int seconds = 1; seconds <= 25; ++seconds) {
        times.append(QStringLiteral("%1Sec").arg(seconds));
    }
    m_comboBox2 = MakeListCombo(m_displayPanel, QStringLiteral("ComboBox2"), times);
    m_displayTimeButton = new QPushButton(QStringLiteral("OK"), m_displayPanel);
    m_displayTimeButton->setObjectName(QStringLiteral("DisplayTimebtn"));
    displayLabel->setBuddy(m_comboBox2);
    displayLayout->addWidget(displayLabel, 0, 0);
    displayLayout->addWidget(m_comboBox2, 0, 1);
    displayLayout->addWidget(m_displayTimeButton, 1, 1, Qt::AlignRight);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_comPanel);
    layout->addWidget(m_displayPanel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_comPort = std::max(1, m_settings.readInt("Sign", "comport", 1));
    // A setting above 8 selects nothing; it stays as read until the panel is confirmed.
    m_comboBox1->setCurrentIndex(m_comPort <= link::kComPortCount ? m_comPort - 1 : -1);
    ComboBox1Change();

    connect(m_comboBox1, &QComboBox::currentIndexChanged, this, &TSetCom::ComboBox1Change);
    connect(m_ok, &QPushButton::clicked, this, &TSetCom::OKClick);
    connect(m_displayTimeButton, &QPushButton::clicked, this, &TSetCom::DisplayTimebtnClick);
}

std::unique_ptr<QWidget> TSetCom::Create(EditorHost& host) {
    auto dialog = std::make_unique<TSetCom>(host);
    TSetCom* com = dialog.get();
    host.BindCommand(QStringLiteral("SetCommu"), [com] { com->ShowComPanel(); });
    host.BindCommand(QStringLiteral("DisplayTime1"), [com] { com->ShowDisplayPanel(); });
    return dialog;
}

void TSetCom::ShowComPanel() {
    m_displayPanel->hide();
    m_comPanel->show();
    setWindowTitle(QStringLiteral("Set COM"));
    ComboBox1Change(); // the mapping may have changed since last time
    ShowModal();
}

void TSetCom::ShowDisplayPanel() {
    m_comPanel->hide();
    m_displayPanel->show();
    setWindowTitle(QStringLiteral("Display Time"));
    ShowModal();
}

void TSetCom::ShowModal() {
    adjustSize();
    CentreOnDesktop(*this);
    show();
    raise();
    activateWindow();
}

void TSetCom::OKClick() {
    m_comPort = m_comboBox1->currentIndex() + 1; // 0 when nothing is selected
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
    m_host.InsertTag(QLatin1Char('<') + m_comboBox2->currentText() + QLatin1Char('>'));
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
    for (int n = 1; n <= m_comboBox1->count(); ++n) {
        m_comboBox1->setItemData(n - 1, TargetDescription(n, settings), Qt::ToolTipRole);
    }
    const int n = m_comboBox1->currentIndex() + 1;
    if (n < 1) {
        m_comTarget->clear();
        m_comTarget->setToolTip(QString());
        return;
    }
    m_comTarget->setText(QStringLiteral("\u2192 ") + link::ComPortTarget(n, settings));
    m_comTarget->setToolTip(TargetDescription(n, settings));
}

} // namespace lumivo::ui

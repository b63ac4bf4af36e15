#include "app/dialogs/move_speed_dialog.h"

#include "widgets/editor_host.h"
#include "widgets/list_combo.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

constexpr int kFastestSpeed = 3;
constexpr int kColumns = 256;

} // namespace

TMoveSpeedfrm::TMoveSpeedfrm(std::function<void(const QString&)> insertTag, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_insertTag(std::move(insertTag)) {
    setObjectName(QStringLiteral("TMoveSpeedfrm"));

    // Column panel.
    m_columnPanel = new QWidget(this);
    m_columnPanel->setObjectName(QStringLiteral("Panel1"));
    m_columnPanel->setMinimumWidth(240);
    QStringList columns;
    for (int column = 0; column < kColumns; ++column) {
        columns.append(QString::number(column));
    }
    m_column = MakeListCombo(m_columnPanel, QStringLiteral("ComboBox1"), columns);
    m_column->setMinimumWidth(80);
    m_columnOk = new QPushButton(QStringLiteral("OK"), m_columnPanel);
    m_columnOk->setObjectName(QStringLiteral("Button1"));
    auto* columnLabel = new QLabel(QStringLiteral("Column:"), m_columnPanel);
    columnLabel->setBuddy(m_column);
    auto* columnRow = new QHBoxLayout;
    columnRow->addWidget(columnLabel);
    columnRow->addWidget(m_column);
    columnRow->addStretch(1);
    auto* columnButtons = new QHBoxLayout;
    columnButtons->addStretch(1);
    columnButtons->addWidget(m_columnOk);
    auto* columnLayout = new QVBoxLayout(m_columnPanel);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(12);
    columnLayout->addLayout(columnRow);
    columnLayout->addLayout(columnButtons);

    // Speed panel: fast at the left end, slow at the right.
    m_speedPanel = new QWidget(this);
    m_speedPanel->setObjectName(QStringLiteral("speedPanel"));
    m_speed = new QSlider(Qt::Horizontal, m_speedPanel);
    m_speed->setObjectName(QStringLiteral("TrackBar1"));
    m_speed->setRange(0, kFastestSpeed);
    m_speed->setPageStep(1);
    m_speed->setTickInterval(1);
    m_speed->setTickPosition(QSlider::TicksBelow);
    m_speed->setValue(0);
    m_speedPanel->setMinimumWidth(240);
    m_speedOk = new QPushButton(QStringLiteral("OK"), m_speedPanel);
    m_speedOk->setObjectName(QStringLiteral("OK"));
    auto* fast = new QLabel(QStringLiteral("3 Fast"), m_speedPanel);
    auto* slow = new QLabel(QStringLiteral("0 Slow"), m_speedPanel);
    auto* ends = new QHBoxLayout;
    ends->addWidget(fast);
    ends->addStretch(1);
    ends->addWidget(slow);
    auto* speedButtons = new QHBoxLayout;
    speedButtons->addStretch(1);
    speedButtons->addWidget(m_speedOk);
    auto* speedLayout = new QVBoxLayout(m_speedPanel);
    speedLayout->setContentsMargins(0, 0, 0, 0);
    speedLayout->setSpacing(4);
    speedLayout->addWidget(m_speed);
    speedLayout->addLayout(ends);
    speedLayout->addSpacing(8);
    speedLayout->addLayout(speedButtons);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(m_columnPanel);
    layout->addWidget(m_speedPanel);
    m_columnPanel->hide();
    setWindowTitle(QStringLiteral("Move Speed"));

    connect(m_columnOk, &QPushButton::clicked, this, &TMoveSpeedfrm::Button1Click);
    connect(m_speedOk, &QPushButton::clicked, this, &TMoveSpeedfrm::OKClick);
}

std::unique_ptr<QWidget> TMoveSpeedfrm::Create(EditorHost& host) {
    auto window =
        std::make_unique<TMoveSpeedfrm>([&host](const QString& tag) { host.InsertTag(tag); });
    TMoveSpeedfrm* dialog = window.get();
    host.BindCommand(QStringLiteral("MoveSpeed1"), [dialog] { dialog->OpenMoveSpeed(); });
    host.BindCommand(QStringLiteral("Column1"), [dialog] { dialog->OpenColumn(); });
    return window;
}

void TMoveSpeedfrm::showWindow() {
    adjustSize();
    ShowInFront(*this, m_shown);
}

void TMoveSpeedfrm::OpenMoveSpeed() {
    m_columnPanel->hide();
    m_speedPanel->show();
    setWindowTitle(QStringLiteral("Move Speed"));
    showWindow();
    m_speed->setFocus();
}

void TMoveSpeedfrm::OpenColumn() {
    m_speedPanel->hide();
    m_columnPanel->show();
    setWindowTitle(QStringLiteral("Set Starting Column"));
    showWindow();
    m_column->setFocus();
}

QString TMoveSpeedfrm::ColumnTag() const {
    return QStringLiteral("<COL %1>")
        .arg(std::max(0, m_column->currentIndex()), 3, 10, QLatin1Char('0'));
}

QString TMoveSpeedfrm::SpeedTag() const {
    return QStringLiteral("<Speed %1>").arg(kFastestSpeed - m_speed->value());
}

void TMoveSpeedfrm::Button1Click() {
    m_insertTag(ColumnTag());
    close();
}

void TMoveSpeedfrm::OKClick() {
    m_insertTag(SpeedTag());
    close();
}

} // namespace lumivo::ui

#include "dialogs/move_speed_dialog.h"

#include "ui_move_speed_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/list_combo.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>

namespace lumivo::ui {

namespace {

constexpr int kFastestSpeed = 3;
constexpr int kColumns = 256;

} // namespace

TMoveSpeedfrm::TMoveSpeedfrm(std::function<void(const QString&)> insertTag, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_insertTag(std::move(insertTag)), m_ui(SetUpForm<Ui::TMoveSpeedfrm>(*this)),
      m_panels(*this, {m_ui->Panel1, m_ui->speedPanel}) {
    QStringList columns;
    for (int column = 0; column < kColumns; ++column) {
        columns.append(QString::number(column));
    }
    FillListCombo(*m_ui->ComboBox1, columns);
    // Fast at the left end, slow at the right.
    m_ui->TrackBar1->setRange(0, kFastestSpeed);
    m_panels.select(speedCommand());

    connect(m_ui->Button1, &QPushButton::clicked, this, &TMoveSpeedfrm::Button1Click);
    connect(m_ui->OK, &QPushButton::clicked, this, &TMoveSpeedfrm::OKClick);
}

TMoveSpeedfrm::~TMoveSpeedfrm() = default;

std::unique_ptr<QWidget> TMoveSpeedfrm::create(EditorHost& host) {
    auto window =
        std::make_unique<TMoveSpeedfrm>([&host](const QString& tag) { host.insertTag(tag); });
    TMoveSpeedfrm* dialog = window.get();
    host.bindCommand(QStringLiteral("MoveSpeed1"), [dialog] { dialog->openMoveSpeed(); });
    host.bindCommand(QStringLiteral("Column1"), [dialog] { dialog->openColumn(); });
    return window;
}

CommandPanels::Command TMoveSpeedfrm::speedCommand() const {
    return {m_ui->speedPanel, QStringLiteral("Move Speed"), m_ui->TrackBar1, m_ui->OK};
}

void TMoveSpeedfrm::openMoveSpeed() {
    m_panels.open(speedCommand(), Qt::NonModal);
}

void TMoveSpeedfrm::openColumn() {
    m_panels.open(
        {m_ui->Panel1, QStringLiteral("Set Starting Column"), m_ui->ComboBox1, m_ui->Button1},
        Qt::NonModal);
}

QString TMoveSpeedfrm::columnTag() const {
    return QStringLiteral("<COL %1>")
        .arg(std::max(0, m_ui->ComboBox1->currentIndex()), 3, 10, QLatin1Char('0'));
}

QString TMoveSpeedfrm::speedTag() const {
    return QStringLiteral("<Speed %1>").arg(kFastestSpeed - m_ui->TrackBar1->value());
}

void TMoveSpeedfrm::Button1Click() {
    m_insertTag(columnTag());
    close();
}

void TMoveSpeedfrm::OKClick() {
    m_insertTag(speedTag());
    close();
}

} // namespace lumivo::ui

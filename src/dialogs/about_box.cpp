#include "dialogs/about_box.h"

#include "core/version.h"
#include "dialogs/program_icon.h"
#include "dialogs/read_me.h"
#include "ui_about_box.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QLabel>
#include <QPushButton>

namespace lumivo::ui {

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ui(*this, [this](Ui::TAboutBox&) { wireForm(); }) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowModality(Qt::ApplicationModal);
}

void TAboutBox::wireForm() {
    m_ui->ProgramIcon->setPixmap(ProgramIcon().pixmap(64, 64));

    QFont nameFont = m_ui->ProductName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    m_ui->ProductName->setFont(nameFont);

    m_ui->Version->setText(QStringLiteral("Version:     ") + QString::fromLatin1(kVersion));
    QFont bold = m_ui->Version->font();
    bold.setBold(true);
    m_ui->Version->setFont(bold);

    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::setVisible(bool visible) {
    if (visible) {
        m_ui.make();
    }
    QDialog::setVisible(visible);
}

std::unique_ptr<QWidget> TAboutBox::create(EditorHost& host) {
    auto window = std::make_unique<TAboutBox>();
    TAboutBox* box = window.get();
    host.bindCommand(QStringLiteral("About1"), [box] { box->present(); });
    host.bindCommand(QStringLiteral("ReadMe1"), [&host] { ReadMe1Click(host.mainWindow()); });
    return window;
}

void TAboutBox::present() {
    show();
    CentreOnScreen(*this);
    raise();
    activateWindow();
    m_ui->OKButton->setFocus();
}

} // namespace lumivo::ui

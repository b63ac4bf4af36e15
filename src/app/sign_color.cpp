#include "app/sign_color.h"

#include "app/artwork.h"
#include "ui_sign_color.h"
#include "widgets/editor_host.h"
#include "widgets/placement.h"
#include "widgets/prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace lumivo::ui {

TsignColorfrm::TsignColorfrm(EditorHost& host)
    : m_host(host), m_settings(FileSystemPath(host.settingsPath())),
      m_ui(std::make_unique<Ui::TsignColorfrm>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    connect(m_ui->Button1, &QPushButton::clicked, this, &TsignColorfrm::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TsignColorfrm::Button2Click);
    // However the dialog closes, the main window takes input again.
    connect(this, &QDialog::finished, m_host.mainWindow(),
            [this] { m_host.mainWindow()->setEnabled(true); });
}

TsignColorfrm::~TsignColorfrm() = default;

std::unique_ptr<QWidget> TsignColorfrm::create(EditorHost& host) {
    auto dialog = std::make_unique<TsignColorfrm>(host);
    TsignColorfrm* colour = dialog.get();
    host.bindCommand(QStringLiteral("ShowColorConfig1"),
                     [colour] { colour->ShowColorConfig1Click(); });
    return dialog;
}

void TsignColorfrm::load(int color, int showform) {
    (color == 2 ? m_ui->rb02 : m_ui->rb01)->setChecked(true);
    m_ui->CheckBox1->setChecked(showform == 1);
}

void TsignColorfrm::showAtStart() {
    present(Qt::NonModal);
}

void TsignColorfrm::ShowColorConfig1Click() {
    load(m_settings.readInt("Sign", "color", 2), m_settings.readInt("Sign", "showform", 1));
    present(Qt::ApplicationModal);
}

void TsignColorfrm::present(Qt::WindowModality modality) {
    if (isVisible()) {
        raise();
        return;
    }
    // Most runs never show the dialog: its pictures are drawn the first time it is.
    if (m_ui->TriplePicture->pixmap().isNull()) {
        m_ui->TriplePicture->setPixmap(SignPicture(true));
        m_ui->SinglePicture->setPixmap(SignPicture(false));
    }
    setWindowModality(modality);
    adjustSize();
    CentreOnDesktop(*this);
    show();
    raise();
    activateWindow();
}

void TsignColorfrm::Button1Click() {
    const SettingsFile& settings = m_settings;
    const bool triple = m_ui->rb02->isChecked();
    const auto unableToWrite = [&](const Status& written) {
        ShowErrorWithDetails(this,
                             QStringLiteral("Unable to write to %1")
                                 .arg(QDir::toNativeSeparators(PathText(settings.path()))),
                             QString::fromStdString(written.error().message));
    };
    if (const Status written = settings.writeInt("Sign", "color", triple ? 2 : 1); !written) {
        unableToWrite(written);
        return;
    }
    if (const Status written =
            settings.writeInt("Sign", "showform", m_ui->CheckBox1->isChecked() ? 1 : 0);
        !written) {
        unableToWrite(written);
        return;
    }
    m_host.ApplyColorMode(!triple);
    accept();
}

void TsignColorfrm::Button2Click() {
    reject();
}

} // namespace lumivo::ui

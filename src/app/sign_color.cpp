#include "app/sign_color.h"

#include "app/artwork.h"
#include "widgets/editor_host.h"
#include "widgets/placement.h"
#include "widgets/prompter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lumivo::ui {

TsignColorfrm::TsignColorfrm(EditorHost& host)
    : m_host(host), m_settings(FileSystemPath(host.SettingsPath())) {
    setObjectName(QStringLiteral("TsignColorfrm"));
    setWindowTitle(QStringLiteral("Sign Color"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(16);
    m_rb02 = new QRadioButton(QStringLiteral("TRIPLE COLOR"), group);
    m_rb02->setObjectName(QStringLiteral("rb02"));
    m_rb01 = new QRadioButton(QStringLiteral("SINGLE COLOR"), group);
    m_rb01->setObjectName(QStringLiteral("rb01"));
    auto picture = [group](const char* name, bool triple) {
        auto* label = new QLabel(group);
        label->setObjectName(QString::fromLatin1(name));
        label->setPixmap(SignPicture(triple));
        return label;
    };
    grid->addWidget(m_rb02, 0, 0);
    grid->addWidget(picture("TriplePicture", true), 0, 1);
    grid->addWidget(m_rb01, 1, 0);
    grid->addWidget(picture("SinglePicture", false), 1, 1);
    m_rb02->setChecked(true);

    m_checkBox1 = new QCheckBox(QStringLiteral("Show when program starts"), this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setChecked(true);

    m_button1 = new QPushButton(QStringLiteral("OK"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setDefault(true);
    m_button2 = new QPushButton(QStringLiteral("Cancel"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button1);
    buttons->addWidget(m_button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(m_checkBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_button1, &QPushButton::clicked, this, &TsignColorfrm::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TsignColorfrm::Button2Click);
    // However the dialog closes, the main window takes input again.
    connect(this, &QDialog::finished, m_host.MainWindow(),
            [this] { m_host.MainWindow()->setEnabled(true); });
}

std::unique_ptr<QWidget> TsignColorfrm::Create(EditorHost& host) {
    auto dialog = std::make_unique<TsignColorfrm>(host);
    TsignColorfrm* colour = dialog.get();
    host.BindCommand(QStringLiteral("ShowColorConfig1"),
                     [colour] { colour->ShowColorConfig1Click(); });
    return dialog;
}

void TsignColorfrm::Load(int color, int showform) {
    (color == 2 ? m_rb02 : m_rb01)->setChecked(true);
    m_checkBox1->setChecked(showform == 1);
}

void TsignColorfrm::ShowAtStart() {
    Present(Qt::NonModal);
}

void TsignColorfrm::ShowColorConfig1Click() {
    Load(m_settings.readInt("Sign", "color", 2), m_settings.readInt("Sign", "showform", 1));
    Present(Qt::ApplicationModal);
}

void TsignColorfrm::Present(Qt::WindowModality modality) {
    if (isVisible()) {
        raise();
        return;
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
    const bool triple = m_rb02->isChecked();
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
            settings.writeInt("Sign", "showform", m_checkBox1->isChecked() ? 1 : 0);
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

#include "app/dialogs/about_box.h"

#include "app/dialogs/program_icon.h"
#include "app/dialogs/read_me.h"
#include "core/version.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivo::ui {

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowModality(Qt::ApplicationModal);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setFixedSize(64, 64);

    auto* name = new QLabel(QStringLiteral("Lumivo"), panel);
    name->setObjectName(QStringLiteral("ProductName"));
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    name->setFont(nameFont);

    auto* version =
        new QLabel(QStringLiteral("Version:     ") + QString::fromLatin1(kVersion), panel);
    version->setObjectName(QStringLiteral("Version"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    auto* licence = new QLabel(QStringLiteral("Licensed under the MIT licence"), panel);
    licence->setObjectName(QStringLiteral("Licence"));

    auto* texts = new QVBoxLayout;
    texts->addStretch(1);
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(licence);
    texts->addStretch(1);

    auto* inside = new QHBoxLayout(panel);
    inside->setContentsMargins(14, 14, 24, 14);
    inside->setSpacing(18);
    inside->addWidget(icon, 0, Qt::AlignVCenter);
    inside->addLayout(texts);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

std::unique_ptr<QWidget> TAboutBox::Create(EditorHost& host) {
    auto window = std::make_unique<TAboutBox>();
    TAboutBox* box = window.get();
    host.BindCommand(QStringLiteral("About1"), [box] { box->Open(); });
    host.BindCommand(QStringLiteral("ReadMe1"), [&host] { ReadMe1Click(host.MainWindow()); });
    return window;
}

void TAboutBox::Open() {
    show();
    CentreOnScreen(*this);
    raise();
    activateWindow();
    m_ok->setFocus();
}

} // namespace lumivo::ui

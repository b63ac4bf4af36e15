#include "app/dialogs/link_pages_dialog.h"

#include "link/runners.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace lumivo::ui {

TLinkpagefrm::TLinkpagefrm(link::SignConnection connection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_connection(std::move(connection)) {
    setObjectName(QStringLiteral("TLinkpagefrm"));
    setWindowTitle(QStringLiteral("Link Pages"));
    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TLinkpagefrm::commandFinished);

    m_signId = MakeSignIdCombo(this, QStringLiteral("ComboBox1"));
    m_pages = new QLineEdit(this);
    m_pages->setObjectName(QStringLiteral("Edit1"));
    // Letters only, typed or pasted; Backspace and the cursor keys work as usual.
    m_pages->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]*")), m_pages));
    m_pages->setMinimumWidth(160);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setAutoDefault(false);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    auto* idLabel = new QLabel(QStringLiteral("Sign ID:"), this);
    idLabel->setBuddy(m_signId);
    auto* pageLabel = new QLabel(QStringLiteral("Page: (e.g. abcED)"), this);
    pageLabel->setBuddy(m_pages);
    form->addWidget(idLabel, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    form->addWidget(m_signId, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    form->addWidget(pageLabel, 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    form->addWidget(m_pages, 1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(12);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &TLinkpagefrm::OKClick);
}

TLinkpagefrm::~TLinkpagefrm() = default;

std::unique_ptr<QWidget> TLinkpagefrm::Create(EditorHost& host) {
    auto window = std::make_unique<TLinkpagefrm>(
        link::MakeSignConnection([&host] { return host.ComPort(); }, host.SettingsPath()));
    TLinkpagefrm* dialog = window.get();
    host.BindCommand(QStringLiteral("LinkPagesToRun1"), [dialog] { dialog->Open(); });
    return window;
}

void TLinkpagefrm::Open() {
    ShowInFront(*this, m_shown);
    m_pages->setFocus();
}

bool TLinkpagefrm::isRunning() const {
    return m_command->isRunning();
}

void TLinkpagefrm::OKClick() {
    if (m_command->isRunning()) {
        return;
    }
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    m_ok->setEnabled(false);
    m_command->start([opener = std::move(opener), clock = std::move(clock),
                      signId = SignIdOf(*m_signId),
                      pages = m_pages->text().toStdString()](const link::Progress&) {
        return link::RunLinkPages(opener, *clock, signId, pages);
    });
}

void TLinkpagefrm::commandFinished(const link::Outcome& outcome) {
    m_ok->setEnabled(true);
    ShowOutcome(isVisible() ? this : nullptr, outcome);
}

} // namespace lumivo::ui

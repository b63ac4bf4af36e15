#include "dialogs/link_pages_dialog.h"

#include "link/runners.h"
#include "ui_link_pages_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace lumivo::ui {

TLinkpagefrm::TLinkpagefrm(link::SignConnection connection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_connection(std::move(connection)), m_ui(std::make_unique<Ui::TLinkpagefrm>()) {
    m_ui->setupUi(this);
    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TLinkpagefrm::commandFinished);

    FillSignIdCombo(*m_ui->ComboBox1);
    // Letters only, typed or pasted; Backspace and the cursor keys work as usual.
    m_ui->Edit1->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z]*")), m_ui->Edit1));
    connect(m_ui->OK, &QPushButton::clicked, this, &TLinkpagefrm::OKClick);
}

TLinkpagefrm::~TLinkpagefrm() = default;

std::unique_ptr<QWidget> TLinkpagefrm::create(EditorHost& host) {
    auto window = std::make_unique<TLinkpagefrm>(
        link::MakeSignConnection([&host] { return host.comPort(); }, host.settingsPath()));
    TLinkpagefrm* dialog = window.get();
    host.bindCommand(QStringLiteral("LinkPagesToRun1"), [dialog] { dialog->present(); });
    return window;
}

void TLinkpagefrm::present() {
    ShowInFront(*this, m_shown);
    m_ui->Edit1->setFocus();
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
    m_ui->OK->setEnabled(false);
    m_command->start(
        [opener = std::move(opener), clock = std::move(clock), signId = SignIdOf(*m_ui->ComboBox1),
         pages = m_ui->Edit1->text().toStdString()](const link::Progress&) {
            return link::RunLinkPages(opener, *clock, signId, pages);
        },
        "Link Pages");
}

void TLinkpagefrm::commandFinished(const link::Outcome& outcome) {
    m_ui->OK->setEnabled(true);
    ShowOutcome(isVisible() ? this : nullptr, outcome);
}

} // namespace lumivo::ui

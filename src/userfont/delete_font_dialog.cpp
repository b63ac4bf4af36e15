#include "userfont/delete_font_dialog.h"

#include "core/euro_picture.h"
#include "core/file_io.h"
#include "core/program_folder.h"
#include "core/userfont.h"
#include "link/runners.h"
#include "userfont/euro_char_form.h"
#include "userfont/euro_picture_file.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

namespace lumivo::ui {

TDeleteFontfrm::TDeleteFontfrm(RecallContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)) {
    setObjectName(QStringLiteral("TDeleteFontfrm"));
    setWindowTitle(QStringLiteral("Confirm"));
    setWindowModality(Qt::ApplicationModal);

    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TDeleteFontfrm::recallFinished);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    icon->setFixedSize(32, 32);

    auto* signIdLabel = new QLabel(QStringLiteral("Sign ID:"), this);
    m_signId = MakeSignIdCombo(this, QStringLiteral("ComboBox1"));
    signIdLabel->setBuddy(m_signId);

    auto* message = new QLabel(QStringLiteral("Please connect the data cable to the sign.\n"
                                              "This process recalls the Default Font to\n"
                                              "the sign and PC program software. "),
                               this);
    message->setObjectName(QStringLiteral("Label2"));

    m_yes = new QPushButton(QStringLiteral("Yes"), this);
    m_yes->setObjectName(QStringLiteral("Button1"));
    m_yes->setAutoDefault(true);
    m_yes->setDefault(true);
    auto* no = new QPushButton(QStringLiteral("No"), this);
    no->setObjectName(QStringLiteral("Button2"));
    no->setAutoDefault(true);

    auto* top = new QGridLayout;
    top->setHorizontalSpacing(12);
    top->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(signIdLabel);
    idRow->addWidget(m_signId);
    idRow->addStretch(1);
    top->addLayout(idRow, 0, 1);
    top->addWidget(message, 1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_yes);
    buttons->addWidget(no);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(m_yes, &QPushButton::clicked, this, &TDeleteFontfrm::Button1Click);
    connect(no, &QPushButton::clicked, this, &TDeleteFontfrm::reject);
}

void TDeleteFontfrm::BindMenuItem(EditorHost& host, TuEuropeanCharForm& europeanChars) {
    host.BindCommand(QStringLiteral("DeleteUserFontRecallDefault1"), [&host, &europeanChars] {
        RecallContext context;
        context.connection =
            link::MakeSignConnection([&host] { return host.ComPort(); }, host.SettingsPath());
        context.picker = [&europeanChars] { return &europeanChars; };
        context.factoryFile = ReadOnlyDataFile("EuroCharFormDefault.bmp");
        context.pictureFile = WritableProgramFolder() / "EuroCharForm58204.bmp";
        context.reportStatus = [&host](const QString& message) { host.ReportStatus(message); };
        auto* dialog = new TDeleteFontfrm(std::move(context), host.MainWindow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->openModal();
    });
}

void TDeleteFontfrm::openModal() {
    adjustSize();
    ShowInFront(*this, m_shown);
    m_yes->setFocus();
}

void TDeleteFontfrm::reject() {
    if (m_command->isRunning()) {
        return;
    }
    QDialog::reject();
}

void TDeleteFontfrm::Button1Click() {
    if (m_command->isRunning()) {
        return;
    }
    m_yes->setEnabled(false);
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    m_command->start([opener = std::move(opener), clock = std::move(clock),
                      signId = SignIdOf(*m_signId)](const link::Progress&) {
        return link::RunRecallDefaultFont(opener, *clock, signId);
    });
}

void TDeleteFontfrm::recallFinished(const link::Outcome& outcome) {
    // Only a recall the sign took (or sent to every sign) changes the pictures.
    if (outcome.success) {
        restoreFactoryPicture();
    }
    m_yes->setEnabled(true);
    ShowOutcome(this, outcome);
}

void TDeleteFontfrm::restoreFactoryPicture() {
    // Without the factory file the built-in picture stands in for it: the sign has its default
    // font back, so neither the picker nor the saved picture may keep the user characters.
    FactoryEuroPicture factory = LoadFactoryEuroPicture(m_context.factoryFile);
    if (!factory.problem.empty() && m_context.reportStatus) {
        m_context.reportStatus(
            QString::fromStdString(factory.problem) +
            QStringLiteral(" - the built-in European character picture is used"));
    }
    if (TuEuropeanCharForm* picker = m_context.picker ? m_context.picker() : nullptr) {
        picker->replacePicture(std::move(factory.picture));
    }
    const Status picture = WriteFileReplacing(m_context.pictureFile, factory.file);
    // The sign holds no user character any more: the preview goes back to the factory glyphs.
    const Status record =
        WriteFontFile(m_context.pictureFile.parent_path() / kSentUserFontFile, {});
    const Status& written = picture ? record : picture;
    if (!written) {
        ShowOutcome(this, link::Outcome{link::BoxKind::Error,
                                        " Cannot save the European character picture ", false,
                                        written.error().message});
    }
}

} // namespace lumivo::ui

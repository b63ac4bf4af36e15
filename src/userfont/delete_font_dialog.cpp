#include "userfont/delete_font_dialog.h"

#include "core/euro_picture.h"
#include "core/file_io.h"
#include "core/program_folder.h"
#include "core/userfont.h"
#include "link/runners.h"
#include "ui_delete_font_dialog.h"
#include "userfont/euro_char_form.h"
#include "userfont/euro_picture_file.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/window_support.h"

#include <QStyle>

#include <memory>

namespace lumivo::userfont {

TDeleteFontfrm::TDeleteFontfrm(RecallContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)), m_ui(ui::SetUpForm<Ui::TDeleteFontfrm>(*this)) {
    setWindowModality(Qt::ApplicationModal);
    m_ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    ui::FillSignIdCombo(*m_ui->ComboBox1);

    m_command = new link::CommandThread(this);
    connect(m_command, &link::CommandThread::finished, this, &TDeleteFontfrm::recallFinished);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TDeleteFontfrm::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TDeleteFontfrm::reject);
}

TDeleteFontfrm::~TDeleteFontfrm() = default;

void TDeleteFontfrm::bindMenuItem(ui::EditorHost& host, TuEuropeanCharForm& europeanChars) {
    host.bindCommand(QStringLiteral("DeleteUserFontRecallDefault1"), [&host, &europeanChars] {
        RecallContext context;
        context.connection =
            link::MakeSignConnection([&host] { return host.comPort(); }, host.settingsPath());
        context.picker = [&europeanChars] { return &europeanChars; };
        context.factoryFile = ReadOnlyDataFile("EuroCharFormDefault.bmp");
        context.pictureFile = WritableProgramFolder() / "EuroCharForm58204.bmp";
        context.reportStatus = [&host](const QString& message) { host.reportStatus(message); };
        auto* dialog = new TDeleteFontfrm(std::move(context), host.mainWindow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->openModal();
    });
}

void TDeleteFontfrm::openModal() {
    adjustSize();
    ui::ShowInFront(*this, m_shown);
    m_ui->Button1->setFocus();
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
    m_ui->Button1->setEnabled(false);
    link::PortOpener opener = m_context.connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_context.connection.makeClock();
    m_command->start(
        [opener = std::move(opener), clock = std::move(clock),
         signId = ui::SignIdOf(*m_ui->ComboBox1)](const link::Progress&) {
            return link::RunRecallDefaultFont(opener, *clock, signId);
        },
        "Recall Default Font");
}

void TDeleteFontfrm::recallFinished(const link::Outcome& outcome) {
    // Only a recall the sign took (or sent to every sign) changes the pictures.
    if (outcome.success) {
        restoreFactoryPicture();
    }
    m_ui->Button1->setEnabled(true);
    ui::ShowOutcome(this, outcome);
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
        ui::ShowOutcome(this, link::Outcome{link::BoxKind::Error,
                                            " Cannot save the European character picture ", false,
                                            written.error().message});
    }
}

} // namespace lumivo::userfont

#include "schedule/font_transfer_panel.h"

#include "link/runners.h"
#include "ui_delete_dialog.h"
#include "widgets/window_support.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace lumivo::schedule {

TransferFontPanel::TransferFontPanel(QWidget& window,
                                     const ui::FormOnFirstUse<Ui::TDeletefrm, QDialog>& form,
                                     const link::SignConnection& connection)
    : m_window(window), m_form(form), m_connection(connection) {}

void TransferFontPanel::open(ui::UserFontSource& source, bool running) {
    m_fontSource = &source;
    if (!running) {
        m_form->TransFont->setEnabled(true);
    }
}

std::optional<link::CommandThread::Command> TransferFontPanel::transferCommand() {
    if (m_fontSource == nullptr) {
        return std::nullopt;
    }
    // The list is read once, as it stands when the transfer starts: the worker never touches the
    // font maker, which stays usable while the characters go out.
    std::vector<UserCharRecord> records = m_fontSource->fontRecords();
    m_form->ProgressBar1->setValue(0);
    m_form->ProgressBar1->setMaximum(std::max<int>(1, static_cast<int>(records.size())));
    m_sentCharacters = std::make_shared<std::vector<UserCharRecord>>();
    link::PortOpener opener = m_connection.portOpener();
    std::shared_ptr<link::Clock> clock = m_connection.makeClock();
    return [opener = std::move(opener), clock = std::move(clock),
            signId = ui::SignIdOf(*m_form->ComboBox4), records = std::move(records),
            sent = m_sentCharacters](const link::Progress& progress) {
        link::FontTransferResult result =
            link::RunFontTransfer(opener, *clock, signId, records, progress);
        *sent = std::move(result.sent);
        return result.outcome;
    };
}

void TransferFontPanel::showProgress(int value, int maximum) {
    m_form->ProgressBar1->setMaximum(maximum);
    m_form->ProgressBar1->setValue(value);
}

void TransferFontPanel::finished(const link::Outcome& outcome) {
    const std::vector<UserCharRecord> sent =
        m_sentCharacters ? std::move(*m_sentCharacters) : std::vector<UserCharRecord>{};
    m_sentCharacters.reset();
    // Every character the sign took is drawn, also after a refusal, so the picker shows what the
    // sign holds; the picture file is written only when the whole transfer succeeded.
    if (m_fontSource != nullptr && !sent.empty()) {
        const QString saveProblem = m_fontSource->drawSentCharacters(sent, outcome.success);
        if (!saveProblem.isEmpty()) {
            ui::ShowOutcome(&m_window, link::Outcome{link::BoxKind::Error,
                                                     " Cannot save the European character picture ",
                                                     false, saveProblem.toStdString()});
        }
    }
    m_form->TransFont->setEnabled(true);
    m_form->ProgressBar1->setValue(0);
    ui::ShowOutcome(&m_window, outcome);
}

} // namespace lumivo::schedule

#include "schedule/schedule_add_dialog.h"

#include "ui_schedule_add_dialog.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace lumivo::schedule {

namespace {

// Puts the mask on the edit, which is wide enough for it and no more, like a fixed-format field.
void SetUpMaskedEdit(QLineEdit& edit, const QString& mask) {
    edit.setInputMask(mask);
    const int chars = mask.indexOf(QLatin1Char(';'));
    edit.setFixedWidth(edit.fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2) + 16);
}

std::string Std(const QString& text) {
    return text.toLatin1().toStdString();
}

QString Qt8(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TScheduleAdd::TScheduleAdd(QWidget* parent, ScheduleList& list, std::function<int()> modifyPosition,
                           const QDateTime& now)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_list(list), m_modifyPosition(std::move(modifyPosition)),
      m_ui(std::make_unique<Ui::TScheduleAdd>()) {
    m_ui->setupUi(this);
    setWindowTitle(addCaption());

    SetUpMaskedEdit(*m_ui->MaskEdit1, ui::DateMask());
    SetUpMaskedEdit(*m_ui->StartMaskEdit, ui::TimeMask());
    SetUpMaskedEdit(*m_ui->MaskEdit2, ui::DateMask());
    SetUpMaskedEdit(*m_ui->EndMaskEdit, ui::TimeMask());
    for (QLineEdit* time : {m_ui->StartMaskEdit, m_ui->EndMaskEdit}) {
        time->installEventFilter(this);
    }
    m_ui->PageEdit->installEventFilter(this);
    // Pasted or dropped text holds letters only, as typed text does.
    m_ui->PageEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z]*")), m_ui->PageEdit));

    const QString time = now.time().toString(QStringLiteral("hh:mm"));
    const QString date = now.date().toString(QStringLiteral("MM/dd/yy"));
    ui::SetMaskedText(*m_ui->StartMaskEdit, time);
    ui::SetMaskedText(*m_ui->EndMaskEdit, time);
    ui::SetMaskedText(*m_ui->MaskEdit1, date);
    ui::SetMaskedText(*m_ui->MaskEdit2, date);

    connect(m_ui->OK, &QPushButton::clicked, this, &TScheduleAdd::OKClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
}

TScheduleAdd::~TScheduleAdd() = default;

EntryFields TScheduleAdd::fields() const {
    return EntryFields{Std(ui::MaskedText(*m_ui->MaskEdit1)),
                       Std(ui::MaskedText(*m_ui->StartMaskEdit)),
                       Std(ui::MaskedText(*m_ui->MaskEdit2)),
                       Std(ui::MaskedText(*m_ui->EndMaskEdit)), Std(m_ui->PageEdit->text())};
}

void TScheduleAdd::setFields(const EntryFields& fields) {
    ui::SetMaskedText(*m_ui->MaskEdit1, Qt8(fields.startDate));
    ui::SetMaskedText(*m_ui->StartMaskEdit, Qt8(fields.startTime));
    ui::SetMaskedText(*m_ui->MaskEdit2, Qt8(fields.endDate));
    ui::SetMaskedText(*m_ui->EndMaskEdit, Qt8(fields.endTime));
    m_ui->PageEdit->setText(Qt8(fields.pages));
}

void TScheduleAdd::OKClick() {
    const int position = isAddMode() || !m_modifyPosition ? -1 : m_modifyPosition();
    switch (ApplyEntry(m_list, fields(), isAddMode(), position)) {
    case EntryResult::DateOutOfRange:
        ui::ShowBox(this, ui::MessageKind::Plain, QStringLiteral("Date is out of Range"));
        return;
    case EntryResult::ListFull:
        ui::ShowBox(this, ui::MessageKind::Information, QStringLiteral(" Max only items 5 "),
                    QMessageBox::Yes);
        return;
    case EntryResult::Stored:
        Q_EMIT listChanged();
        accept();
        return;
    }
}

void TScheduleAdd::correctTime(QLineEdit* edit) {
    const QString text = ui::MaskedText(*edit);
    const QString corrected = Qt8(CorrectScheduleTime(Std(text)));
    if (corrected != text) {
        const int cursor = edit->cursorPosition();
        ui::SetMaskedText(*edit, corrected);
        edit->setCursorPosition(cursor);
    }
}

bool TScheduleAdd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->PageEdit && event->type() == QEvent::KeyPress) {
        // Only typed characters are filtered: Tab, Enter, Escape and the editing keys do their
        // usual work.
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !PageKeyAccepted(text.at(0).unicode())) {
            return true;
        }
    } else if ((watched == m_ui->StartMaskEdit || watched == m_ui->EndMaskEdit) &&
               event->type() == QEvent::KeyRelease) {
        correctTime(static_cast<QLineEdit*>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void TScheduleAdd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        ui::CentreOnScreen(*this);
    }
}

} // namespace lumivo::schedule

#include "schedule/schedule_add_dialog.h"

#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

QLineEdit* MaskedEdit(QWidget* parent, const QString& name, const QString& mask) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setInputMask(mask);
    // Wide enough for the mask and no more, like a fixed-format field.
    const int chars = mask.indexOf(QLatin1Char(';'));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2) + 16);
    return edit;
}

QGroupBox* DateTimeGroup(QWidget* parent, const QString& title, QLineEdit* date,
                         const QString& timeLabel, QLineEdit* time) {
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    auto* dateLabel = new QLabel(QStringLiteral("Date:"), group);
    dateLabel->setBuddy(date);
    auto* timeCaption = new QLabel(timeLabel, group);
    timeCaption->setBuddy(time);
    grid->addWidget(dateLabel, 0, 0);
    grid->addWidget(date, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("(MM/DD/YY)"), group), 0, 2);
    grid->addWidget(timeCaption, 1, 0);
    grid->addWidget(time, 1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

std::string Std(const QString& text) {
    return text.toLatin1().toStdString();
}

QString Qt8(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TScheduleAdd::TScheduleAdd(QWidget* parent, schedule::ScheduleList& list,
                           std::function<int()> modifyPosition, const QDateTime& now)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_list(list), m_modifyPosition(std::move(modifyPosition)) {
    setObjectName(QStringLiteral("TScheduleAdd"));
    setWindowTitle(addCaption());
    setModal(true);

    m_startDate = MaskedEdit(this, QStringLiteral("MaskEdit1"), DateMask());
    m_startTime = MaskedEdit(this, QStringLiteral("StartMaskEdit"), TimeMask());
    m_endDate = MaskedEdit(this, QStringLiteral("MaskEdit2"), DateMask());
    m_endTime = MaskedEdit(this, QStringLiteral("EndMaskEdit"), TimeMask());
    for (QLineEdit* time : {m_startTime, m_endTime}) {
        time->installEventFilter(this);
    }

    m_pages = new QLineEdit(this);
    m_pages->setObjectName(QStringLiteral("PageEdit"));
    m_pages->setMaxLength(26);
    m_pages->installEventFilter(this);
    // Pasted or dropped text holds letters only, as typed text does.
    m_pages->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]*")), m_pages));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button1"));

    auto* pageRow = new QHBoxLayout;
    auto* pageLabel = new QLabel(QStringLiteral("Page"), this);
    pageLabel->setBuddy(m_pages);
    pageRow->addWidget(pageLabel);
    pageRow->addWidget(m_pages, 1);
    pageRow->addWidget(new QLabel(QStringLiteral("(e.g.:   abcDE  )"), this));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DateTimeGroup(this, QStringLiteral(" Start DateTime  "), m_startDate,
                                    QStringLiteral("Time :"), m_startTime));
    layout->addWidget(DateTimeGroup(this, QStringLiteral("End DateTime"), m_endDate,
                                    QStringLiteral("Time:"), m_endTime));
    layout->addLayout(pageRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QString time = now.time().toString(QStringLiteral("hh:mm"));
    const QString date = now.date().toString(QStringLiteral("MM/dd/yy"));
    SetMaskedText(*m_startTime, time);
    SetMaskedText(*m_endTime, time);
    SetMaskedText(*m_startDate, date);
    SetMaskedText(*m_endDate, date);

    connect(m_ok, &QPushButton::clicked, this, &TScheduleAdd::OKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TScheduleAdd::~TScheduleAdd() = default;

schedule::EntryFields TScheduleAdd::fields() const {
    return schedule::EntryFields{Std(MaskedText(*m_startDate)), Std(MaskedText(*m_startTime)),
                                 Std(MaskedText(*m_endDate)), Std(MaskedText(*m_endTime)),
                                 Std(m_pages->text())};
}

void TScheduleAdd::setFields(const schedule::EntryFields& fields) {
    SetMaskedText(*m_startDate, Qt8(fields.startDate));
    SetMaskedText(*m_startTime, Qt8(fields.startTime));
    SetMaskedText(*m_endDate, Qt8(fields.endDate));
    SetMaskedText(*m_endTime, Qt8(fields.endTime));
    m_pages->setText(Qt8(fields.pages));
}

void TScheduleAdd::OKClick() {
    const int position = isAddMode() || !m_modifyPosition ? -1 : m_modifyPosition();
    switch (schedule::ApplyEntry(m_list, fields(), isAddMode(), position)) {
    case schedule::EntryResult::DateOutOfRange:
        ShowBox(this, MessageKind::Plain, QStringLiteral("Date is out of Range"));
        return;
    case schedule::EntryResult::ListFull:
        ShowBox(this, MessageKind::Information, QStringLiteral(" Max only items 5 "),
                QMessageBox::Yes);
        return;
    case schedule::EntryResult::Stored:
        Q_EMIT listChanged();
        accept();
        return;
    }
}

void TScheduleAdd::correctTime(QLineEdit* edit) {
    const QString text = MaskedText(*edit);
    const QString corrected = Qt8(CorrectScheduleTime(Std(text)));
    if (corrected != text) {
        const int cursor = edit->cursorPosition();
        SetMaskedText(*edit, corrected);
        edit->setCursorPosition(cursor);
    }
}

bool TScheduleAdd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pages && event->type() == QEvent::KeyPress) {
        // Only typed characters are filtered: Tab, Enter, Escape and the editing keys do their
        // usual work.
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !schedule::PageKeyAccepted(text.at(0).unicode())) {
            return true;
        }
    } else if ((watched == m_startTime || watched == m_endTime) &&
               event->type() == QEvent::KeyRelease) {
        correctTime(static_cast<QLineEdit*>(watched));
    }
    return QDialog::eventFilter(watched, event);
}

void TScheduleAdd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        CentreOnScreen(*this);
    }
}

} // namespace lumivo::ui

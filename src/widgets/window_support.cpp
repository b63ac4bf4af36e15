#include "widgets/window_support.h"

#include "widgets/list_combo.h"
#include "widgets/prompter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace lumivo::ui {

namespace {

QStringList SignIds() {
    QStringList ids;
    ids.reserve(256);
    for (int id = 0; id < 256; ++id) {
        ids.append(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper());
    }
    return ids;
}

} // namespace

QComboBox* MakeSignIdCombo(QWidget* parent, const QString& objectName, bool discardTyping) {
    return MakeListCombo(parent, objectName, SignIds(), discardTyping);
}

void FillSignIdCombo(QComboBox& combo, bool discardTyping) {
    FillListCombo(combo, SignIds(), discardTyping);
}

std::string SignIdOf(const QComboBox& combo) {
    return combo.currentText().toStdString();
}

void ShowOutcome(QWidget* parent, const link::Outcome& outcome) {
    const QString text =
        QString::fromLatin1(outcome.text.data(), static_cast<qsizetype>(outcome.text.size()));
    switch (outcome.box) {
    case link::BoxKind::None:
        return;
    case link::BoxKind::Information:
        ShowBox(parent, MessageKind::Information, text, QMessageBox::Yes);
        return;
    case link::BoxKind::Error:
        // The fixed text stays as it is; what explains it goes to the box's details.
        CurrentPrompter().showBox(parent, BoxRequest{MessageKind::Error, text, QMessageBox::Yes,
                                                     QString::fromStdString(outcome.details)});
        return;
    case link::BoxKind::Plain:
        // A reply failure: what happened on the line goes to the details.
        CurrentPrompter().showBox(parent, BoxRequest{MessageKind::Plain, text, QMessageBox::Ok,
                                                     QString::fromStdString(outcome.details)});
        return;
    }
}

QString DateMask() {
    return QStringLiteral("00/00/00;_");
}

QString TimeMask() {
    return QStringLiteral("00:00;_");
}

QString MaskedText(const QLineEdit& edit) {
    QString text = edit.displayText();
    text.replace(QChar(kMaskBlank), QLatin1Char(' '));
    return text;
}

void SetMaskedText(QLineEdit& edit, const QString& text) {
    // The mask takes its blank character as "leave this position empty"; a space would instead
    // be skipped and pull the next digit into its place.
    QString masked = text;
    masked.replace(QLatin1Char(' '), QChar(kMaskBlank));
    edit.setText(masked);
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void ShowInFront(QWidget& window, bool& shownBefore) {
    const bool first = !shownBefore;
    shownBefore = true;
    window.show();
    if (first) {
        CentreOnScreen(window);
    }
    window.raise();
    window.activateWindow();
}

} // namespace lumivo::ui

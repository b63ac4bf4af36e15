#include "widgets/sign_log_dock.h"

#include "core/file_io.h"
#include "link/path_text.h"
#include "widgets/prompter.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QVBoxLayout>

namespace lumivo::ui {

namespace {

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

SignLogDock::SignLogDock(std::shared_ptr<link::FrameLogQueue> queue, QWidget* parent)
    : QDockWidget(QStringLiteral("Sign Log"), parent), m_queue(std::move(queue)) {
    setObjectName(QStringLiteral("signLogDock"));
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(4, 4, 4, 4);
    m_text = new QPlainTextEdit(area);
    m_text->setObjectName(QStringLiteral("signLogText"));
    m_text->setReadOnly(true);
    m_text->setAccessibleName(QStringLiteral("Sign Log"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMaximumBlockCount(kMaxLines);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* copy = NewButton(area, "signLogCopy", QStringLiteral("Copy"));
    QPushButton* save = NewButton(area, "signLogSave", QStringLiteral("Save..."));
    QPushButton* clear = NewButton(area, "signLogClear", QStringLiteral("Clear"));
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setWidget(area);
    connect(copy, &QPushButton::clicked, this, &SignLogDock::copyAll);
    connect(save, &QPushButton::clicked, this, &SignLogDock::saveAs);
    connect(clear, &QPushButton::clicked, this, &SignLogDock::clear);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &SignLogDock::takeNew);
}

SignLogDock::~SignLogDock() = default;

void SignLogDock::takeNew() {
    if (m_queue == nullptr) {
        return;
    }
    std::size_t dropped = 0;
    const std::vector<link::FrameLogItem> items = m_queue->take(&dropped);
    if (items.empty() && dropped == 0) {
        return;
    }
    const std::vector<std::string> lines = m_formatter.add(items, dropped);
    if (lines.empty()) {
        return;
    }
    std::string joined;
    for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : "\n") + line;
    }
    // A view scrolled to the bottom follows the new lines; one scrolled back (or with a
    // selection) stays where it is.
    const QScrollBar* bar = m_text->verticalScrollBar();
    const bool follow = bar->value() >= bar->maximum() && !m_text->textCursor().hasSelection();
    m_text->appendPlainText(
        QString::fromUtf8(joined.data(), static_cast<qsizetype>(joined.size())));
    if (follow) {
        // The bar's range grows once the new lines are laid out, after this call.
        QTimer::singleShot(0, m_text, [this] {
            m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
        });
    }
}

QString SignLogDock::text() const {
    return m_text->toPlainText();
}

void SignLogDock::copyAll() {
    const QString shown = m_text->textCursor().hasSelection()
                              ? m_text->textCursor().selection().toPlainText()
                              : text();
    QGuiApplication::clipboard()->setText(shown);
}

void SignLogDock::saveAs() {
    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.caption = QStringLiteral("Save Sign Log");
    request.filters = {QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")};
    request.defaultSuffix = QStringLiteral("txt");
    const QString name = AskFileName(this, request);
    if (name.isEmpty()) {
        return;
    }
    QString shown = text();
    if (!shown.isEmpty()) {
        shown += QLatin1Char('\n');
    }
    const QByteArray bytes = shown.toUtf8();
    if (Status saved = WriteFileReplacing(link::FileSystemPath(name),
                                          std::string_view(bytes.constData(), bytes.size()));
        !saved) {
        ShowErrorWithDetails(this, QStringLiteral("The sign log was not saved."),
                             QString::fromStdString(saved.error().message));
    }
}

void SignLogDock::clear() {
    m_text->clear();
}

void SignLogDock::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    takeNew();
    m_timer->start();
}

void SignLogDock::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QDockWidget::hideEvent(event);
}

} // namespace lumivo::ui

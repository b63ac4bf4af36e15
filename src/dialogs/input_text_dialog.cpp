#include "dialogs/input_text_dialog.h"

#include "ui_input_text_dialog.h"
#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace lumivo::ui {

namespace {

constexpr int kFrameWidth = 10;

// The frame around the preview: a bevelled mount, light at the top left and dark at the bottom
// right, with a dotted groove, as if the picture sat in a small LED case.
QPixmap FramePicture(int innerWidth, int innerHeight) {
    const int w = innerWidth + 2 * kFrameWidth;
    const int h = innerHeight + 2 * kFrameWidth;
    QPixmap picture(w, h);
    picture.fill(QColor(96, 99, 105));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QColor(190 - 25 * i, 192 - 25 * i, 198 - 25 * i));
        p.drawLine(i, i, w - 1 - i, i);
        p.drawLine(i, i, i, h - 1 - i);
        p.setPen(QColor(40 + 12 * i, 42 + 12 * i, 46 + 12 * i));
        p.drawLine(i, h - 1 - i, w - 1 - i, h - 1 - i);
        p.drawLine(w - 1 - i, i, w - 1 - i, h - 1 - i);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 30));
    for (int x = 6; x < w - 6; x += 8) {
        p.drawRect(x, 5, 2, 2);
        p.drawRect(x, h - 7, 2, 2);
    }
    p.setPen(QColor(30, 30, 34));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kFrameWidth - 1, kFrameWidth - 1, innerWidth + 1, innerHeight + 1);
    return picture;
}

} // namespace

TInputTextfrm::TInputTextfrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_preview(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32),
      m_ui(std::make_unique<Ui::TInputTextfrm>()) {
    m_ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    m_chooser = [this](QWidget*, const QFont& current, std::function<void(const QFont&)> chosen) {
        chooseWithFontDialog(current, std::move(chosen));
    };
    m_preview.fill(Qt::white);
    m_ui->Edit3->setText(QString::number(kDefaultLineHeight));

    // The preview sits on its frame, both centred in the panel.
    m_ui->bottomImage->setPixmap(FramePicture(kPreviewWidth, kPreviewHeight));
    m_ui->bottomImage->setFixedSize(m_ui->bottomImage->pixmap().size());
    m_ui->Image1->setFixedSize(kPreviewWidth, kPreviewHeight);
    m_ui->Image1->setPixmap(QPixmap::fromImage(m_preview));

    connect(m_ui->Button1, &QPushButton::clicked, this, &TInputTextfrm::Button1Click);
    connect(m_ui->Memo1, &QPlainTextEdit::textChanged, this, &TInputTextfrm::Memo1Change);
    connect(m_ui->Edit3, &QLineEdit::textChanged, this, &TInputTextfrm::redraw);
    connect(m_ui->OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TInputTextfrm::~TInputTextfrm() = default;

std::unique_ptr<QWidget> TInputTextfrm::create(EditorHost& /*host*/) {
    return std::make_unique<TInputTextfrm>();
}

void TInputTextfrm::present() {
    show();
    CentreOnScreen(*this);
    raise();
    activateWindow();
    m_ui->Memo1->setFocus();
}

void TInputTextfrm::showEvent(QShowEvent* event) {
    if (!m_activated) {
        m_activated = true;
        firstActivation();
    }
    QDialog::showEvent(event);
}

void TInputTextfrm::setFirstFont(const QFont& font) {
    m_firstFont = font;
}

void TInputTextfrm::firstActivation() {
    applyFont(m_firstFont.value_or(QFont(QStringLiteral("Arial"), 10)));
}

void TInputTextfrm::applyFont(const QFont& font) {
    m_font = font;
    m_ui->Edit1->setText(font.family());
    m_ui->Edit2->setText(QString::number(font.pointSize()));
    redraw();
}

int TInputTextfrm::lineHeight() const {
    bool ok = false;
    const int height = m_ui->Edit3->text().trimmed().toInt(&ok);
    return ok ? height : kDefaultLineHeight;
}

InputText TInputTextfrm::text() const {
    QStringList lines = m_ui->Memo1->toPlainText().split(QLatin1Char('\n'));
    // A memo ending in a line break has no line after it.
    if (!lines.isEmpty() && lines.constLast().isEmpty()) {
        lines.removeLast();
    }
    return InputText{lines, m_font, m_colour, lineHeight()};
}

void TInputTextfrm::Button1Click() {
    m_chooser(this, m_font, [this](const QFont& font) { applyFont(font); });
}

void TInputTextfrm::chooseWithFontDialog(const QFont& current,
                                         std::function<void(const QFont&)> chosen) {
    if (m_fontDialog == nullptr) {
        m_fontDialog = new QFontDialog(this);
        m_fontDialog->setObjectName(QStringLiteral("FontDialog1"));
        m_fontDialog->setWindowModality(Qt::ApplicationModal);
    }
    m_fontDialog->setCurrentFont(current);
    auto* context = new QObject(m_fontDialog);
    connect(m_fontDialog, &QDialog::finished, context,
            [this, context, chosen = std::move(chosen)](int result) {
                context->deleteLater();
                if (result == QDialog::Accepted) {
                    chosen(m_fontDialog->selectedFont());
                }
            });
    m_fontDialog->show();
}

void TInputTextfrm::Memo1Change() {
    redraw();
}

void TInputTextfrm::redraw() {
    m_preview.fill(Qt::white);
    {
        QPainter painter(&m_preview);
        painter.setFont(m_font);
        painter.setPen(m_colour);
        const InputText typed = text();
        for (int i = 0; i < typed.lines.size(); ++i) {
            const int top = i * typed.lineHeight;
            painter.drawText(QRect(0, top, kPreviewWidth, kPreviewHeight),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, typed.lines.at(i));
        }
    }
    m_ui->Image1->setPixmap(QPixmap::fromImage(m_preview));
}

} // namespace lumivo::ui

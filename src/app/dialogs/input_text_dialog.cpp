#include "app/dialogs/input_text_dialog.h"

#include "widgets/editor_host.h"
#include "widgets/window_support.h"

#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

QLineEdit* Field(QWidget* parent, const QString& name, bool enabled, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEnabled(enabled);
    edit->setFixedWidth(width);
    return edit;
}

} // namespace

TInputTextfrm::TInputTextfrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_preview(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("TInputTextfrm"));
    setWindowTitle(QStringLiteral("InputText"));
    setWindowModality(Qt::ApplicationModal);
    m_chooser = [this](QWidget*, const QFont& current, std::function<void(const QFont&)> chosen) {
        chooseWithFontDialog(current, std::move(chosen));
    };
    m_preview.fill(Qt::white);

    m_fontName = Field(this, QStringLiteral("Edit1"), false, 150);
    auto* choose = new QPushButton(QStringLiteral("..."), this);
    choose->setObjectName(QStringLiteral("Button1"));
    choose->setAutoDefault(false);
    choose->setFixedWidth(32);
    m_fontSize = Field(this, QStringLiteral("Edit2"), false, 50);
    m_lineHeight = Field(this, QStringLiteral("Edit3"), true, 50);
    m_lineHeight->setText(QString::number(kDefaultLineHeight));

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setAccessibleName(QStringLiteral("Text"));
    m_memo->setFixedHeight(90);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto* frame = new QLabel(panel);
    frame->setObjectName(QStringLiteral("bottomImage"));
    frame->setPixmap(FramePicture(kPreviewWidth, kPreviewHeight));
    frame->setFixedSize(frame->pixmap().size());
    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFixedSize(kPreviewWidth, kPreviewHeight);
    m_image->setPixmap(QPixmap::fromImage(m_preview));
    auto* stack = new QGridLayout(panel);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(frame, 0, 0, Qt::AlignCenter);
    stack->addWidget(m_image, 0, 0, Qt::AlignCenter);
    m_image->raise();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);

    auto* fonts = new QGridLayout;
    fonts->setHorizontalSpacing(8);
    fonts->addWidget(new QLabel(QStringLiteral("Font Selection:"), this), 0, 0, 1, 4);
    const auto label = [this](const QString& caption, QWidget* field) {
        auto* text = new QLabel(caption, this);
        text->setBuddy(field);
        return text;
    };
    fonts->addWidget(label(QStringLiteral("Font:"), m_fontName), 1, 0, Qt::AlignRight);
    fonts->addWidget(m_fontName, 1, 1);
    fonts->addWidget(choose, 1, 2, Qt::AlignLeft);
    fonts->addWidget(label(QStringLiteral("Size:"), m_fontSize), 2, 0, Qt::AlignRight);
    fonts->addWidget(m_fontSize, 2, 1, Qt::AlignLeft);
    fonts->addWidget(label(QStringLiteral("Height:"), m_lineHeight), 3, 0, Qt::AlignRight);
    fonts->addWidget(m_lineHeight, 3, 1, Qt::AlignLeft);
    fonts->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* right = new QVBoxLayout;
    right->addWidget(panel, 0, Qt::AlignHCenter | Qt::AlignTop);
    right->addStretch(1);
    right->addLayout(buttons);

    auto* left = new QVBoxLayout;
    left->addLayout(fonts);
    left->addWidget(m_memo);

    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(16);
    layout->addLayout(left);
    layout->addLayout(right);

    connect(choose, &QPushButton::clicked, this, &TInputTextfrm::Button1Click);
    connect(m_memo, &QPlainTextEdit::textChanged, this, &TInputTextfrm::Memo1Change);
    connect(m_lineHeight, &QLineEdit::textChanged, this, &TInputTextfrm::redraw);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TInputTextfrm::~TInputTextfrm() = default;

std::unique_ptr<QWidget> TInputTextfrm::Create(EditorHost& /*host*/) {
    return std::make_unique<TInputTextfrm>();
}

void TInputTextfrm::Open() {
    show();
    CentreOnScreen(*this);
    raise();
    activateWindow();
    m_memo->setFocus();
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
    m_fontName->setText(font.family());
    m_fontSize->setText(QString::number(font.pointSize()));
    redraw();
}

int TInputTextfrm::LineHeight() const {
    bool ok = false;
    const int height = m_lineHeight->text().trimmed().toInt(&ok);
    return ok ? height : kDefaultLineHeight;
}

InputText TInputTextfrm::Text() const {
    QStringList lines = m_memo->toPlainText().split(QLatin1Char('\n'));
    // A memo ending in a line break has no line after it.
    if (!lines.isEmpty() && lines.constLast().isEmpty()) {
        lines.removeLast();
    }
    return InputText{lines, m_font, m_colour, LineHeight()};
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
        const InputText text = Text();
        for (int i = 0; i < text.lines.size(); ++i) {
            const int top = i * text.lineHeight;
            painter.drawText(QRect(0, top, kPreviewWidth, kPreviewHeight),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text.lines.at(i));
        }
    }
    m_image->setPixmap(QPixmap::fromImage(m_preview));
}

} // namespace lumivo::ui

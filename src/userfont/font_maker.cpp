#include "userfont/font_maker.h"

#include "core/program_folder.h"
#include "ui_font_maker.h"
#include "userfont/euro_char_form.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <filesystem>

namespace lumivo::userfont {

using ui::FileRequest;
using ui::MessageKind;

namespace {

const QColor kOnColour(255, 0, 0);
const QColor kOffColour(212, 208, 200);
const QColor kGridColour(0, 128, 64);
constexpr int kRowHeight = 23;

const char* const kSizeTexts[] = {"4x7", "5x7", "6x7"};

// The drawing area's cursor: a cross of hairs with an open square at its centre, black with a
// white rim so it shows on every colour of the grid.
QCursor DrawingCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const auto strokes = [&painter](const QColor& colour, int width) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(15, 2, 15, 11);
        painter.drawLine(15, 19, 15, 28);
        painter.drawLine(2, 15, 11, 15);
        painter.drawLine(19, 15, 28, 15);
        painter.drawRect(12, 12, 6, 6);
    };
    strokes(Qt::white, 3);
    strokes(Qt::black, 1);
    painter.end();
    return QCursor(pixmap, 15, 15);
}

// The speed buttons' glyphs: a small character grid with a green plus (add) or a red cross
// (delete).
QIcon ButtonGlyph(bool add) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(kGridColour);
    for (int i = 0; i <= 3; ++i) {
        painter.drawLine(1 + i * 4, 1, 1 + i * 4, 13);
        painter.drawLine(1, 1 + i * 4, 13, 1 + i * 4);
    }
    painter.fillRect(2, 2, 3, 3, kOnColour);
    painter.fillRect(6, 6, 3, 3, kOnColour);
    if (add) {
        painter.fillRect(14, 9, 2, 10, QColor(0, 150, 0));
        painter.fillRect(10, 13, 10, 2, QColor(0, 150, 0));
    } else {
        painter.setPen(QPen(QColor(200, 0, 0), 2));
        painter.drawLine(11, 10, 18, 17);
        painter.drawLine(18, 10, 11, 17);
    }
    painter.end();
    return QIcon(pixmap);
}

// Draws a list entry: its text, then the character at its true size, red on white.
class EntryDelegate final : public QStyledItemDelegate {
public:
    EntryDelegate(QObject* parent, const FontMakerModel& model)
        : QStyledItemDelegate(parent), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QFontMetrics metrics(option.font);
        painter->setFont(option.font);
        painter->drawText(option.rect.left() + 2, option.rect.top() + 2 + metrics.ascent(), text);
        const auto& entries = m_model.entries();
        if (index.row() < 0 || index.row() >= static_cast<int>(entries.size())) {
            return;
        }
        const FontEntry& entry = entries[static_cast<std::size_t>(index.row())];
        const std::string_view entryText = entry.text;
        const auto size =
            entryText.size() > 4 ? UserCharSizeOfText(entryText.substr(4)) : std::nullopt;
        if (!size) {
            return;
        }
        bool anyOn = false;
        for (int r = 0; r < kUserCharRows; ++r) {
            anyOn = anyOn || entry.record[static_cast<std::size_t>(4 + r)] != 0;
        }
        if (!anyOn) {
            return;
        }
        const int left = option.rect.left() + metrics.horizontalAdvance(text) + 6;
        const int top = option.rect.top();
        painter->fillRect(left, top, size->width, kUserCharRows, Qt::white);
        for (int r = 0; r < kUserCharRows; ++r) {
            const std::uint8_t bits = entry.record[static_cast<std::size_t>(4 + r)];
            for (int i = 0; i < size->width; ++i) {
                if ((bits & (0x80 >> i)) != 0) {
                    painter->fillRect(left + i, top + r, 1, 1, kOnColour);
                }
            }
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // Room for the text and a character of up to 6 pixels after it.
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + 12, kRowHeight);
    }

private:
    const FontMakerModel& m_model;
};

QStringList FontFilters() {
    return {QStringLiteral("font file(*.fon)"), QStringLiteral("All files(*.*)")};
}

std::filesystem::path PathOf(const QString& name) {
    return std::filesystem::path(name.toStdString());
}

} // namespace

FontDrawArea::FontDrawArea(QWidget* parent) : QWidget(parent) {
    setFixedSize(FontMakerModel::kAreaWidth, FontMakerModel::kAreaHeight);
}

void FontDrawArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kOffColour);
    if (m_model == nullptr || m_model->gridWidth() == 0 || m_model->gridHeight() == 0) {
        return;
    }
    const int width = m_model->gridWidth();
    const int height = m_model->gridHeight();
    const int left = m_model->gridLeft();
    const int top = m_model->gridTop();
    constexpr int scale = FontMakerModel::kScale;
    painter.setPen(kGridColour);
    for (int r = 0; r <= height; ++r) {
        painter.drawLine(left, top + r * scale, left + width * scale, top + r * scale);
    }
    for (int i = 0; i <= width; ++i) {
        painter.drawLine(left + i * scale, top, left + i * scale, top + height * scale);
    }
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width; ++i) {
            if (m_model->cellOn(i, r)) {
                painter.fillRect(left + i * scale + 1, top + r * scale + 1, scale - 1, scale - 1,
                                 kOnColour);
            }
        }
    }
}

void FontDrawArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_model == nullptr) {
        return;
    }
    m_pressed = true;
    const QPoint at = event->position().toPoint();
    if (const auto cell = m_model->press(at.x(), at.y())) {
        update();
        Q_EMIT toggled(cell->column, cell->row);
    }
}

void FontDrawArea::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || (event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (const auto cell = m_model->drag(at.x(), at.y())) {
        update();
        Q_EMIT toggled(cell->column, cell->row);
    }
}

void FontDrawArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        return;
    }
    m_pressed = false;
    m_model->release();
    Q_EMIT released();
}

TFontMakefrm::TFontMakefrm(QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_ui(ui::SetUpForm<Ui::TFontMakefrm>(*this)) {
    m_ui->ListBox1->setItemDelegate(new EntryDelegate(m_ui->ListBox1, m_model));
    m_ui->Image1->setModel(&m_model);
    m_ui->StatusBar1->addWidget(m_ui->StatusPanel1);
    m_ui->StatusBar1->addWidget(m_ui->PositionPanel, 1);
    fillChoices();
    connectControls();
}

TFontMakefrm::~TFontMakefrm() = default;

void TFontMakefrm::fillChoices() {
    for (int code = kFirstUserCharCode; code <= kLastUserCharCode; ++code) {
        m_ui->ComboBox1->addItem(QString::fromStdString(UserCharCodeText(code)));
    }
    for (const char* size : kSizeTexts) {
        m_ui->ComboBox2->addItem(QString::fromLatin1(size));
    }
}

void TFontMakefrm::connectControls() {
    connect(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFontMakefrm::addClick);
    connect(m_ui->SpeedButton2, &QToolButton::clicked, this, &TFontMakefrm::deleteClick);
    connect(m_ui->ListBox1, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { listReleased(index.row()); });
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFontMakefrm::yesClick);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFontMakefrm::noClick);
    connect(m_ui->SaveFont1, &QAction::triggered, this, &TFontMakefrm::saveFont);
    connect(m_ui->OpenFont1, &QAction::triggered, this, &TFontMakefrm::openFont);
    connect(m_ui->Quit1, &QAction::triggered, this, &QWidget::close);
    // Enabled once the deletion window's font panel is known (connectTransfer).
    connect(m_ui->TransfertoSign1, &QAction::triggered, this, [this] {
        if (m_transferPanel != nullptr && m_transferSource) {
            m_transferPanel->openTransferFont(*m_transferSource);
        }
    });
    connect(m_ui->Image1, &FontDrawArea::toggled, this, &TFontMakefrm::showToggled);
    connect(m_ui->Image1, &FontDrawArea::released, m_ui->ListBox1->viewport(),
            qOverload<>(&QWidget::update));
}

void TFontMakefrm::drawGlyphs() {
    m_ui->Image1->setCursor(DrawingCursor());
    m_ui->SpeedButton1->setIcon(ButtonGlyph(true));
    m_ui->SpeedButton2->setIcon(ButtonGlyph(false));
    m_glyphsDrawn = true;
}

void TFontMakefrm::showEvent(QShowEvent* event) {
    // The window is made at start-up but rarely opened: its pictures wait for the first showing.
    if (!m_glyphsDrawn) {
        drawGlyphs();
    }
    QMainWindow::showEvent(event);
}

void TFontMakefrm::showFontMaker() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    ui::ShowInFront(*this, m_shownBefore);
}

std::unique_ptr<QWidget> TFontMakefrm::create(ui::EditorHost& host,
                                              ui::FontTransferPanel& transferPanel,
                                              TuEuropeanCharForm& europeanChars) {
    auto window = std::make_unique<TFontMakefrm>(nullptr);
    TFontMakefrm* maker = window.get();
    host.bindCommand(QStringLiteral("UserFontMake1"), [maker] { maker->showFontMaker(); });
    maker->connectTransfer(
        &transferPanel, [picker = &europeanChars] { return picker; },
        WritableProgramFolder() / "EuroCharForm58204.bmp");
    return window;
}

void TFontMakefrm::connectTransfer(ui::FontTransferPanel* panel,
                                   std::function<TuEuropeanCharForm*()> picker,
                                   std::filesystem::path pictureFile) {
    m_transferPanel = panel;
    m_transferSource =
        std::make_unique<FontTransferSource>(m_model, std::move(picker), std::move(pictureFile));
    m_ui->TransfertoSign1->setEnabled(panel != nullptr);
}

void TFontMakefrm::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFontMakefrm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    m_ui->StatusPanel1->setFixedWidth(m_ui->StatusBar1->width() / 2);
}

void TFontMakefrm::addClick() {
    const int code = kFirstUserCharCode + m_ui->ComboBox1->currentIndex();
    if (!m_model.add(code, m_ui->ComboBox2->currentText().toStdString())) {
        ui::ShowBox(this, MessageKind::Question,
                    QStringLiteral("    This Char and the same Font Size Exists    "),
                    QMessageBox::Yes);
        return;
    }
    refreshList();
}

void TFontMakefrm::deleteClick() {
    const auto answer =
        ui::ShowBox(this, MessageKind::Question,
                    QStringLiteral("        Comfirm to delete the Selected Item?        "),
                    QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    m_model.removeChosen();
    refreshList();
    m_ui->Image1->update();
}

void TFontMakefrm::listReleased(int row) {
    m_model.choose(row);
    refreshLabels();
    m_ui->Image1->update();
}

void TFontMakefrm::yesClick() {
    m_ui->ListBox1->viewport()->update();
}

void TFontMakefrm::noClick() {
    if (!m_model.chosenIndex()) {
        return;
    }
    m_model.clearChosen();
    m_ui->Image1->update();
    m_ui->ListBox1->viewport()->update();
}

FileRequest TFontMakefrm::fontRequest(FileRequest::Mode mode) const {
    FileRequest request;
    request.mode = mode;
    request.caption =
        mode == FileRequest::Mode::Open ? QStringLiteral("Open Font") : QStringLiteral("Save Font");
    request.filters = FontFilters();
    request.defaultSuffix = QStringLiteral("fon");
    // Opening always starts in the program's folder, where its files are; saving starts in the
    // folder of the font file opened or saved last, and in the program's folder before that.
    const bool programFolder = mode == FileRequest::Mode::Open || m_fontFolder.isEmpty();
    request.directory =
        programFolder ? QString::fromStdString(WritableProgramFolder().string()) : m_fontFolder;
    return request;
}

void TFontMakefrm::saveFont() {
    const QString name = ui::AskFileName(this, fontRequest(FileRequest::Mode::Save));
    if (name.isEmpty()) {
        return;
    }
    m_fontFolder = QFileInfo(name).absolutePath();
    const Status written = WriteFontFile(PathOf(name), m_model.records());
    if (!written) {
        ui::ShowErrorWithDetails(this, QStringLiteral("The font file could not be saved."),
                                 QString::fromStdString(written.error().message));
    }
}

void TFontMakefrm::openFont() {
    const QString name = ui::AskFileName(this, fontRequest(FileRequest::Mode::Open));
    if (name.isEmpty()) {
        return;
    }
    m_fontFolder = QFileInfo(name).absolutePath();
    const Result<FontFileContents> read = ReadFontFile(PathOf(name));
    if (!read) {
        const QString message = QString::fromStdString(read.error().message);
        if (read.error().message == kNotAFontFileMessage) {
            ui::ShowBox(this, MessageKind::Error, message, QMessageBox::Yes);
        } else {
            ui::ShowErrorWithDetails(this, QStringLiteral("The font file could not be read."),
                                     message);
        }
        return;
    }
    m_model.replaceWith(read->records);
    refreshList();
    refreshLabels();
    m_ui->Image1->update();
    if (read->damaged) {
        ui::ShowErrorWithDetails(this,
                                 QStringLiteral("The font file is damaged: only its whole "
                                                "characters were read."),
                                 QString::fromStdString(read->damage));
    }
}

void TFontMakefrm::showToggled(int column, int row) {
    m_ui->PositionPanel->setText(QStringLiteral("Position: (%1, %2)").arg(column).arg(row));
}

void TFontMakefrm::refreshList() {
    m_ui->ListBox1->clear();
    for (const FontEntry& entry : m_model.entries()) {
        new QListWidgetItem(QString::fromStdString(entry.text), m_ui->ListBox1);
    }
    if (const auto chosen = m_model.chosenIndex()) {
        m_ui->ListBox1->setCurrentRow(*chosen);
    }
}

void TFontMakefrm::refreshLabels() {
    if (!m_model.chosenIndex()) {
        return;
    }
    m_ui->Label4->setText(QStringLiteral("Width: %1").arg(m_model.gridWidth()));
    m_ui->Label5->setText(QStringLiteral("Height: %1").arg(m_model.gridHeight()));
}

} // namespace lumivo::userfont

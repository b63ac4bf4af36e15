#include "userfont/font_maker.h"

#include "core/program_folder.h"
#include "userfont/euro_char_form.h"
#include "widgets/editor_host.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace lumivo::ui {

namespace {

const QColor kOnColour(255, 0, 0);
const QColor kOffColour(212, 208, 200);
const QColor kGridColour(0, 128, 64);
const QColor kHeaderColour(255, 255, 230);
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
    EntryDelegate(QObject* parent, const userfont::FontMakerModel& model)
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
        const userfont::FontEntry& entry = entries[static_cast<std::size_t>(index.row())];
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
    const userfont::FontMakerModel& m_model;
};

QStringList FontFilters() {
    return {QStringLiteral("font file(*.fon)"), QStringLiteral("All files(*.*)")};
}

std::filesystem::path PathOf(const QString& name) {
    return std::filesystem::path(name.toStdString());
}

} // namespace

FontDrawArea::FontDrawArea(QWidget* parent, userfont::FontMakerModel& model)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("Image1"));
    setFixedSize(userfont::FontMakerModel::kAreaWidth, userfont::FontMakerModel::kAreaHeight);
    setCursor(DrawingCursor());
}

void FontDrawArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kOffColour);
    const int width = m_model.gridWidth();
    const int height = m_model.gridHeight();
    if (width == 0 || height == 0) {
        return;
    }
    const int left = m_model.gridLeft();
    const int top = m_model.gridTop();
    constexpr int scale = userfont::FontMakerModel::kScale;
    painter.setPen(kGridColour);
    for (int r = 0; r <= height; ++r) {
        painter.drawLine(left, top + r * scale, left + width * scale, top + r * scale);
    }
    for (int i = 0; i <= width; ++i) {
        painter.drawLine(left + i * scale, top, left + i * scale, top + height * scale);
    }
    for (int r = 0; r < height; ++r) {
        for (int i = 0; i < width; ++i) {
            if (m_model.cellOn(i, r)) {
                painter.fillRect(left + i * scale + 1, top + r * scale + 1, scale - 1, scale - 1,
                                 kOnColour);
            }
        }
    }
}

void FontDrawArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_pressed = true;
    const QPoint at = event->position().toPoint();
    if (const auto cell = m_model.press(at.x(), at.y())) {
        update();
        Q_EMIT toggled(cell->column, cell->row);
    }
}

void FontDrawArea::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || (event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (const auto cell = m_model.drag(at.x(), at.y())) {
        update();
        Q_EMIT toggled(cell->column, cell->row);
    }
}

void FontDrawArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        return;
    }
    m_pressed = false;
    m_model.release();
    Q_EMIT released();
}

TFontMakefrm::TFontMakefrm(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("TFontMakefrm"));
    setWindowTitle(QStringLiteral("Font Make"));

    auto* header = new QFrame;
    header->setObjectName(QStringLiteral("Panel2"));
    header->setAutoFillBackground(true);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::Window, kHeaderColour);
    header->setPalette(headerPalette);
    header->setFrameShape(QFrame::StyledPanel);
    m_code = new QComboBox(header);
    m_code->setObjectName(QStringLiteral("ComboBox1"));
    for (int code = kFirstUserCharCode; code <= kLastUserCharCode; ++code) {
        m_code->addItem(QString::fromStdString(UserCharCodeText(code)));
    }
    m_size = new QComboBox(header);
    m_size->setObjectName(QStringLiteral("ComboBox2"));
    for (const char* size : kSizeTexts) {
        m_size->addItem(QString::fromLatin1(size));
    }
    auto* add = new QToolButton(header);
    add->setObjectName(QStringLiteral("SpeedButton1"));
    add->setToolTip(QStringLiteral("Add Char To Draw"));
    add->setIcon(ButtonGlyph(true));
    add->setAutoRaise(true);
    auto* remove = new QToolButton(header);
    remove->setObjectName(QStringLiteral("SpeedButton2"));
    remove->setToolTip(QStringLiteral("Delete Char"));
    remove->setIcon(ButtonGlyph(false));
    remove->setAutoRaise(true);
    auto* headerLayout = new QHBoxLayout(header);
    auto* codeLabel = new QLabel(QStringLiteral("Char &Code:"), header);
    codeLabel->setBuddy(m_code);
    auto* sizeLabel = new QLabel(QStringLiteral("Font &Size:"), header);
    sizeLabel->setBuddy(m_size);
    headerLayout->addWidget(codeLabel);
    headerLayout->addWidget(m_code);
    headerLayout->addSpacing(12);
    headerLayout->addWidget(sizeLabel);
    headerLayout->addWidget(m_size);
    headerLayout->addWidget(new QLabel(QStringLiteral("Pixels"), header));
    headerLayout->addSpacing(12);
    headerLayout->addWidget(add);
    headerLayout->addWidget(remove);
    headerLayout->addStretch(1);

    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setItemDelegate(new EntryDelegate(m_list, m_model));
    m_list->setUniformItemSizes(true);
    m_list->setMinimumWidth(170);

    m_area = new FontDrawArea(nullptr, m_model);
    m_width = new QLabel(QStringLiteral("Width:"));
    m_width->setObjectName(QStringLiteral("Label4"));
    m_height = new QLabel(QStringLiteral("Height: "));
    m_height->setObjectName(QStringLiteral("Label5"));
    auto* yes = new QPushButton(QStringLiteral("Yes"));
    yes->setObjectName(QStringLiteral("Button1"));
    auto* no = new QPushButton(QStringLiteral("NO"));
    no->setObjectName(QStringLiteral("Button2"));

    auto* drawing = new QGridLayout;
    drawing->addWidget(new QLabel(QStringLiteral("Draw Font")), 0, 0, 1, 2);
    drawing->addWidget(m_area, 1, 0, 1, 2);
    drawing->addWidget(m_width, 2, 0);
    drawing->addWidget(m_height, 2, 1);
    drawing->addWidget(yes, 3, 0);
    drawing->addWidget(no, 3, 1);
    drawing->setRowStretch(4, 1);

    auto* body = new QHBoxLayout;
    body->addWidget(m_list, 1);
    body->addLayout(drawing);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(header);
    layout->addLayout(body, 1);
    setCentralWidget(central);

    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    m_statusLeft = new QLabel;
    m_position = new QLabel;
    m_position->setObjectName(QStringLiteral("PositionPanel"));
    status->addWidget(m_statusLeft);
    status->addWidget(m_position, 1);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* save = file->addAction(QStringLiteral("&Save Font..."));
    save->setObjectName(QStringLiteral("SaveFont1"));
    QAction* open = file->addAction(QStringLiteral("&Open Font..."));
    open->setObjectName(QStringLiteral("OpenFont1"));
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"));
    quit->setObjectName(QStringLiteral("Quit1"));
    // Enabled once the deletion window's font panel is known (connectTransfer).
    QMenu* transfer = menuBar()->addMenu(QStringLiteral("&Transfer"));
    m_transferToSign = transfer->addAction(QStringLiteral("Transfer to Sign..."));
    m_transferToSign->setObjectName(QStringLiteral("TransfertoSign1"));
    m_transferToSign->setEnabled(false);
    connect(m_transferToSign, &QAction::triggered, this, [this] {
        if (m_transferPanel != nullptr && m_transferSource) {
            m_transferPanel->openTransferFont(*m_transferSource);
        }
    });

    connect(add, &QToolButton::clicked, this, &TFontMakefrm::addClick);
    connect(remove, &QToolButton::clicked, this, &TFontMakefrm::deleteClick);
    connect(m_list, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { listReleased(index.row()); });
    connect(yes, &QPushButton::clicked, this, &TFontMakefrm::yesClick);
    connect(no, &QPushButton::clicked, this, &TFontMakefrm::noClick);
    connect(save, &QAction::triggered, this, &TFontMakefrm::saveFont);
    connect(open, &QAction::triggered, this, &TFontMakefrm::openFont);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(m_area, &FontDrawArea::toggled, this, &TFontMakefrm::showToggled);
    connect(m_area, &FontDrawArea::released, m_list->viewport(), qOverload<>(&QWidget::update));
}

void TFontMakefrm::showFontMaker() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    ShowInFront(*this, m_shownBefore);
}

std::unique_ptr<QWidget> TFontMakefrm::Create(EditorHost& host, FontTransferPanel& transferPanel,
                                              TuEuropeanCharForm& europeanChars) {
    auto window = std::make_unique<TFontMakefrm>(nullptr);
    TFontMakefrm* maker = window.get();
    host.BindCommand(QStringLiteral("UserFontMake1"), [maker] { maker->showFontMaker(); });
    maker->connectTransfer(
        &transferPanel, [picker = &europeanChars] { return picker; },
        WritableProgramFolder() / "EuroCharForm58204.bmp");
    return window;
}

void TFontMakefrm::connectTransfer(FontTransferPanel* panel,
                                   std::function<TuEuropeanCharForm*()> picker,
                                   std::filesystem::path pictureFile) {
    m_transferPanel = panel;
    m_transferSource =
        std::make_unique<FontTransferSource>(m_model, std::move(picker), std::move(pictureFile));
    m_transferToSign->setEnabled(panel != nullptr);
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
    m_statusLeft->setFixedWidth(statusBar()->width() / 2);
}

void TFontMakefrm::addClick() {
    const int code = kFirstUserCharCode + m_code->currentIndex();
    if (!m_model.add(code, m_size->currentText().toStdString())) {
        ShowBox(this, MessageKind::Question,
                QStringLiteral("    This Char and the same Font Size Exists    "),
                QMessageBox::Yes);
        return;
    }
    refreshList();
}

void TFontMakefrm::deleteClick() {
    const auto answer =
        ShowBox(this, MessageKind::Question,
                QStringLiteral("        Comfirm to delete the Selected Item?        "),
                QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    m_model.removeChosen();
    refreshList();
    m_area->update();
}

void TFontMakefrm::listReleased(int row) {
    m_model.choose(row);
    refreshLabels();
    m_area->update();
}

void TFontMakefrm::yesClick() {
    m_list->viewport()->update();
}

void TFontMakefrm::noClick() {
    if (!m_model.chosenIndex()) {
        return;
    }
    m_model.clearChosen();
    m_area->update();
    m_list->viewport()->update();
}

FileRequest TFontMakefrm::FontRequest(FileRequest::Mode mode) const {
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
    const QString name = AskFileName(this, FontRequest(FileRequest::Mode::Save));
    if (name.isEmpty()) {
        return;
    }
    m_fontFolder = QFileInfo(name).absolutePath();
    const Status written = WriteFontFile(PathOf(name), m_model.records());
    if (!written) {
        ShowErrorWithDetails(this, QStringLiteral("The font file could not be saved."),
                             QString::fromStdString(written.error().message));
    }
}

void TFontMakefrm::openFont() {
    const QString name = AskFileName(this, FontRequest(FileRequest::Mode::Open));
    if (name.isEmpty()) {
        return;
    }
    m_fontFolder = QFileInfo(name).absolutePath();
    const Result<FontFileContents> read = ReadFontFile(PathOf(name));
    if (!read) {
        const QString message = QString::fromStdString(read.error().message);
        if (read.error().message == kNotAFontFileMessage) {
            ShowBox(this, MessageKind::Error, message, QMessageBox::Yes);
        } else {
            ShowErrorWithDetails(this, QStringLiteral("The font file could not be read."), message);
        }
        return;
    }
    m_model.replaceWith(read->records);
    refreshList();
    refreshLabels();
    m_area->update();
    if (read->damaged) {
        ShowErrorWithDetails(this,
                             QStringLiteral("The font file is damaged: only its whole "
                                            "characters were read."),
                             QString::fromStdString(read->damage));
    }
}

void TFontMakefrm::showToggled(int column, int row) {
    m_position->setText(QStringLiteral("Position: (%1, %2)").arg(column).arg(row));
}

void TFontMakefrm::refreshList() {
    m_list->clear();
    for (const userfont::FontEntry& entry : m_model.entries()) {
        new QListWidgetItem(QString::fromStdString(entry.text), m_list);
    }
    if (const auto chosen = m_model.chosenIndex()) {
        m_list->setCurrentRow(*chosen);
    }
}

void TFontMakefrm::refreshLabels() {
    if (!m_model.chosenIndex()) {
        return;
    }
    m_width->setText(QStringLiteral("Width: %1").arg(m_model.gridWidth()));
    m_height->setText(QStringLiteral("Height: %1").arg(m_model.gridHeight()));
}

} // namespace lumivo::ui

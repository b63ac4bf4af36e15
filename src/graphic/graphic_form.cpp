#include "graphic/graphic_form.h"

#include "core/graphic_picture.h"
#include "core/program_folder.h"
#include "dialogs/input_text_dialog.h"
#include "graphic/bmp_save_load.h"
#include "graphic/floating_selection.h"
#include "graphic/graphic_grid.h"
#include "graphic/select_graph_name.h"
#include "graphic/tool_glyphs.h"
#include "image/picture_file.h"
#include "link/path_text.h"
#include "widgets/editor_host.h"
#include "widgets/list_combo.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <memory>
#include <system_error>

namespace lumivo::graphic {

namespace {

const QString kSelectName = QStringLiteral("Select a graphic name");
const QString kTooMany = QStringLiteral("Graphic Number greater than 16");
const QString kTooTall = QStringLiteral("Graphic is too large to insert into Line2");
const QString kOverwrite = QStringLiteral("        overwrite the existing file ?        ");
const QString kConfirmDelete = QStringLiteral("        Comfirm to delete the Graph ?        ");
const QString kDeleteError = QStringLiteral("Delete Error");
const QString kBitmapFilter = QStringLiteral("Bitmaps (*.bmp)");

// Undo keeps this many steps; a step holds two snapshots of both stores.
constexpr int kUndoLimit = 100;

QColor ScreenColour(char letter) {
    const Rgb colour = ScreenColourOfLetter(letter);
    return QColor(colour.r, colour.g, colour.b);
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The name filter of every picture the import reads.
QString PictureFilter() {
    QStringList patterns;
    for (const std::string& suffix : ReadablePictureSuffixes()) {
        patterns.append(QStringLiteral("*.") + Text(suffix));
    }
    return QStringLiteral("Pictures (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// A graphic file that was not taken: the box says what is wrong with it (it names the graphic),
// the details give the file.
void ShowGraphicRefused(QWidget* parent, const std::filesystem::path& folder,
                        const std::string& name, const Error& why) {
    ui::ShowErrorWithDetails(parent, Text(why.message) + QLatin1Char('.'),
                             QStringLiteral("File: ") + link::PathText(GraphicPath(folder, name)));
}

// Overlay geometry of a snapshot taken at `fromZoom`, for a grid at `toZoom`.
QRect ScaledOverlay(const QRect& overlay, int fromZoom, int toZoom) {
    if (fromZoom == toZoom || fromZoom <= 0) {
        return overlay;
    }
    const auto scale = [&](int value) { return value * toZoom / fromZoom; };
    return QRect(scale(overlay.x()), scale(overlay.y()), scale(overlay.width()),
                 scale(overlay.height()));
}

} // namespace

// --- What the tools see ----------------------------------------------------------------------

class TGraphicForm::Canvas final : public ToolCanvas {
public:
    explicit Canvas(TGraphicForm& form) : m_form(form) {}

    int width() const override { return m_form.m_model.width(); }
    int height() const override { return m_form.m_model.height(); }
    int zoom() const override { return m_form.m_model.zoom(); }
    char colour() const override { return m_form.m_model.colour(); }

    const PixelStore& store() const override { return m_form.m_model.store(); }
    void setCell(int x, int y, char letter) override {
        if (x < 0 || y < 0 || x >= PixelStore::kSize || y >= PixelStore::kSize) {
            return;
        }
        m_form.m_model.store().set(x, y, letter);
        m_form.m_grid->updateCell(m_form.m_model.store(), x, y);
    }
    void replaceStore(const PixelStore& store) override {
        m_form.m_model.store() = store;
        m_form.redraw();
    }

    void setRubberBand(const RubberBand& band) override {
        m_form.m_grid->setRubberBand(band, ScreenColour(colour()));
    }
    void drawTrailDot(int cellX, int cellY) override {
        m_form.m_grid->addTrailDot(cellX, cellY, colour());
    }
    void redraw() override { m_form.redraw(); }

    const PixelStore& floating() const override { return m_form.m_model.floating(); }
    void replaceFloating(const PixelStore& floating) override {
        m_form.m_model.floating() = floating;
        if (floatingShown()) {
            m_form.m_overlay->refresh(floating, zoom());
        }
    }
    bool floatingShown() const override { return !m_form.m_overlay->isHidden(); }
    void showFloating(const QRect& gridPixels) override {
        m_form.m_overlay->present(m_form.m_model.floating(), gridPixels, zoom());
    }
    void dropFloating() override {
        if (!floatingShown()) {
            return;
        }
        // The overlay keeps its place in grid pixels, whatever the scrolling.
        const QRect overlay = m_form.m_overlay->gridGeometry();
        DropSelection(m_form.m_model.store(), m_form.m_model.floating(), overlay.topLeft(),
                      overlay.size(), zoom());
        m_form.m_overlay->hide();
        m_form.redraw();
    }

    void askText(std::function<void(const TextRequest&)> accepted) override {
        if (m_form.m_textAsker) {
            if (const std::optional<TextRequest> request = m_form.m_textAsker()) {
                accepted(*request);
            }
            return;
        }
        ui::TInputTextfrm* dialog = m_form.m_textDialog;
        if (dialog == nullptr) {
            return;
        }
        // Until the user has seen the dialog, it offers an installed font that fits the graphic.
        if (!dialog->isVisible()) {
            dialog->setFirstFont(FirstTextFont(height()));
        }
        // The dialog is shown modally without waiting for it; its answer arrives once.
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection =
            QObject::connect(dialog, &QDialog::finished, &m_form,
                             [dialog, connection, accepted = std::move(accepted)](int result) {
                                 QObject::disconnect(*connection);
                                 if (result == QDialog::Accepted) {
                                     accepted(RequestOf(*dialog));
                                 }
                             });
        dialog->open();
    }

    void beginStep() override { m_form.beginStep(); }
    void endStep(const QString& name) override {
        if (auto step = m_form.finishStep()) {
            m_form.m_undo->push(new ToolStepCommand(name, std::move(step->first),
                                                    std::move(step->second), m_form.restorer()));
        }
    }

private:
    // What the text input dialog holds after OK, as the Text tool takes it.
    static TextRequest RequestOf(ui::TInputTextfrm& dialog) {
        const ui::InputText text = dialog.Text();
        TextRequest request;
        for (const QString& line : text.lines) {
            request.lines.push_back(line);
        }
        request.fontFamily = text.font.family();
        request.pointSize = text.font.pointSize();
        request.bold = text.font.bold();
        request.italic = text.font.italic();
        request.underline = text.font.underline();
        request.strikeOut = text.font.strikeOut();
        const auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("Edit3"));
        request.heightField = field != nullptr ? field->text() : QString::number(text.lineHeight);
        return request;
    }

    TGraphicForm& m_form;
};

// --- Swatches --------------------------------------------------------------------------------

ColourSwatch::ColourSwatch(QWidget* parent, const QString& objectName, char letter, bool round)
    : QWidget(parent), m_letter(letter), m_round(round) {
    setObjectName(objectName);
}

void ColourSwatch::setLetter(char letter) {
    m_letter = letter;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_round);
    painter.setPen(Qt::black);
    painter.setBrush(ScreenColour(m_letter));
    const QRect box = rect().adjusted(0, 0, -1, -1);
    if (m_round) {
        painter.drawEllipse(box);
    } else {
        painter.drawRect(box);
    }
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) {
        Q_EMIT chosen(m_letter);
    }
}

// --- The window ------------------------------------------------------------------------------

TGraphicForm::TGraphicForm(ui::EditorHost* host, std::filesystem::path graphicsFolder,
                           QWidget* parent)
    : QWidget(parent), m_host(host), m_folder(std::move(graphicsFolder)),
      m_canvas(std::make_unique<Canvas>(*this)) {
    setObjectName(QStringLiteral("TGraphicForm"));
    setWindowTitle(QStringLiteral("GraphicForm"));
    m_undo = new QUndoStack(this);
    m_undo->setUndoLimit(kUndoLimit);
    buildControls();

    std::vector<std::string> names = ListGraphics(m_folder);
    for (const std::string& name : names) {
        m_list->addItem(Text(name));
    }
    m_model.setNames(std::move(names));

    chooseTool(1);
    redraw();
    if (m_host != nullptr) {
        SetPaletteMode(m_host->SingleColorMode());
        m_host->FollowColorMode(this, [this](bool single) { SetPaletteMode(single); });
    }
    resize(760, 440);
}

TGraphicForm::~TGraphicForm() {
    // The undo commands hold restorers into this window: let them go first.
    m_undo->clear();
}

std::unique_ptr<QWidget> TGraphicForm::Create(ui::EditorHost& host, ui::TInputTextfrm& textDialog) {
    auto window = std::make_unique<TGraphicForm>(&host, GraphicsFolder());
    TGraphicForm* editor = window.get();
    editor->setTextDialog(&textDialog);
    host.BindCommand(QStringLiteral("EditGraphic1"), [editor] { editor->ShowEditor(); });
    return window;
}

ToolCanvas& TGraphicForm::canvas() {
    return *m_canvas;
}

void TGraphicForm::buildControls() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildListPanel());
    splitter->addWidget(buildCentre());
    splitter->addWidget(buildToolPanel());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setStretchFactor(2, 0);
    splitter->setSizes({100, 520, 140});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    auto* undo = new QAction(this);
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, &TGraphicForm::undoStep);
    auto* redo = new QAction(this);
    redo->setShortcut(QKeySequence::Redo);
    connect(redo, &QAction::triggered, this, &TGraphicForm::redoStep);
    addAction(undo);
    addAction(redo);
}

QWidget* TGraphicForm::buildListPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ListPanel"));
    panel->setMinimumWidth(kListPanelMin);
    panel->setMaximumWidth(kListPanelMax);
    auto* label = new QLabel(QStringLiteral("Select Graph"), panel);
    label->setObjectName(QStringLiteral("Label5"));
    m_list = new QListWidget(panel);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setMinimumWidth(0);
    m_list->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_list);
    return panel;
}

QWidget* TGraphicForm::buildCentre() {
    auto* centre = new QWidget(this);

    auto* size = new QGroupBox(QStringLiteral("Graphic Size"), centre);
    size->setObjectName(QStringLiteral("graphicsize"));
    auto* heightLabel = new QLabel(QStringLiteral("Height:"), size);
    heightLabel->setObjectName(QStringLiteral("Label1"));
    m_height = ui::MakeListCombo(size, QStringLiteral("ComboBox1"),
                                 {QStringLiteral("7 dots"), QStringLiteral("8 dots")});
    auto* widthLabel = new QLabel(QStringLiteral("Width:"), size);
    widthLabel->setObjectName(QStringLiteral("Label2"));
    m_width = ui::MakeListCombo(size, QStringLiteral("ComboBox2"),
                                {QStringLiteral("32 dots"), QStringLiteral("64 dots"),
                                 QStringLiteral("96 dots"), QStringLiteral("120 dots"),
                                 QStringLiteral("128 dots")});
    heightLabel->setBuddy(m_height);
    widthLabel->setBuddy(m_width);
    auto* sizeLayout = new QHBoxLayout(size);
    sizeLayout->addWidget(heightLabel);
    sizeLayout->addWidget(m_height);
    sizeLayout->addSpacing(12);
    sizeLayout->addWidget(widthLabel);
    sizeLayout->addWidget(m_width);
    sizeLayout->addStretch();
    connect(m_height, &QComboBox::activated, this, &TGraphicForm::applyHeight);
    connect(m_width, &QComboBox::activated, this, &TGraphicForm::applyWidth);

    m_scroll = new QScrollArea(centre);
    m_scroll->setObjectName(QStringLiteral("ScrollBox1"));
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_grid = new GraphicGrid(nullptr);
    m_scroll->setWidget(m_grid);
    m_scroll->viewport()->installEventFilter(this);
    m_overlay = new FloatingOverlay(m_grid);
    connect(m_grid, &GraphicGrid::pressed, this, [this](QPoint position, Qt::MouseButton button) {
        if (m_tool) {
            m_tool->pressed(*m_canvas, position, button);
        }
    });
    connect(m_grid, &GraphicGrid::moved, this, [this](QPoint position, Qt::MouseButtons buttons) {
        if (m_tool) {
            m_tool->moved(*m_canvas, position, buttons);
        }
    });
    connect(m_grid, &GraphicGrid::released, this, &TGraphicForm::gridReleased);
    connect(m_overlay, &FloatingOverlay::dropRequested, this, &TGraphicForm::dropFloatingAsStep);

    auto button = [centre](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), centre);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    QPushButton* insert = button("InsertButton", "Insert");
    QPushButton* save = button("Save", "Save");
    QPushButton* remove = button("DeleteButton", "Delete");
    QPushButton* exportButton = button("SaveButton", "Export");
    QPushButton* importButton = button("LoadButton", "import");
    exportButton->hide();
    importButton->hide();
    connect(insert, &QPushButton::clicked, this, &TGraphicForm::InsertButtonClick);
    connect(save, &QPushButton::clicked, this, &TGraphicForm::SaveClick);
    connect(remove, &QPushButton::clicked, this, &TGraphicForm::DeleteButtonClick);
    connect(exportButton, &QPushButton::clicked, this, &TGraphicForm::SaveButtonClick);
    connect(importButton, &QPushButton::clicked, this, &TGraphicForm::LoadButtonClick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(insert);
    buttons->addWidget(save);
    buttons->addWidget(remove);
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(size);
    layout->addWidget(m_scroll, 1);
    layout->addLayout(buttons);
    return centre;
}

QWidget* TGraphicForm::buildToolPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ToolPanel"));
    panel->setMinimumWidth(kToolPanelMin);
    panel->setMaximumWidth(kToolPanelMax);

    auto* toolBox = new QGroupBox(QStringLiteral("ToolBox"), panel);
    toolBox->setObjectName(QStringLiteral("ToolBox"));
    auto* toolGrid = new QGridLayout(toolBox);
    toolGrid->setSpacing(2);
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    static const char* const kToolNames[kToolCount] = {"Pen",
                                                       "Brush",
                                                       "Line",
                                                       "Rectangle",
                                                       "Filled rectangle",
                                                       "Ellipse",
                                                       "Filled ellipse",
                                                       "Rectangle select",
                                                       "Free select",
                                                       "Eraser",
                                                       "Text",
                                                       "Fill"};
    for (int number = 1; number <= kToolCount; ++number) {
        auto* tool = new QToolButton(toolBox);
        tool->setObjectName(QStringLiteral("SpeedButton%1").arg(number));
        tool->setCheckable(true);
        tool->setAutoRaise(true);
        tool->setIcon(ToolGlyph(number));
        tool->setToolTip(QString::fromLatin1(kToolNames[number - 1]));
        m_tools->addButton(tool, number);
        toolGrid->addWidget(tool, (number - 1) / 3, (number - 1) % 3);
    }
    m_tools->button(1)->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, &TGraphicForm::chooseTool);

    auto small = [toolBox](const char* name, const char* hint, ActionGlyph glyph) {
        auto* b = new QToolButton(toolBox);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setIcon(ActionIcon(glyph));
        b->setAutoRaise(true);
        return b;
    };
    m_undoButton = small("UndoButton", "Undo", ActionGlyph::Undo);
    m_redoButton = small("RedoButton", "Redo", ActionGlyph::Redo);
    m_undoButton->setEnabled(false);
    m_redoButton->setEnabled(false);
    connect(m_undoButton, &QToolButton::clicked, this, &TGraphicForm::undoStep);
    connect(m_redoButton, &QToolButton::clicked, this, &TGraphicForm::redoStep);
    connect(m_undo, &QUndoStack::canUndoChanged, m_undoButton, &QWidget::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, m_redoButton, &QWidget::setEnabled);
    toolGrid->addWidget(m_undoButton, 4, 0);
    toolGrid->addWidget(m_redoButton, 4, 1);

    auto* bmp = new QPushButton(QStringLiteral("Bmp..."), toolBox);
    bmp->setObjectName(QStringLiteral("BmpButton"));
    auto* clear = new QPushButton(QStringLiteral("Clear"), toolBox);
    clear->setObjectName(QStringLiteral("Clear"));
    connect(bmp, &QPushButton::clicked, this, &TGraphicForm::BmpButtonClick);
    connect(clear, &QPushButton::clicked, this, &TGraphicForm::ClearClick);
    toolGrid->addWidget(bmp, 5, 0, 1, 3);
    toolGrid->addWidget(clear, 6, 0, 1, 3);

    auto* zoomBox = new QGroupBox(QStringLiteral("Zoom"), panel);
    zoomBox->setObjectName(QStringLiteral("Zoom"));
    QStringList entries;
    for (int entry = 1; entry <= kZoomEntries; ++entry) {
        entries.append(QString::number(entry));
    }
    m_zoom = ui::MakeListCombo(zoomBox, QStringLiteral("ComboBox3"), entries);
    m_zoom->setAccessibleName(QStringLiteral("Zoom"));
    auto* zoomOut = new QToolButton(zoomBox);
    zoomOut->setObjectName(QStringLiteral("SpeedButton13"));
    zoomOut->setIcon(ActionIcon(ActionGlyph::ZoomOut));
    zoomOut->setToolTip(QStringLiteral("Zoom out"));
    auto* zoomIn = new QToolButton(zoomBox);
    zoomIn->setObjectName(QStringLiteral("SpeedButton14"));
    zoomIn->setIcon(ActionIcon(ActionGlyph::ZoomIn));
    zoomIn->setToolTip(QStringLiteral("Zoom in"));
    connect(m_zoom, &QComboBox::activated, this, &TGraphicForm::applyZoom);
    connect(zoomOut, &QToolButton::clicked, this,
            [this] { applyZoom(std::max(0, m_zoom->currentIndex() - 1)); });
    connect(zoomIn, &QToolButton::clicked, this,
            [this] { applyZoom(std::min(kZoomEntries - 1, m_zoom->currentIndex() + 1)); });
    auto* zoomLayout = new QHBoxLayout(zoomBox);
    zoomLayout->addWidget(m_zoom, 1);
    zoomLayout->addWidget(zoomOut);
    zoomLayout->addWidget(zoomIn);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolBox);
    layout->addWidget(zoomBox);
    layout->addWidget(buildColourGroup());
    layout->addStretch();
    return panel;
}

QGroupBox* TGraphicForm::buildColourGroup() {
    m_colourGroup = new QGroupBox(QStringLiteral("  Color  "));
    m_colourGroup->setObjectName(QStringLiteral("ColorGroup"));
    m_colourGroup->setFixedHeight(80);
    m_colourGroup->setMinimumWidth(0);
    auto* use = new QLabel(QStringLiteral("Use:"), m_colourGroup);
    use->setObjectName(QStringLiteral("Label4"));
    use->move(12, 24);
    m_useSwatch =
        new ColourSwatch(m_colourGroup, QStringLiteral("Shape6"), m_model.colour(), false);
    m_useSwatch->setGeometry(45, 22, 40, 18);
    constexpr char kLetters[4] = {kPixelRed, kPixelGreen, kPixelYellow, kPixelOff};
    for (int i = 0; i < 4; ++i) {
        m_swatches[i] = new ColourSwatch(m_colourGroup, QStringLiteral("Shape%1").arg(7 + i),
                                         kLetters[i], true);
        m_swatches[i]->setGeometry(kTripleSwatchX[i], 48, 21, 21);
        connect(m_swatches[i], &ColourSwatch::chosen, this, &TGraphicForm::chooseColour);
    }
    return m_colourGroup;
}

void TGraphicForm::ShowEditor() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    ui::ShowInFront(*this, m_shownBefore);
}

void TGraphicForm::SetPaletteMode(bool single) {
    ColourSwatch* red = m_swatches[0];
    ColourSwatch* grey = m_swatches[3];
    m_swatches[1]->setVisible(!single);
    m_swatches[2]->setVisible(!single);
    red->move(single ? kSingleRedX : kTripleSwatchX[0], red->y());
    grey->move(single ? kSingleGreyX : kTripleSwatchX[3], grey->y());
}

void TGraphicForm::setNameDialog(TSelectGaphName* dialog) {
    if (m_nameDialog != nullptr) {
        disconnect(m_nameDialog, nullptr, this, nullptr);
    }
    m_nameDialog = dialog;
    connect(dialog, &QDialog::accepted, this, [this] { saveAs(m_nameDialog->chosenName()); });
}

TSelectGaphName& TGraphicForm::nameDialog() {
    if (m_nameDialog == nullptr) {
        // Made here only when the start-up table gave none (a window on its own).
        m_ownNameDialog = std::make_unique<TSelectGaphName>(nullptr);
        setNameDialog(m_ownNameDialog.get());
    }
    return *m_nameDialog;
}

void TGraphicForm::setBitmapDialog(TBmpSaveLoad* dialog) {
    m_bitmapDialog = dialog;
}

QString TGraphicForm::selectedName() const {
    const QListWidgetItem* item = m_list->currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

// --- Drawing ---------------------------------------------------------------------------------

void TGraphicForm::redraw() {
    m_grid->showGraphic(m_model.store(), m_model.width(), m_model.height(), m_model.zoom());
    if (!m_overlay->isHidden()) {
        m_overlay->refresh(m_model.floating(), m_model.zoom());
    }
}

void TGraphicForm::chooseTool(int number) {
    if (m_tool) {
        m_tool->deactivate(*m_canvas);
    }
    m_model.setTool(number);
    m_tool = MakeDrawingTool(number);
    if (m_tool) {
        m_tool->activate(*m_canvas);
        m_grid->setCursor(m_tool->cursorShape());
    } else {
        m_grid->setCursor(Qt::CrossCursor);
    }
    if (QAbstractButton* button = m_tools->button(number); button && !button->isChecked()) {
        button->setChecked(true);
    }
}

void TGraphicForm::chooseColour(char letter) {
    m_model.setColour(letter);
    m_useSwatch->setLetter(letter);
}

void TGraphicForm::gridReleased(QPoint position, Qt::MouseButton button) {
    if (button == Qt::RightButton && m_canvas->floatingShown()) {
        dropFloatingAsStep();
        return;
    }
    if (m_tool) {
        m_tool->released(*m_canvas, position, button);
    }
}

void TGraphicForm::dropFloatingAsStep() {
    if (!m_canvas->floatingShown()) {
        return;
    }
    if (m_stepStart) {
        // Within a tool's step: the drop belongs to it.
        m_canvas->dropFloating();
        return;
    }
    m_canvas->beginStep();
    m_canvas->dropFloating();
    m_canvas->endStep(QStringLiteral("Drop"));
}

void TGraphicForm::applyHeight(int index) {
    // A selection floating over the old size is dropped where it lies first.
    dropFloatingAsStep();
    m_model.setHeightIndex(index);
    m_height->setCurrentIndex(m_model.heightIndex());
    redraw();
}

void TGraphicForm::applyWidth(int index) {
    dropFloatingAsStep();
    m_model.setWidthIndex(index);
    m_width->setCurrentIndex(m_model.widthIndex());
    redraw();
}

void TGraphicForm::applyZoom(int index) {
    dropFloatingAsStep();
    m_model.setZoomIndex(index);
    m_zoom->setCurrentIndex(m_model.zoomIndex());
    redraw();
}

void TGraphicForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes (hides) the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TGraphicForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_list->viewport()) {
            if (const QListWidgetItem* item = m_list->itemAt(mouse->position().toPoint())) {
                ListBox1MouseUp(m_list->row(item));
            }
        } else if (watched == m_scroll->viewport() && mouse->button() == Qt::RightButton) {
            dropFloatingAsStep();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Undo ------------------------------------------------------------------------------------

EditorSnapshot TGraphicForm::snapshot() const {
    EditorSnapshot shot;
    shot.store = m_model.store();
    shot.floating = m_model.floating();
    shot.overlayShown = !m_overlay->isHidden();
    shot.overlay = m_overlay->gridGeometry();
    shot.widthIndex = m_model.widthIndex();
    shot.heightIndex = m_model.heightIndex();
    shot.zoom = m_model.zoom();
    return shot;
}

void TGraphicForm::restore(const EditorSnapshot& shot) {
    m_model.store() = shot.store;
    m_model.floating() = shot.floating;
    m_model.setWidthIndex(shot.widthIndex);
    m_model.setHeightIndex(shot.heightIndex);
    m_width->setCurrentIndex(m_model.widthIndex());
    m_height->setCurrentIndex(m_model.heightIndex());
    redraw();
    if (shot.overlayShown) {
        m_overlay->present(m_model.floating(),
                           ScaledOverlay(shot.overlay, shot.zoom, m_model.zoom()), m_model.zoom());
    } else {
        m_overlay->hide();
    }
}

SnapshotRestorer TGraphicForm::restorer() {
    return [this](const EditorSnapshot& shot) { restore(shot); };
}

// Undo and redo wait while a tool is in the middle of a step (a drag with the button held):
// the step would otherwise end on top of a store it did not start from.
void TGraphicForm::undoStep() {
    if (!m_stepStart) {
        m_undo->undo();
    }
}

void TGraphicForm::redoStep() {
    if (!m_stepStart) {
        m_undo->redo();
    }
}

void TGraphicForm::beginStep() {
    if (!m_stepStart) {
        m_stepStart = snapshot();
    }
}

std::optional<std::pair<EditorSnapshot, EditorSnapshot>> TGraphicForm::finishStep() {
    if (!m_stepStart) {
        return std::nullopt;
    }
    EditorSnapshot before = std::move(*m_stepStart);
    m_stepStart.reset();
    EditorSnapshot after = snapshot();
    if (after == before) {
        return std::nullopt;
    }
    return std::pair{std::move(before), std::move(after)};
}

// --- Buttons ---------------------------------------------------------------------------------

void TGraphicForm::ClearClick() {
    beginStep();
    m_model.clear();
    redraw();
    if (auto step = finishStep()) {
        m_undo->push(new ClearCommand(std::move(step->first), std::move(step->second), restorer()));
    }
}

void TGraphicForm::ListBox1MouseUp(int row) {
    if (row < 0 || row >= m_list->count()) {
        return;
    }
    const QString name = m_list->item(row)->text();
    beginStep();
    const Status opened = m_model.open(m_folder, name.toStdString());
    if (!opened) {
        m_stepStart.reset();
        ShowGraphicRefused(this, m_folder, name.toStdString(), opened.error());
        return;
    }
    m_height->setCurrentIndex(m_model.heightIndex());
    m_width->setCurrentIndex(m_model.widthIndex());
    redraw();
    if (auto step = finishStep()) {
        m_undo->push(new OpenGraphicCommand(name, std::move(step->first), std::move(step->second),
                                            restorer()));
    }
}

void TGraphicForm::SaveClick() {
    nameDialog().Open();
}

void TGraphicForm::saveAs(const QString& name) {
    std::error_code error;
    if (!std::filesystem::is_directory(m_folder, error)) {
        if (!std::filesystem::create_directory(m_folder, error) || error) {
            ui::ShowBox(this, ui::MessageKind::Error, Text(FolderCreationMessage(m_folder)));
            return;
        }
    }
    const std::string graphicName = name.toStdString();
    const std::filesystem::path path = GraphicPath(m_folder, graphicName);
    const bool exists = std::filesystem::exists(path, error);
    if (exists && ui::ShowBox(this, ui::MessageKind::Question, kOverwrite,
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const Status written = WriteGraphicFile(path, m_model.rows());
    if (!written) {
        ui::ShowErrorWithDetails(
            this,
            QStringLiteral("The graphic file %1 could not be saved.").arg(link::PathText(path)),
            Text(written.error().message));
        return;
    }
    if (!exists) {
        m_model.addName(graphicName);
        m_list->addItem(name);
        m_list->setCurrentRow(m_list->count() - 1);
    }
}

void TGraphicForm::DeleteButtonClick() {
    if (ui::ShowBox(this, ui::MessageKind::Question, kConfirmDelete,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const QString name = selectedName();
    if (name.isEmpty()) {
        return;
    }
    std::error_code error;
    const std::filesystem::path path = GraphicPath(m_folder, name.toStdString());
    if (!std::filesystem::is_regular_file(path, error) || !std::filesystem::remove(path, error) ||
        error) {
        ui::ShowBox(this, ui::MessageKind::Plain, kDeleteError);
        return;
    }
    m_model.removeName(name.toStdString());
    delete m_list->takeItem(m_list->currentRow());
    m_list->setCurrentRow(-1);
    beginStep();
    m_model.store().clear(kClearedColumns, kClearedRows);
    redraw();
    if (auto step = finishStep()) {
        m_undo->push(new DeleteGraphicCommand(name, std::move(step->first), std::move(step->second),
                                              restorer()));
    }
}

bool TGraphicForm::currentIsLine2() const {
    const QTextEdit* editor = m_host != nullptr ? m_host->CurrentEditor() : nullptr;
    return editor != nullptr && editor->objectName() == QStringLiteral("RichEdit2");
}

void TGraphicForm::InsertButtonClick() {
    const QString name = selectedName();
    if (name.isEmpty()) {
        ui::ShowBox(this, ui::MessageKind::Plain, kSelectName);
        return;
    }
    const std::string graphicName = name.toStdString();
    const Result<Graphic> graphic = ReadGraphicInFolder(m_folder, graphicName);
    if (!graphic) {
        // The file went away (or was spoilt) since the list was made: nothing is inserted and
        // the editor stays open.
        ShowGraphicRefused(this, m_folder, graphicName, graphic.error());
        return;
    }
    if (m_host != nullptr) {
        switch (DecideInsertion(graphicName, graphic->height(), m_host->LineText(1),
                                m_host->LineText(2), currentIsLine2())) {
        case InsertDecision::Insert:
            m_host->InsertTag(Text(PictureTag(graphicName)));
            break;
        case InsertDecision::TooManyGraphics:
            ui::ShowBox(this, ui::MessageKind::Plain, kTooMany);
            break;
        case InsertDecision::TooTallForLine2:
            ui::ShowBox(this, ui::MessageKind::Plain, kTooTall);
            break;
        }
    }
    hide();
}

void TGraphicForm::BmpButtonClick() {
    if (m_bitmapDialog == nullptr) {
        return;
    }
    m_bitmapDialog->setEditor(this);
    m_bitmapDialog->Open();
}

void TGraphicForm::SaveButtonClick() {
    ui::FileRequest request;
    request.mode = ui::FileRequest::Mode::Save;
    request.caption = QStringLiteral("Export Bmp");
    request.filters = {kBitmapFilter};
    request.defaultSuffix = QStringLiteral("bmp");
    QWidget* parent = m_bitmapDialog != nullptr && m_bitmapDialog->isVisible()
                          ? static_cast<QWidget*>(m_bitmapDialog)
                          : this;
    const QString fileName = ui::AskFileName(parent, request);
    if (fileName.isEmpty()) {
        return;
    }
    const Status written =
        WritePictureFile(link::FileSystemPath(fileName),
                         ExportGraphicPicture(m_model.store(), m_model.width(), m_model.height()));
    if (!written) {
        ui::ShowErrorWithDetails(
            parent, QStringLiteral("The picture %1 could not be written.").arg(fileName),
            Text(written.error().message));
    }
}

void TGraphicForm::LoadButtonClick() {
    ui::FileRequest request;
    request.mode = ui::FileRequest::Mode::Open;
    request.caption = QStringLiteral("Import Bmp");
    request.filters = {kBitmapFilter, PictureFilter()};
    request.defaultSuffix = QStringLiteral("bmp");
    QWidget* parent = m_bitmapDialog != nullptr && m_bitmapDialog->isVisible()
                          ? static_cast<QWidget*>(m_bitmapDialog)
                          : this;
    const QString fileName = ui::AskFileName(parent, request);
    if (fileName.isEmpty()) {
        return;
    }
    // The picture is read before anything changes, so a file that is not one leaves the graphic,
    // the list and the grid as they were.
    const Result<RgbPicture> picture = ReadPictureFile(link::FileSystemPath(fileName));
    if (!picture) {
        ui::ShowErrorWithDetails(parent,
                                 QStringLiteral("The picture %1 could not be read.").arg(fileName),
                                 Text(picture.error().message));
        return;
    }
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
    beginStep();
    ImportGraphicPicture(m_model.store(), *picture, m_model.width(), m_model.height());
    redraw();
    if (auto step = finishStep()) {
        m_undo->push(
            new ImportPictureCommand(std::move(step->first), std::move(step->second), restorer()));
    }
}

} // namespace lumivo::graphic

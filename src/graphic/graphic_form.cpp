#include "graphic/graphic_form.h"

#include "core/graphic_picture.h"
#include "core/program_folder.h"
#include "dialogs/input_text_dialog.h"
#include "graphic/bmp_save_load.h"
#include "graphic/colour_swatch.h"
#include "graphic/floating_selection.h"
#include "graphic/graphic_grid.h"
#include "graphic/select_graph_name.h"
#include "graphic/tool_glyphs.h"
#include "graphic/tools/tool_registry.h"
#include "image/picture_file.h"
#include "link/path_text.h"
#include "ui_graphic_form.h"
#include "widgets/editor_host.h"
#include "widgets/form.h"
#include "widgets/list_combo.h"
#include "widgets/prompter.h"
#include "widgets/window_support.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>

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

// Fills a list the splitter measured while it was still empty; a style change has the list forget
// the sizes it measured then.
void FillMeasuredList(QComboBox& list, const QStringList& entries) {
    ui::FillListCombo(list, entries);
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(&list, &styleChange);
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

    int width() const override { return m_form.editModel().width(); }
    int height() const override { return m_form.editModel().height(); }
    int zoom() const override { return m_form.editModel().zoom(); }
    char colour() const override { return m_form.editModel().colour(); }

    const PixelStore& store() const override { return m_form.editModel().store(); }
    void setCell(int x, int y, char letter) override {
        if (x < 0 || y < 0 || x >= PixelStore::kSize || y >= PixelStore::kSize) {
            return;
        }
        m_form.editModel().store().set(x, y, letter);
        m_form.grid()->updateCell(m_form.editModel().store(), x, y);
    }
    void replaceStore(const PixelStore& store) override {
        m_form.editModel().store() = store;
        m_form.redraw();
    }

    void setRubberBand(const RubberBand& band) override {
        m_form.grid()->setRubberBand(band, ScreenColour(colour()));
    }
    void drawTrailDot(int cellX, int cellY) override {
        m_form.grid()->addTrailDot(cellX, cellY, colour());
    }
    void redraw() override { m_form.redraw(); }

    const PixelStore& floating() const override { return m_form.editModel().floating(); }
    void replaceFloating(const PixelStore& floating) override {
        m_form.editModel().floating() = floating;
        if (floatingShown()) {
            m_form.m_overlay->refresh(floating, zoom());
        }
    }
    bool floatingShown() const override { return !m_form.m_overlay->isHidden(); }
    void showFloating(const QRect& gridPixels) override {
        m_form.m_overlay->present(m_form.editModel().floating(), gridPixels, zoom());
    }
    void dropFloating() override {
        if (!floatingShown()) {
            return;
        }
        // The overlay keeps its place in grid pixels, whatever the scrolling.
        const QRect overlay = m_form.m_overlay->gridGeometry();
        DropSelection(m_form.editModel().store(), m_form.editModel().floating(), overlay.topLeft(),
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
                                     accepted(requestOf(*dialog));
                                 }
                             });
        dialog->open();
    }

    void beginStep() override { m_form.m_document.beginStep(); }
    void endStep(const QString& name) override { m_form.m_document.endStep(name); }

private:
    // What the text input dialog holds after OK, as the Text tool takes it.
    static TextRequest requestOf(ui::TInputTextfrm& dialog) {
        const ui::InputText text = dialog.text();
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

// --- The window ------------------------------------------------------------------------------

TGraphicForm::TGraphicForm(ui::EditorHost* host, std::filesystem::path graphicsFolder,
                           QWidget* parent)
    : QWidget(parent), m_ui(*this, [this](Ui::TGraphicForm&) { wireForm(); }), m_host(host),
      m_folder(std::move(graphicsFolder)), m_canvas(std::make_unique<Canvas>(*this)) {
    setObjectName(QStringLiteral("TGraphicForm"));
    m_document.setView(this);
    if (m_host != nullptr) {
        m_singleColour = m_host->singleColorMode();
        m_host->followColorMode(this, [this](bool single) { setPaletteMode(single); });
    }
}

void TGraphicForm::wireForm() {
    m_ui->Splitter->setStretchFactor(0, 0);
    m_ui->Splitter->setStretchFactor(1, 1);
    m_ui->Splitter->setStretchFactor(2, 0);
    m_ui->Splitter->setSizes({100, 520, 140});
    setUpLists();
    connectCentre();
    connectToolPanel();
    setUpSwatches();
    addToolShortcuts();

    std::vector<std::string> names = ListGraphics(m_folder);
    for (const std::string& name : names) {
        m_ui->ListBox1->addItem(Text(name));
    }
    editModel().setNames(std::move(names));

    chooseTool(1);
    redraw();
    setPaletteMode(m_singleColour);
}

void TGraphicForm::setVisible(bool visible) {
    if (visible) {
        m_ui.make();
    }
    QWidget::setVisible(visible);
}

TGraphicForm::~TGraphicForm() = default;

std::unique_ptr<QWidget> TGraphicForm::create(ui::EditorHost& host, ui::TInputTextfrm& textDialog) {
    auto window = std::make_unique<TGraphicForm>(&host, GraphicsFolder());
    TGraphicForm* editor = window.get();
    editor->setTextDialog(&textDialog);
    host.bindCommand(QStringLiteral("EditGraphic1"), [editor] { editor->showEditor(); });
    return window;
}

ToolCanvas& TGraphicForm::canvas() {
    m_ui.make(); // the canvas draws into the form's grid
    return *m_canvas;
}

FloatingOverlay* TGraphicForm::overlay() const {
    m_ui.make();
    return m_overlay;
}

GraphicGrid* TGraphicForm::grid() const {
    return m_ui->Image1;
}

void TGraphicForm::setUpLists() {
    FillMeasuredList(*m_ui->ComboBox1, {QStringLiteral("7 dots"), QStringLiteral("8 dots")});
    FillMeasuredList(*m_ui->ComboBox2, {QStringLiteral("32 dots"), QStringLiteral("64 dots"),
                                        QStringLiteral("96 dots"), QStringLiteral("120 dots"),
                                        QStringLiteral("128 dots")});
    QStringList zooms;
    for (int entry = 1; entry <= kZoomEntries; ++entry) {
        zooms.append(QString::number(entry));
    }
    FillMeasuredList(*m_ui->ComboBox3, zooms);
    m_ui->ListBox1->viewport()->installEventFilter(this);
}

void TGraphicForm::connectCentre() {
    GraphicGrid* grid = m_ui->Image1;
    m_ui->ScrollBox1->viewport()->installEventFilter(this);
    m_overlay = new FloatingOverlay(grid);
    connect(m_ui->ComboBox1, &QComboBox::activated, this, &TGraphicForm::applyHeight);
    connect(m_ui->ComboBox2, &QComboBox::activated, this, &TGraphicForm::applyWidth);
    connect(grid, &GraphicGrid::pressed, this, [this](QPoint position, Qt::MouseButton button) {
        if (m_tool) {
            m_tool->pressed(*m_canvas, position, button);
        }
    });
    connect(grid, &GraphicGrid::moved, this, [this](QPoint position, Qt::MouseButtons buttons) {
        if (m_tool) {
            m_tool->moved(*m_canvas, position, buttons);
        }
    });
    connect(grid, &GraphicGrid::released, this, &TGraphicForm::gridReleased);
    connect(m_overlay, &FloatingOverlay::dropRequested, this, &TGraphicForm::dropFloatingAsStep);
    connect(m_ui->InsertButton, &QPushButton::clicked, this, &TGraphicForm::InsertButtonClick);
    connect(m_ui->Save, &QPushButton::clicked, this, &TGraphicForm::SaveClick);
    connect(m_ui->DeleteButton, &QPushButton::clicked, this, &TGraphicForm::DeleteButtonClick);
    connect(m_ui->SaveButton, &QPushButton::clicked, this, &TGraphicForm::SaveButtonClick);
    connect(m_ui->LoadButton, &QPushButton::clicked, this, &TGraphicForm::LoadButtonClick);
}

void TGraphicForm::connectToolPanel() {
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    for (const ToolEntry& tool : ToolRegistry()) {
        const int number = tool.identity->number;
        auto* button = findChild<QToolButton*>(QStringLiteral("SpeedButton%1").arg(number));
        button->setToolTip(QString::fromLatin1(tool.identity->name));
        m_tools->addButton(button, number);
    }
    m_tools->button(1)->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, &TGraphicForm::chooseTool);

    QUndoStack& undo = m_document.undoStack();
    connect(m_ui->UndoButton, &QToolButton::clicked, this, [this] { m_document.undo(); });
    connect(m_ui->RedoButton, &QToolButton::clicked, this, [this] { m_document.redo(); });
    connect(&undo, &QUndoStack::canUndoChanged, m_ui->UndoButton, &QWidget::setEnabled);
    connect(&undo, &QUndoStack::canRedoChanged, m_ui->RedoButton, &QWidget::setEnabled);
    connect(m_ui->BmpButton, &QPushButton::clicked, this, &TGraphicForm::BmpButtonClick);
    connect(m_ui->Clear, &QPushButton::clicked, this, &TGraphicForm::ClearClick);

    QComboBox* zoom = m_ui->ComboBox3;
    connect(zoom, &QComboBox::activated, this, &TGraphicForm::applyZoom);
    connect(m_ui->SpeedButton13, &QToolButton::clicked, this,
            [this, zoom] { applyZoom(std::max(0, zoom->currentIndex() - 1)); });
    connect(m_ui->SpeedButton14, &QToolButton::clicked, this,
            [this, zoom] { applyZoom(std::min(kZoomEntries - 1, zoom->currentIndex() + 1)); });
}

void TGraphicForm::setUpSwatches() {
    m_ui->Shape6->setLetter(model().colour());
    m_swatches[0] = m_ui->Shape7;
    m_swatches[1] = m_ui->Shape8;
    m_swatches[2] = m_ui->Shape9;
    m_swatches[3] = m_ui->Shape10;
    constexpr char kLetters[4] = {kPixelRed, kPixelGreen, kPixelYellow, kPixelOff};
    for (int i = 0; i < 4; ++i) {
        m_swatches[i]->setLetter(kLetters[i]);
        m_swatches[i]->setRound(true);
        connect(m_swatches[i], &ColourSwatch::chosen, this, &TGraphicForm::chooseColour);
    }
}

// Each tool's key chooses it, and the platform's keys undo and redo, while the window is active.
void TGraphicForm::addToolShortcuts() {
    for (const ToolEntry& tool : ToolRegistry()) {
        auto* choose = new QAction(this);
        choose->setShortcut(QKeySequence(QString::fromLatin1(tool.identity->shortcut)));
        const int number = tool.identity->number;
        connect(choose, &QAction::triggered, this, [this, number] { chooseTool(number); });
        addAction(choose);
    }
    auto* undo = new QAction(this);
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, [this] { m_document.undo(); });
    auto* redo = new QAction(this);
    redo->setShortcut(QKeySequence::Redo);
    connect(redo, &QAction::triggered, this, [this] { m_document.redo(); });
    addAction(undo);
    addAction(redo);
}

// The buttons' pictures are drawn once, when the window is first shown: the editor is made at
// start but mostly stays hidden.
void TGraphicForm::drawButtonPictures() {
    if (m_picturesDrawn) {
        return;
    }
    m_picturesDrawn = true;
    for (const ToolEntry& tool : ToolRegistry()) {
        m_tools->button(tool.identity->number)->setIcon(ToolIcon(*tool.identity));
    }
    m_ui->UndoButton->setIcon(ActionIcon(ActionGlyph::Undo));
    m_ui->RedoButton->setIcon(ActionIcon(ActionGlyph::Redo));
    m_ui->SpeedButton13->setIcon(ActionIcon(ActionGlyph::ZoomOut));
    m_ui->SpeedButton14->setIcon(ActionIcon(ActionGlyph::ZoomIn));
}

void TGraphicForm::showEvent(QShowEvent* event) {
    drawButtonPictures();
    QWidget::showEvent(event);
}

void TGraphicForm::showEditor() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    ui::ShowInFront(*this, m_shownBefore);
}

void TGraphicForm::setPaletteMode(bool single) {
    m_singleColour = single;
    if (!m_ui.isMade()) {
        return;
    }
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
    const QListWidgetItem* item = m_ui->ListBox1->currentItem();
    return item != nullptr && item->isSelected() ? item->text() : QString();
}

// --- Drawing ---------------------------------------------------------------------------------

void TGraphicForm::redraw() {
    m_ui->Image1->showGraphic(editModel().store(), editModel().width(), editModel().height(),
                              editModel().zoom());
    if (!m_overlay->isHidden()) {
        m_overlay->refresh(editModel().floating(), editModel().zoom());
    }
}

void TGraphicForm::chooseTool(int number) {
    if (m_tool) {
        m_tool->deactivate(*m_canvas);
    }
    editModel().setTool(number);
    m_tool = MakeDrawingTool(number);
    if (m_tool) {
        m_tool->activate(*m_canvas);
        m_ui->Image1->setCursor(m_tool->cursorShape());
    } else {
        m_ui->Image1->setCursor(Qt::CrossCursor);
    }
    if (QAbstractButton* button = m_tools->button(number); button && !button->isChecked()) {
        button->setChecked(true);
    }
}

void TGraphicForm::chooseColour(char letter) {
    editModel().setColour(letter);
    m_ui->Shape6->setLetter(letter);
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
    if (m_document.stepOpen()) {
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
    editModel().setHeightIndex(index);
    m_ui->ComboBox1->setCurrentIndex(editModel().heightIndex());
    redraw();
}

void TGraphicForm::applyWidth(int index) {
    dropFloatingAsStep();
    editModel().setWidthIndex(index);
    m_ui->ComboBox2->setCurrentIndex(editModel().widthIndex());
    redraw();
}

void TGraphicForm::applyZoom(int index) {
    dropFloatingAsStep();
    editModel().setZoomIndex(index);
    m_ui->ComboBox3->setCurrentIndex(editModel().zoomIndex());
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
        if (watched == m_ui->ListBox1->viewport()) {
            if (const QListWidgetItem* item = m_ui->ListBox1->itemAt(mouse->position().toPoint())) {
                ListBox1MouseUp(m_ui->ListBox1->row(item));
            }
        } else if (watched == m_ui->ScrollBox1->viewport() && mouse->button() == Qt::RightButton) {
            dropFloatingAsStep();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Undo ------------------------------------------------------------------------------------

FloatingPlace TGraphicForm::floatingPlace() const {
    m_ui.make();
    return {!m_overlay->isHidden(), m_overlay->gridGeometry()};
}

void TGraphicForm::showRestored(const EditorSnapshot& shot) {
    m_ui->ComboBox2->setCurrentIndex(model().widthIndex());
    m_ui->ComboBox1->setCurrentIndex(model().heightIndex());
    redraw();
    if (shot.overlayShown) {
        m_overlay->present(model().floating(),
                           ScaledOverlay(shot.overlay, shot.zoom, model().zoom()), model().zoom());
    } else {
        m_overlay->hide();
    }
}

// --- Buttons ---------------------------------------------------------------------------------

void TGraphicForm::ClearClick() {
    m_document.beginStep();
    editModel().clear();
    redraw();
    m_document.endStep(QStringLiteral("Clear"));
}

void TGraphicForm::ListBox1MouseUp(int row) {
    if (row < 0 || row >= m_ui->ListBox1->count()) {
        return;
    }
    const QString name = m_ui->ListBox1->item(row)->text();
    m_document.beginStep();
    const Status opened = editModel().open(m_folder, name.toStdString());
    if (!opened) {
        m_document.cancelStep();
        ShowGraphicRefused(this, m_folder, name.toStdString(), opened.error());
        return;
    }
    m_ui->ComboBox1->setCurrentIndex(editModel().heightIndex());
    m_ui->ComboBox2->setCurrentIndex(editModel().widthIndex());
    redraw();
    m_document.endStep(QStringLiteral("Open ") + name);
}

void TGraphicForm::SaveClick() {
    nameDialog().present();
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
    const Status written = WriteGraphicFile(path, editModel().rows());
    if (!written) {
        ui::ShowErrorWithDetails(
            this,
            QStringLiteral("The graphic file %1 could not be saved.").arg(link::PathText(path)),
            Text(written.error().message));
        return;
    }
    if (!exists) {
        editModel().addName(graphicName);
        m_ui->ListBox1->addItem(name);
        m_ui->ListBox1->setCurrentRow(m_ui->ListBox1->count() - 1);
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
    editModel().removeName(name.toStdString());
    delete m_ui->ListBox1->takeItem(m_ui->ListBox1->currentRow());
    m_ui->ListBox1->setCurrentRow(-1);
    m_document.beginStep();
    editModel().store().clear(kClearedColumns, kClearedRows);
    redraw();
    m_document.endStep(QStringLiteral("Delete ") + name);
}

bool TGraphicForm::currentIsLine2() const {
    const QTextEdit* editor = m_host != nullptr ? m_host->currentEditor() : nullptr;
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
        switch (DecideInsertion(graphicName, graphic->height(), m_host->lineText(1),
                                m_host->lineText(2), currentIsLine2())) {
        case InsertDecision::Insert:
            m_host->insertTag(Text(PictureTag(graphicName)));
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
    m_bitmapDialog->present();
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
    const Status written = WritePictureFile(
        link::FileSystemPath(fileName),
        ExportGraphicPicture(editModel().store(), editModel().width(), editModel().height()));
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
    m_ui->ListBox1->clearSelection();
    m_ui->ListBox1->setCurrentRow(-1);
    m_document.beginStep();
    ImportGraphicPicture(editModel().store(), *picture, editModel().width(), editModel().height());
    redraw();
    m_document.endStep(QStringLiteral("Import"));
}

} // namespace lumivo::graphic

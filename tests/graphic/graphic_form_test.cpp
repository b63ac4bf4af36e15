// The graphic editor window offscreen, through its controls' names: the graphic list with Open,
// Save and Delete, size, zoom and palette, insertion into the lines, picture export and import,
// and undo. Boxes and file dialogs are answered by the scripted prompter.

#include "dialogs/input_text_dialog.h"
#include "graphic/bmp_save_load.h"
#include "graphic/colour_swatch.h"
#include "graphic/graphic_form.h"
#include "graphic/graphic_grid.h"
#include "graphic/select_graph_name.h"
#include "graphic/tools/tool_registry.h"
#include "image/picture_file.h"
#include "link/fake_port.h"
#include "link/path_text.h"
#include "link/runners.h"
#include "support/scripted_prompter.h"
#include "widgets/editor_host.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lumivo::graphic {
namespace {

namespace fs = std::filesystem;

// The main window as the graphic editor sees it: two lines, which one is current, the tags
// inserted into it and the colour mode.
class GraphicHost final : public ui::EditorHost {
public:
    GraphicHost() {
        m_line1.setObjectName(QStringLiteral("RichEdit1"));
        m_line2.setObjectName(QStringLiteral("RichEdit2"));
    }
    std::string line1;
    std::string line2;
    bool line2Current = false;
    bool single = false;
    QStringList tags;
    std::vector<std::function<void(bool)>> followers;

    QWidget* mainWindow() override { return nullptr; }
    QTextEdit* currentEditor() const override {
        return line2Current ? const_cast<QTextEdit*>(&m_line2) : const_cast<QTextEdit*>(&m_line1);
    }
    void SetTagColor() override {}
    void ResetTextColor() override {}
    void replaceSelection(const QString&) override {}
    void insertTag(const QString& tag) override { tags.append(tag); }
    void InsertEffectTag(const QString&, const QString&) override {}
    std::string lineText(int line) const override { return line == 2 ? line2 : line1; }
    int comPort() const override { return 1; }
    QString settingsPath() const override { return {}; }
    bool singleColorMode() const override { return single; }
    void ApplyColorMode(bool mode) override {
        single = mode;
        for (const auto& follow : followers) {
            follow(mode);
        }
    }
    void followColorMode(QObject*, std::function<void(bool)> apply) override {
        followers.push_back(std::move(apply));
    }
    void bindCommand(const QString&, std::function<void()>) override {}
    void reportStatus(const QString&) override {}

private:
    QTextEdit m_line1;
    QTextEdit m_line2;
};

std::vector<std::string> Rows(int width, int height, char letter) {
    return std::vector<std::string>(height, std::string(width, letter));
}

class GraphicFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = link::FileSystemPath(m_dir.path()) / "Graphdata";
        fs::create_directory(m_folder);
    }

    TGraphicForm& open() {
        m_form = std::make_unique<TGraphicForm>(&m_host, m_folder);
        m_form->grid(); // the form is made on the first call that needs it
        m_bitmap = std::make_unique<TBmpSaveLoad>();
        m_bitmap->setEditor(m_form.get());
        m_form->setBitmapDialog(m_bitmap.get());
        return *m_form;
    }
    void write(const char* name, const std::vector<std::string>& rows) {
        ASSERT_TRUE(WriteGraphicFile(GraphicPath(m_folder, name), rows));
    }
    template <class T> T* child(const char* name) {
        auto* widget = m_form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListWidget* list() { return child<QListWidget>("ListBox1"); }
    QStringList listed() {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row) {
            names.append(list()->item(row)->text());
        }
        return names;
    }
    void select(const char* name) {
        const auto items = list()->findItems(QString::fromLatin1(name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name;
        list()->setCurrentItem(items.front());
    }
    // A mouse release over the list's item, as the user opens a graphic.
    void openFromList(const char* name) {
        const auto items = list()->findItems(QString::fromLatin1(name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name;
        const QPoint at = list()->visualItemRect(items.front()).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
    }
    // Save through the name dialog: choose the name, press OK.
    void saveAs(int number) {
        child<QPushButton>("Save")->click();
        TSelectGaphName* dialog = nameDialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        dialog->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(number - 1);
        dialog->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    }
    static TSelectGaphName* nameDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<TSelectGaphName*>(widget)) {
                return dialog;
            }
        }
        return nullptr;
    }
    std::vector<std::string> fileRows(const char* name) {
        const Result<Graphic> graphic = ReadGraphicFile(GraphicPath(m_folder, name));
        return graphic ? graphic->rows : std::vector<std::string>{};
    }
    // A pen stroke over cells, pressed at the first and released at the last.
    void stroke(const std::vector<QPoint>& cells) {
        GraphicGrid* grid = m_form->grid();
        const int zoom = m_form->model().zoom();
        auto at = [zoom](QPoint cell) { return cell * zoom + QPoint(1, 1); };
        QTest::mousePress(grid, Qt::LeftButton, {}, at(cells.front()));
        for (const QPoint& cell : cells) {
            QMouseEvent move(QEvent::MouseMove, at(cell), grid->mapToGlobal(at(cell)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(grid, &move);
        }
        QTest::mouseRelease(grid, Qt::LeftButton, {}, at(cells.back()));
    }

    QTemporaryDir m_dir;
    fs::path m_folder;
    GraphicHost m_host;
    ui::ScriptedPrompter m_prompter;
    ui::PrompterScope m_scope{m_prompter};
    std::unique_ptr<TGraphicForm> m_form;
    std::unique_ptr<TBmpSaveLoad> m_bitmap;
};

TEST_F(GraphicFormTest, StartsWithItsFirstStateAndEveryControl) {
    write("G03", Rows(32, 7, kPixelRed));
    std::ofstream(m_folder / "g01.txt") << "A\r\n";
    std::ofstream(m_folder / "G17.txt") << "A\r\n";
    std::ofstream(m_folder / "G1.txt") << "A\r\n";
    TGraphicForm& form = open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("GraphicForm"));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("G03")});
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("7 dots"));
    EXPECT_EQ(child<QComboBox>("ComboBox2")->currentText(), QStringLiteral("32 dots"));
    EXPECT_EQ(child<QComboBox>("ComboBox3")->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(child<QToolButton>("SpeedButton1")->isChecked());
    EXPECT_EQ(form.grid()->size(), QSize(96, 21));
    EXPECT_TRUE(form.overlay()->isHidden());
    EXPECT_TRUE(child<QPushButton>("SaveButton")->isHidden());
    EXPECT_TRUE(child<QPushButton>("LoadButton")->isHidden());
    EXPECT_FALSE(child<QToolButton>("UndoButton")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("RedoButton")->isEnabled());
    EXPECT_EQ(child<QToolButton>("UndoButton")->toolTip(), QStringLiteral("Undo"));
    // The panels beside the grid keep to their widths behind the splitters.
    EXPECT_EQ(child<QWidget>("ListPanel")->minimumWidth(), 40);
    EXPECT_EQ(child<QWidget>("ListPanel")->maximumWidth(), 130);
    EXPECT_EQ(child<QWidget>("ToolPanel")->minimumWidth(), 50);
    EXPECT_EQ(child<QWidget>("ToolPanel")->maximumWidth(), 140);
    // Choosing another tool releases the first.
    child<QToolButton>("SpeedButton12")->click();
    EXPECT_FALSE(child<QToolButton>("SpeedButton1")->isChecked());
    EXPECT_EQ(form.model().tool(), 12);
}

// Each tool's key chooses its tool and presses its button; the button shows the tool's name, and
// its picture is drawn once the window is first shown.
TEST_F(GraphicFormTest, EachToolsKeyChoosesItAndItsButtonShowsItsName) {
    open();
    EXPECT_TRUE(child<QToolButton>("SpeedButton1")->icon().isNull());
    m_form->show();
    m_form->activateWindow();
    QApplication::setActiveWindow(m_form.get());
    for (const ToolEntry& entry : ToolRegistry()) {
        const ToolIdentity& tool = *entry.identity;
        QTest::keySequence(m_form.get(), QKeySequence(QString::fromLatin1(tool.shortcut)));
        EXPECT_EQ(m_form->model().tool(), tool.number) << tool.name;
        const std::string name = "SpeedButton" + std::to_string(tool.number);
        auto* button = child<QToolButton>(name.c_str());
        EXPECT_TRUE(button->isChecked()) << tool.name;
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(tool.name));
        EXPECT_FALSE(button->icon().isNull()) << tool.name;
    }
}

TEST_F(GraphicFormTest, SaveAppendsNewNamesAsksBeforeOverwritingAndRemembersTheName) {
    write("G05", Rows(32, 7, kPixelRed));
    write("G02", Rows(32, 7, kPixelRed));
    open();
    const QStringList before = listed();
    ASSERT_EQ(before.size(), 2);

    m_form->canvas().setCell(0, 0, kPixelGreen);
    saveAs(9);
    EXPECT_TRUE(m_prompter.texts().isEmpty());
    std::vector<std::string> expected = Rows(32, 7, kPixelOff);
    expected[0][0] = kPixelGreen;
    EXPECT_EQ(fileRows("G09"), expected);
    EXPECT_EQ(listed(), before + QStringList{QStringLiteral("G09")});
    EXPECT_EQ(m_form->selectedName(), QStringLiteral("G09"));
    EXPECT_EQ(nameDialog()->windowTitle(), QStringLiteral("Select Graphi Name"));

    // The same name again: No writes nothing, Yes writes; the list stays as it is.
    m_form->canvas().setCell(1, 0, kPixelYellow);
    m_prompter.setNextAnswer(QMessageBox::No);
    saveAs(9);
    EXPECT_EQ(fileRows("G09"), expected);
    m_prompter.setNextAnswer(QMessageBox::Yes);
    child<QPushButton>("Save")->click();
    // The dialog opens with the name chosen last.
    EXPECT_EQ(nameDialog()->chosenName(), QStringLiteral("G09"));
    nameDialog()->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    expected[0][1] = kPixelYellow;
    EXPECT_EQ(fileRows("G09"), expected);
    EXPECT_EQ(m_prompter.texts(),
              QStringList(2, QStringLiteral("        overwrite the existing file ?        ")));
    EXPECT_EQ(listed().size(), 3);

    // Cancel saves nothing.
    child<QPushButton>("Save")->click();
    nameDialog()->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
    EXPECT_EQ(m_prompter.texts().size(), 2);
}

TEST_F(GraphicFormTest, SaveReportsAFolderItCannotCreate) {
    // The graphics folder would lie inside a regular file.
    const fs::path blocker = link::FileSystemPath(m_dir.path()) / "file";
    std::ofstream(blocker) << "x";
    m_folder = blocker / "Graphdata";
    open();
    m_form->saveAs(QStringLiteral("G01"));
    EXPECT_EQ(m_prompter.texts(),
              QStringList{QStringLiteral("Cannot create") + link::PathText(blocker) +
                          QStringLiteral("/GraphdataDirtrory")});
    EXPECT_TRUE(listed().isEmpty());
}

TEST_F(GraphicFormTest, DeleteAsksFirstAndClearsOnlyTheSignArea) {
    write("G01", Rows(32, 7, kPixelRed));
    write("G02", Rows(32, 7, kPixelRed));
    open();
    select("G01");
    m_form->canvas().setCell(127, 15, kPixelGreen);
    m_form->canvas().setCell(128, 3, kPixelGreen);
    m_form->canvas().setCell(4, 16, kPixelGreen);

    m_prompter.setNextAnswer(QMessageBox::No);
    child<QPushButton>("DeleteButton")->click();
    EXPECT_TRUE(fs::exists(GraphicPath(m_folder, "G01")));

    m_prompter.setNextAnswer(QMessageBox::Yes);
    child<QPushButton>("DeleteButton")->click();
    EXPECT_FALSE(fs::exists(GraphicPath(m_folder, "G01")));
    EXPECT_FALSE(listed().contains(QStringLiteral("G01")));
    EXPECT_EQ(m_form->model().store().at(127, 15), kPixelOff);
    EXPECT_EQ(m_form->model().store().at(128, 3), kPixelGreen);
    EXPECT_EQ(m_form->model().store().at(4, 16), kPixelGreen);

    // A file that went away: "Delete Error", the list keeps the name.
    select("G02");
    fs::remove(GraphicPath(m_folder, "G02"));
    m_prompter.setNextAnswer(QMessageBox::Yes);
    child<QPushButton>("DeleteButton")->click();
    EXPECT_EQ(m_prompter.texts(),
              (QStringList{QStringLiteral("        Comfirm to delete the Graph ?        "),
                           QStringLiteral("        Comfirm to delete the Graph ?        "),
                           QStringLiteral("        Comfirm to delete the Graph ?        "),
                           QStringLiteral("Delete Error")}));
    EXPECT_TRUE(listed().contains(QStringLiteral("G02")));
}

TEST_F(GraphicFormTest, OpenFromTheListSetsListedSizesAndRefusesBadFilesWhole) {
    write("G01", Rows(64, 8, kPixelYellow));
    std::vector<std::string> tall = Rows(40, 16, kPixelGreen);
    write("G02", tall);
    write("G03", {"AAA", "AA", "AAA", "AAA", "AAA", "AAA", "AAA"});
    open();

    openFromList("G01");
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("8 dots"));
    EXPECT_EQ(child<QComboBox>("ComboBox2")->currentText(), QStringLiteral("64 dots"));
    EXPECT_EQ(m_form->grid()->size(), QSize(64 * 3, 8 * 3));
    EXPECT_EQ(m_form->model().store().at(63, 7), kPixelYellow);

    // 16 rows and 40 columns are not in the lists: the size stays.
    openFromList("G02");
    EXPECT_EQ(m_form->model().height(), 8);
    EXPECT_EQ(m_form->model().width(), 64);
    EXPECT_EQ(m_form->model().store().at(39, 15), kPixelGreen);
    EXPECT_EQ(m_form->model().store().at(40, 0), kPixelYellow);

    const PixelStore before = m_form->model().store();
    openFromList("G03");
    ASSERT_EQ(m_prompter.boxes().size(), 1u);
    // The box says what is wrong with the file, and its details name the file.
    EXPECT_EQ(m_prompter.boxes()[0].request.text,
              QStringLiteral("Graphic G03 has rows of unequal length: row 2 has 2 dots, the first "
                             "row has 3."));
    EXPECT_TRUE(m_prompter.boxes()[0].request.details.endsWith(QStringLiteral("G03.txt")));
    EXPECT_EQ(m_form->model().store(), before);
    EXPECT_EQ(m_form->model().width(), 64);
}

TEST_F(GraphicFormTest, NineRowGraphicGoesIntoLine1AndIsRefusedAtSendBeforeAnyFrame) {
    write("G04", Rows(32, 9, kPixelRed));
    open();
    openFromList("G04");
    EXPECT_TRUE(m_prompter.boxes().empty());
    EXPECT_EQ(m_form->model().store().at(31, 8), kPixelRed);

    select("G04");
    child<QPushButton>("InsertButton")->click();
    ASSERT_EQ(m_host.tags, QStringList{QStringLiteral("<Pic:G04>")});

    const FolderGraphicSource graphics(m_folder);
    link::FakeLine line;
    const link::Outcome sent = link::RunSendMessage(
        line.opener(), line.clock(), {"Hi " + m_host.tags[0].toStdString(), "01", 'A', &graphics});
    EXPECT_FALSE(sent.success);
    EXPECT_EQ(sent.text,
              "Graphic G04 has 9 rows; the sign takes 7 or 8 rows, or 16 across both lines");
    EXPECT_TRUE(line.events().empty()); // not even opened: no "<BE>"
}

TEST_F(GraphicFormTest, TextToolFirstOffersAnInstalledFontThatFitsTheGraphic) {
    ui::TInputTextfrm dialog;
    open(); // 7 rows
    m_form->setTextDialog(&dialog);
    child<QToolButton>("SpeedButton11")->click();
    QTest::mousePress(m_form->grid(), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(m_form->grid(), Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_TRUE(dialog.isVisible());
    const QString family = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text();
    EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString();
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(), QStringLiteral("16"));

    dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->setPlainText(QStringLiteral("Hgy"));
    dialog.findChild<QPushButton*>(QStringLiteral("OK"))->click();
    ASSERT_FALSE(m_form->overlay()->isHidden());
    const int zoom = m_form->model().zoom();
    EXPECT_GT(m_form->overlay()->width() / zoom, 3); // three letters, not a blob or nothing
    EXPECT_GE(m_form->overlay()->height() / zoom, 4);
    EXPECT_LE(m_form->overlay()->height() / zoom, 7);
}

TEST_F(GraphicFormTest, ZoomButtonsStopAtTheEndsAndSizeChangesKeepTheStore) {
    open();
    m_form->canvas().setCell(100, 7, kPixelRed);
    const PixelStore store = m_form->model().store();
    struct Step {
        const char* control;
        int presses;
        const char* entry;
        int zoom;
    };
    for (const Step step : {Step{"SpeedButton14", 3, "4", 6}, Step{"SpeedButton14", 9, "8", 10},
                            Step{"SpeedButton13", 2, "6", 8}, Step{"SpeedButton13", 9, "1", 3}}) {
        for (int i = 0; i < step.presses; ++i) {
            child<QToolButton>(step.control)->click();
        }
        EXPECT_EQ(child<QComboBox>("ComboBox3")->currentText(), QString::fromLatin1(step.entry));
        EXPECT_EQ(m_form->model().zoom(), step.zoom);
        EXPECT_EQ(m_form->grid()->size(), QSize(32 * step.zoom, 7 * step.zoom));
    }
    QComboBox* width = child<QComboBox>("ComboBox2");
    QComboBox* height = child<QComboBox>("ComboBox1");
    for (const auto& [w, h, columns, rows] :
         {std::tuple{4, 1, 128, 8}, std::tuple{0, 0, 32, 7}, std::tuple{3, 1, 120, 8}}) {
        width->setCurrentIndex(w);
        Q_EMIT width->activated(w);
        height->setCurrentIndex(h);
        Q_EMIT height->activated(h);
        EXPECT_EQ(m_form->grid()->size(), QSize(columns * 3, rows * 3));
        EXPECT_EQ(m_form->model().store(), store);
    }
    // The cell beyond the old width shows again once the graphic is wide enough.
    EXPECT_EQ(m_form->grid()->image().pixel(100 * 3 + 1, 7 * 3 + 1), qRgb(255, 0, 0));
}

TEST_F(GraphicFormTest, PaletteFollowsTheColourModeAndASwatchChoosesTheColour) {
    open();
    auto* red = child<QWidget>("Shape7");
    auto* green = child<QWidget>("Shape8");
    auto* yellow = child<QWidget>("Shape9");
    auto* grey = child<QWidget>("Shape10");
    QTest::mouseClick(yellow, Qt::LeftButton);
    EXPECT_EQ(m_form->model().colour(), kPixelYellow);
    EXPECT_EQ(static_cast<ColourSwatch*>(child<QWidget>("Shape6"))->letter(), kPixelYellow);
    struct Mode {
        bool single;
        bool greenShown;
        int redX;
        int greyX;
    };
    for (const Mode mode : {Mode{true, false, 42, 82}, Mode{false, true, 17, 92}}) {
        m_host.ApplyColorMode(mode.single);
        EXPECT_EQ(!green->isHidden(), mode.greenShown);
        EXPECT_EQ(!yellow->isHidden(), mode.greenShown);
        EXPECT_FALSE(red->isHidden());
        EXPECT_FALSE(grey->isHidden());
        EXPECT_EQ(red->x(), mode.redX);
        EXPECT_EQ(grey->x(), mode.greyX);
        // The current colour is not changed by the mode.
        EXPECT_EQ(m_form->model().colour(), kPixelYellow);
    }
    QTest::mouseClick(grey, Qt::RightButton);
    EXPECT_EQ(m_form->model().colour(), kPixelOff);
}

// The form is made on first use; a colour mode chosen before that (the colour question at
// start) is the one it shows.
TEST_F(GraphicFormTest, AColourModeChosenBeforeTheFormIsMadeIsTheOneItShows) {
    TGraphicForm form(&m_host, m_folder);
    m_host.ApplyColorMode(true);
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("Shape8")), nullptr);
    form.show();
    auto* green = form.findChild<QWidget*>(QStringLiteral("Shape8"));
    auto* red = form.findChild<QWidget*>(QStringLiteral("Shape7"));
    ASSERT_NE(green, nullptr);
    ASSERT_NE(red, nullptr);
    EXPECT_TRUE(green->isHidden());
    EXPECT_EQ(red->x(), TGraphicForm::kSingleRedX);
}

TEST_F(GraphicFormTest, InsertPutsTheTagIntoTheCurrentLineOrSaysWhyNot) {
    write("G01", Rows(32, 8, kPixelRed));
    write("G02", Rows(32, 16, kPixelRed));
    open();
    m_form->show();

    child<QPushButton>("InsertButton")->click();
    EXPECT_TRUE(m_form->isVisible());

    select("G01");
    child<QPushButton>("InsertButton")->click();
    EXPECT_FALSE(m_form->isVisible());

    m_form->show();
    select("G02");
    m_host.line2Current = true;
    child<QPushButton>("InsertButton")->click();
    EXPECT_FALSE(m_form->isVisible());

    m_form->show();
    select("G01");
    m_host.line2Current = false;
    for (int number = 3; number <= 18; ++number) {
        m_host.line1 += PictureTag(GraphicName(number <= 16 ? number : 16));
    }
    m_host.line2 = "<Pic:G02><Pic:G99>";
    child<QPushButton>("InsertButton")->click();
    EXPECT_FALSE(m_form->isVisible());

    // The selected graphic's file went away: a file error, nothing inserted, the editor open.
    m_form->show();
    fs::remove(GraphicPath(m_folder, "G01"));
    child<QPushButton>("InsertButton")->click();
    EXPECT_TRUE(m_form->isVisible());

    EXPECT_EQ(m_host.tags, QStringList{QStringLiteral("<Pic:G01>")});
    const QStringList texts = m_prompter.texts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts.mid(0, 3),
              (QStringList{QStringLiteral("Select a graphic name"),
                           QStringLiteral("Graphic is too large to insert into Line2"),
                           QStringLiteral("Graphic Number greater than 16")}));
    EXPECT_TRUE(texts[3].contains(QStringLiteral("G01.txt")));
}

TEST_F(GraphicFormTest, ExportThenImportGivesBackTheLettersAndABadPictureChangesNothing) {
    write("G01", Rows(32, 7, kPixelRed));
    open();
    m_form->findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(1);
    Q_EMIT child<QComboBox>("ComboBox2")->activated(1);
    const char letters[] = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow, 'Z'};
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 7; ++y) {
            m_form->canvas().setCell(x, y, letters[(x + 2 * y) % 5]);
        }
    }
    const std::vector<std::string> drawn = m_form->model().rows();
    for (const char* name : {"out.bmp", "out.png"}) {
        const QString file = m_dir.filePath(QString::fromLatin1(name));
        m_prompter.setNextFileName(file);
        m_bitmap->findChild<QPushButton*>(QStringLiteral("exprot"))->click();
        m_form->ClearClick();
        select("G01");
        m_prompter.setNextFileName(file);
        m_bitmap->findChild<QPushButton*>(QStringLiteral("import"))->click();
        std::vector<std::string> expected = drawn;
        for (std::string& row : expected) {
            std::replace(row.begin(), row.end(), 'Z', kPixelOff);
        }
        EXPECT_EQ(m_form->model().rows(), expected) << name;
        EXPECT_TRUE(m_form->selectedName().isEmpty()) << name;
    }
    const ui::FileRequest& exportRequest = m_prompter.fileRequests().front();
    EXPECT_EQ(exportRequest.filters.front(), QStringLiteral("Bitmaps (*.bmp)"));
    EXPECT_EQ(exportRequest.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_TRUE(m_prompter.fileRequests()[1]
                    .filters.join(QLatin1Char(' '))
                    .contains(QStringLiteral("*.png")));

    // Not a picture: the box names it; store, list selection and grid stay.
    const QString bad = m_dir.filePath(QStringLiteral("bad.bmp"));
    std::ofstream(link::FileSystemPath(bad)) << "not a picture";
    select("G01");
    const PixelStore store = m_form->model().store();
    const QImage grid = m_form->grid()->image();
    m_prompter.setNextFileName(bad);
    m_form->LoadButtonClick();
    ASSERT_FALSE(m_prompter.texts().isEmpty());
    EXPECT_TRUE(m_prompter.texts().back().contains(QStringLiteral("bad.bmp")));
    EXPECT_EQ(m_form->model().store(), store);
    EXPECT_EQ(m_form->selectedName(), QStringLiteral("G01"));
    EXPECT_EQ(m_form->grid()->image(), grid);
}

TEST_F(GraphicFormTest, ImportUsesTheTopLeftOfThePictureThroughTheConversionRule) {
    open();
    // The edge colours of the conversion rule, then pure colours; 6 x 2 pixels.
    const std::vector<Rgb> colours = {{255, 224, 224}, {255, 225, 225}, {255, 255, 128},
                                      {255, 255, 129}, {0, 255, 0},     {255, 255, 255}};
    const std::string expectedTop = "A@E@D@";
    struct Case {
        int width, height;
    };
    for (const Case c : {Case{6, 2}, Case{200, 20}}) {
        m_form->canvas().setCell(10, 5, kPixelRed);    // inside the graphic, beyond a small picture
        m_form->canvas().setCell(140, 3, kPixelGreen); // beyond the cleared area
        RgbPicture picture{c.width, c.height, {}};
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                picture.pixels.push_back(x < 6 ? colours[x] : Rgb{255, 0, 0});
            }
        }
        const QString file = m_dir.filePath(QStringLiteral("picture.png"));
        ASSERT_TRUE(WritePictureFile(link::FileSystemPath(file), picture));
        m_prompter.setNextFileName(file);
        m_form->LoadButtonClick();
        const std::vector<std::string> rows = m_form->model().rows();
        EXPECT_EQ(rows[0].substr(0, 6), expectedTop) << c.width;
        EXPECT_EQ(m_form->model().store().at(10, 5), c.width > 10 ? kPixelRed : kPixelOff)
            << c.width;
        // The size stays; nothing is read beyond it.
        EXPECT_EQ(m_form->model().width(), 32);
        EXPECT_EQ(m_form->model().store().at(32, 0), kPixelOff) << c.width;
        EXPECT_EQ(m_form->model().store().at(140, 3), kPixelGreen) << c.width;
    }
}

TEST_F(GraphicFormTest, ExportFailureNamesThePathAndTheReason) {
    open();
    const QString file = m_dir.filePath(QStringLiteral("missing/out.bmp"));
    m_prompter.setNextFileName(file);
    m_form->SaveButtonClick();
    ASSERT_EQ(m_prompter.boxes().size(), 1u);
    EXPECT_TRUE(m_prompter.boxes()[0].request.text.contains(file));
    EXPECT_FALSE(m_prompter.boxes()[0].request.details.isEmpty());
}

TEST_F(GraphicFormTest, BitmapDialogPreviewsTheGraphicOnePixelPerDot) {
    open();
    m_form->canvas().setCell(0, 0, kPixelGreen);
    m_form->canvas().setCell(31, 6, kPixelRed);
    m_form->canvas().setCell(32, 0, kPixelRed); // beyond the width: not shown
    child<QPushButton>("BmpButton")->click();
    EXPECT_TRUE(m_bitmap->isVisible());
    EXPECT_EQ(m_bitmap->windowTitle(), QStringLiteral("BmpSaveLoad"));
    const QImage& preview = m_bitmap->preview();
    EXPECT_EQ(preview.size(), QSize(158, 117));
    EXPECT_EQ(preview.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(preview.pixel(31, 6), qRgb(255, 0, 0));
    EXPECT_EQ(preview.pixel(1, 1), qRgb(128, 128, 128));
    EXPECT_EQ(preview.pixel(32, 0), qRgb(255, 255, 255));
    EXPECT_EQ(preview.pixel(0, 7), qRgb(255, 255, 255));
    auto* cancel = m_bitmap->findChild<QPushButton*>(QStringLiteral("Cancel"));
    EXPECT_TRUE(cancel->font().bold());
    cancel->click();
    EXPECT_FALSE(m_bitmap->isVisible());
}

TEST_F(GraphicFormTest, PenCellRepaintsOnlyItsRectangleAndUndoRestoresTheExactStore) {
    open();
    m_form->show();
    child<QToolButton>("SpeedButton14")->click();     // zoom 4
    m_form->canvas().setCell(150, 150, kPixelYellow); // outside the graphic
    m_form->undoStack().clear();
    const PixelStore start = m_form->model().store();
    m_form->grid()->takeRequestedRepaint();

    stroke({{2, 1}});
    EXPECT_EQ(m_form->grid()->takeRequestedRepaint(), QRect(8, 4, 4, 4));
    EXPECT_EQ(m_form->model().store().at(2, 1), kPixelRed);

    stroke({{0, 0}, {1, 0}, {3, 0}});
    const PixelStore drawn = m_form->model().store();
    EXPECT_EQ(drawn.at(3, 0), kPixelRed);
    EXPECT_EQ(drawn.at(2, 0), kPixelOff); // positions are not joined
    EXPECT_EQ(m_form->undoStack().count(), 2);
    EXPECT_TRUE(child<QToolButton>("UndoButton")->isEnabled());

    m_form->ClearClick();
    EXPECT_EQ(m_form->model().store(), PixelStore());
    child<QToolButton>("UndoButton")->click();
    EXPECT_EQ(m_form->model().store(), drawn);
    child<QToolButton>("UndoButton")->click();
    child<QToolButton>("UndoButton")->click();
    EXPECT_EQ(m_form->model().store(), start);
    EXPECT_FALSE(child<QToolButton>("UndoButton")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("RedoButton")->isEnabled());
    child<QToolButton>("RedoButton")->click();
    child<QToolButton>("RedoButton")->click();
    EXPECT_EQ(m_form->model().store(), drawn);
    // The grid shows what the store holds after a redo.
    EXPECT_EQ(m_form->grid()->image(), RenderGrid(drawn, 32, 7, 4));

    // The platform's keys undo and redo too.
    m_form->activateWindow();
    QApplication::setActiveWindow(m_form.get());
    QTest::keySequence(m_form.get(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(m_form->undoStack().index(), 1);
    QTest::keySequence(m_form.get(), QKeySequence(QKeySequence::Redo));
    EXPECT_EQ(m_form->model().store(), drawn);

    // A stroke that changes no cell leaves no step, so what can be redone stays.
    stroke({{3, 0}});
    EXPECT_EQ(m_form->undoStack().index(), 2);
    EXPECT_TRUE(m_form->undoStack().canRedo());

    // Undo waits while a stroke is under way; the stroke then becomes its own step.
    QTest::mousePress(m_form->grid(), Qt::LeftButton, {}, QPoint(5 * 4 + 1, 2 * 4 + 1));
    child<QToolButton>("UndoButton")->click();
    EXPECT_EQ(m_form->model().store().at(5, 2), kPixelRed);
    EXPECT_EQ(m_form->model().store().at(3, 0), kPixelRed);
    QTest::mouseRelease(m_form->grid(), Qt::LeftButton, {}, QPoint(5 * 4 + 1, 2 * 4 + 1));
    EXPECT_EQ(m_form->undoStack().index(), 3);
    m_form->undoStack().undo();
    EXPECT_EQ(m_form->model().store(), drawn);
}

TEST_F(GraphicFormTest, RightReleaseOverTheScrollAreaDropsTheFloatingSelection) {
    open();
    child<QToolButton>("SpeedButton14")->click(); // zoom 4
    PixelStore floating;
    floating.set(0, 0, kPixelGreen);
    floating.set(1, 0, kPixelYellow);
    m_form->canvas().replaceFloating(floating);
    m_form->canvas().showFloating(QRect(8, 4, 8, 4)); // two cells at cell (2, 1)
    EXPECT_FALSE(m_form->overlay()->isHidden());

    auto* viewport = child<QScrollArea>("ScrollBox1")->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(300, 200));
    EXPECT_TRUE(m_form->overlay()->isHidden());
    EXPECT_EQ(m_form->model().store().at(2, 1), kPixelGreen);
    EXPECT_EQ(m_form->model().store().at(3, 1), kPixelYellow);

    // Undo brings the floating selection back, unchanged store.
    m_form->undoStack().undo();
    EXPECT_FALSE(m_form->overlay()->isHidden());
    EXPECT_EQ(m_form->model().store().at(2, 1), kPixelOff);
}

TEST_F(GraphicFormTest, TheOverlayScrollsWithTheGridAndDropsWhereItLies) {
    open();
    m_form->show();
    Q_EMIT child<QComboBox>("ComboBox2")->activated(4); // 128 dots
    for (int i = 0; i < 7; ++i) {
        child<QToolButton>("SpeedButton14")->click(); // zoom 10
    }
    auto* scroll = child<QScrollArea>("ScrollBox1");
    ASSERT_GT(scroll->horizontalScrollBar()->maximum(), 400);
    PixelStore floating;
    floating.set(0, 0, kPixelGreen);
    floating.set(1, 0, kPixelYellow);
    m_form->canvas().replaceFloating(floating);
    m_form->canvas().showFloating(QRect(300, 10, 20, 10)); // cells (30, 1) and (31, 1)
    for (const int scrolled : {200, 400}) {
        scroll->horizontalScrollBar()->setValue(scrolled);
        EXPECT_EQ(m_form->overlay()->pos(), m_form->grid()->pos() + QPoint(300, 10)) << scrolled;
    }
    // A left drag moves its place by the pointer's way, unsnapped; it is shown on the cells the
    // drop fills.
    FloatingOverlay* overlay = m_form->overlay();
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(12, 5), overlay->mapToGlobal(QPointF(12, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(12, 5));
    EXPECT_EQ(overlay->gridGeometry(), QRect(307, 10, 20, 10));
    EXPECT_EQ(overlay->pos(), m_form->grid()->pos() + QPoint(300, 10));
    EXPECT_EQ(m_form->model().store(), PixelStore());

    QTest::mouseClick(overlay, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_TRUE(overlay->isHidden());
    EXPECT_EQ(m_form->model().store().at(30, 1), kPixelGreen);
    EXPECT_EQ(m_form->model().store().at(31, 1), kPixelYellow);
}

TEST(GraphicGridDrawing, DotsAreRoundInTheirScreenColoursOnBlack) {
    PixelStore store;
    store.set(1, 0, kPixelRed);
    store.set(2, 0, kPixelGreen);
    store.set(3, 0, kPixelYellow);
    store.set(4, 0, 'x');
    const QImage image = RenderGrid(store, 5, 1, 10);
    ASSERT_EQ(image.size(), QSize(50, 10));
    const QRgb colours[] = {qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0),
                            qRgb(255, 255, 0), qRgb(128, 128, 128)};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(image.pixel(x * 10 + 5, 5), colours[x]) << x;
        // Corners are outside the circle, the edge is its black outline.
        EXPECT_EQ(image.pixel(x * 10, 0), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(image.pixel(x * 10 + 9, 9), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(image.pixel(x * 10 + 5, 0), qRgb(0, 0, 0)) << x;
    }
    // At the smallest zoom a dot still shows its colour in the middle.
    EXPECT_EQ(RenderGrid(store, 5, 1, 3).pixel(1 * 3 + 1, 1), qRgb(255, 0, 0));
}

} // namespace
} // namespace lumivo::graphic

// The font maker offscreen: adding, drawing with the mouse, NO, Delete, Save and Open.

#include "core/file_io.h"
#include "core/program_folder.h"
#include "support/window_test_support.h"
#include "userfont/euro_char_form.h"
#include "userfont/font_maker.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

using namespace lumivo;
using namespace lumivo::test;
using lumivo::ui::MessageKind;

namespace {

struct Bench {
    ui::ScriptedPrompter boxes;
    ui::PrompterScope scope{boxes};
    userfont::TFontMakefrm window{nullptr};
    QTemporaryDir dir;

    Bench() { window.showFontMaker(); }

    template <typename T> T* find(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    QWidget* area() { return find<QWidget>("Image1"); }
    QListWidget* list() { return find<QListWidget>("ListBox1"); }

    void add(const char* code, const char* size) {
        find<QComboBox>("ComboBox1")->setCurrentText(QString::fromLatin1(code));
        find<QComboBox>("ComboBox2")->setCurrentText(QString::fromLatin1(size));
        QTest::mouseClick(find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    }
    void chooseRow(int row) {
        const QRect cell = list()->visualItemRect(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void clickCell(int column, int row) {
        const auto& model = window.model();
        QTest::mouseClick(
            area(), Qt::LeftButton, {},
            QPoint(model.gridLeft() + column * 15 + 7, model.gridTop() + row * 15 + 7));
    }
    QStringList texts() {
        QStringList result;
        for (int i = 0; i < list()->count(); ++i) {
            result.append(list()->item(i)->text());
        }
        return result;
    }
    void menu(const char* action) { find<QAction>(action)->trigger(); }
    QString path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }
    Bytes file(const char* name) {
        const auto read = ReadWholeFile(std::filesystem::path(path(name).toStdString()));
        return read ? *read : Bytes("(unreadable)");
    }
};

const std::string kMark = "LEDFONTModal58204";

std::string Count(char n) {
    return std::string(1, n) + std::string(3, '\0');
}

} // namespace

TEST(FontMaker, ControlsAsCreated) {
    Bench b;
    ASSERT_EQ(b.window.windowTitle(), QStringLiteral("Font Make"));
    auto* codes = b.find<QComboBox>("ComboBox1");
    ASSERT_EQ(codes->count(), 64);
    ASSERT_EQ(codes->itemText(0), QStringLiteral("U40"));
    ASSERT_EQ(codes->itemText(63), QStringLiteral("U7F"));
    ASSERT_EQ(codes->currentText(), QStringLiteral("U40"));
    auto* sizes = b.find<QComboBox>("ComboBox2");
    ASSERT_EQ(sizes->count(), 3);
    ASSERT_EQ(sizes->currentText(), QStringLiteral("4x7"));
    ASSERT_EQ(b.find<QToolButton>("SpeedButton1")->toolTip(), QStringLiteral("Add Char To Draw"));
    ASSERT_EQ(b.find<QToolButton>("SpeedButton2")->toolTip(), QStringLiteral("Delete Char"));
    ASSERT_EQ(b.area()->size(), QSize(257, 201));
    ASSERT_EQ(b.find<QLabel>("Label4")->text(), QStringLiteral("Width:"));
    ASSERT_EQ(b.find<QLabel>("Label5")->text(), QStringLiteral("Height: "));
    ASSERT_EQ(b.find<QWidget>("Panel2")->palette().color(QPalette::Window), QColor(255, 255, 230));
    ASSERT_TRUE(!b.find<QAction>("TransfertoSign1")->isEnabled());
    // Nothing chosen: the drawing area is the off colour only.
    const QImage empty = b.area()->grab().toImage();
    ASSERT_EQ(empty.pixelColor(128, 100), QColor(212, 208, 200));
}

TEST(FontMaker, DuplicateAddRefused) {
    Bench b;
    b.add("U40", "4x7");
    b.add("U40", "5x7");
    ASSERT_TRUE(b.boxes.boxes().empty());
    b.add("U40", "5x7");
    ASSERT_EQ(b.boxes.texts(),
              QStringList{QStringLiteral("    This Char and the same Font Size Exists    ")});
    ASSERT_EQ(b.boxes.boxes().back().request.buttons, QMessageBox::Yes);
    ASSERT_EQ(b.texts(), (QStringList{QStringLiteral("U40-4x7"), QStringLiteral("U40-5x7")}));
}

TEST(FontMaker, DrawSaveClearAndReopen) {
    Bench b;
    b.add("U40", "5x7");
    b.chooseRow(0);
    ASSERT_EQ(b.find<QLabel>("Label4")->text(), QStringLiteral("Width: 5"));
    ASSERT_EQ(b.find<QLabel>("Label5")->text(), QStringLiteral("Height: 7"));
    b.clickCell(0, 0);
    ASSERT_EQ(b.window.statusBar()->findChild<QLabel*>(QStringLiteral("PositionPanel"))->text(),
              QStringLiteral("Position: (0, 0)"));
    const QImage drawn = b.area()->grab().toImage();
    ASSERT_EQ(drawn.pixelColor(91 + 7, 48 + 7), QColor(255, 0, 0));
    ASSERT_EQ(drawn.pixelColor(91 + 15 + 7, 48 + 7), QColor(212, 208, 200));
    ASSERT_EQ(drawn.pixelColor(91, 48 + 7), QColor(0, 128, 64));
    if (qEnvironmentVariableIsSet("LUMIVO_SCREENSHOT_DIR")) {
        // Toggles the dots of an "A" (the top left one is on already); the same clicks again take
        // it back to that one dot.
        const char* const letter[] = {"####.", "#...#", "#...#", "#####",
                                      "#...#", "#...#", "#...#"};
        const auto drawLetter = [&b, &letter] {
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (letter[row][column] == '#') {
                        b.clickCell(column, row);
                    }
                }
            }
        };
        drawLetter();
        b.window.grab().save(qEnvironmentVariable("LUMIVO_SCREENSHOT_DIR") +
                             QStringLiteral("/font-maker.png"));
        drawLetter();
    }

    b.boxes.setNextFileName(b.path("one.fon"));
    b.menu("SaveFont1");
    const std::string record = "U40A" + std::string(1, '\x80') + std::string(47, '\0');
    ASSERT_EQ(b.file("one.fon"), kMark + Count(1) + record);
    ASSERT_EQ(b.boxes.fileRequests().back().filters,
              (QStringList{QStringLiteral("font file(*.fon)"), QStringLiteral("All files(*.*)")}));

    QTest::mouseClick(b.find<QPushButton>("Button2"), Qt::LeftButton);
    ASSERT_EQ(b.area()->grab().toImage().pixelColor(91 + 7, 48 + 7), QColor(212, 208, 200));
    b.boxes.setNextFileName(b.path("cleared.fon"));
    b.menu("SaveFont1");
    ASSERT_EQ(b.file("cleared.fon"), kMark + Count(1) + std::string(52, '\0'));

    b.boxes.setNextFileName(b.path("cleared.fon"));
    b.menu("OpenFont1");
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("-")});
    b.boxes.setNextFileName(b.path("one.fon"));
    b.menu("OpenFont1");
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U40-5x7")});
    ASSERT_TRUE(b.boxes.boxes().empty());
    // A cancelled dialog changes nothing.
    b.menu("OpenFont1");
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U40-5x7")});
}

TEST(FontMaker, DragWithTheMouseTogglesEachCellOnce) {
    Bench b;
    b.add("U41", "4x7");
    b.chooseRow(0);
    const int left = b.window.model().gridLeft();
    const int top = b.window.model().gridTop();
    QTest::mousePress(b.area(), Qt::LeftButton, {}, QPoint(left + 2, top + 2));
    for (const QPoint step :
         {QPoint(left + 10, top + 3), QPoint(left + 20, top + 3), QPoint(left + 25, top + 5),
          QPoint(left + 8, top + 5), QPoint(left + 8, top + 20)}) {
        QMouseEvent move(QEvent::MouseMove, step, b.area()->mapToGlobal(step), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b.area(), &move);
    }
    QTest::mouseRelease(b.area(), Qt::LeftButton, {}, QPoint(left + 8, top + 20));
    // (0,0) on, (1,0) on, back to (0,0) off, then (0,1) on.
    const UserCharRecord& record = b.window.model().entries()[0].record;
    ASSERT_EQ(int(record[4]), 0x40);
    ASSERT_EQ(int(record[5]), 0x80);
    ASSERT_EQ(int(record[3]), int('C'));
}

TEST(FontMaker, ListShowsTheCharacterAfterItsText) {
    Bench b;
    b.add("U40", "4x7");
    b.add("U41", "4x7");
    b.chooseRow(1);
    b.clickCell(0, 0);
    b.clickCell(3, 6);
    QTest::mouseClick(b.find<QPushButton>("Button1"), Qt::LeftButton);
    const QImage shown = b.list()->viewport()->grab().toImage();
    const QFontMetrics metrics(b.list()->font());
    const QRect row0 = b.list()->visualItemRect(b.list()->item(0));
    const QRect row1 = b.list()->visualItemRect(b.list()->item(1));
    ASSERT_EQ(row1.height(), 23);
    const int left = row1.left() + metrics.horizontalAdvance(QStringLiteral("U41-4x7")) + 6;
    ASSERT_EQ(shown.pixelColor(left, row1.top()), QColor(255, 0, 0));
    ASSERT_EQ(shown.pixelColor(left + 1, row1.top()), QColor(255, 255, 255));
    ASSERT_EQ(shown.pixelColor(left + 3, row1.top() + 6), QColor(255, 0, 0));
    // The undrawn entry shows no picture.
    ASSERT_TRUE(shown.pixelColor(left, row0.top()) != QColor(255, 0, 0));
}

TEST(FontMaker, DeleteAsksFirst) {
    Bench b;
    b.add("U40", "4x7");
    b.add("U41", "4x7");
    b.chooseRow(0);
    b.boxes.setNextAnswer(QMessageBox::No);
    QTest::mouseClick(b.find<QToolButton>("SpeedButton2"), Qt::LeftButton);
    ASSERT_EQ(b.texts().size(), 2);
    b.boxes.setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(b.find<QToolButton>("SpeedButton2"), Qt::LeftButton);
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U41-4x7")});
    ASSERT_EQ(b.boxes.texts().front(),
              QStringLiteral("        Comfirm to delete the Selected Item?        "));
    ASSERT_EQ(b.boxes.boxes().front().request.buttons, QMessageBox::Yes | QMessageBox::No);
    ASSERT_EQ(b.area()->grab().toImage().pixelColor(98, 48), QColor(212, 208, 200));
}

TEST(FontMaker, OpenRefusesAFileWithoutTheMarkAndKeepsTheList) {
    Bench b;
    b.add("U40", "4x7");
    ASSERT_TRUE(
        WriteFileReplacing(b.path("other.fon").toStdString(), "LEDFONTModel58204" + Count(0)));
    b.boxes.setNextFileName(b.path("other.fon"));
    b.menu("OpenFont1");
    ASSERT_EQ(b.boxes.texts(),
              QStringList{QStringLiteral(" This font file is not for LED Display Modal58204")});
    ASSERT_EQ(b.boxes.boxes().back().request.kind, MessageKind::Error);
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U40-4x7")});
    // A short file keeps its whole records and says it is damaged.
    const std::string record = "U7FA" + std::string(48, '\0');
    ASSERT_TRUE(
        WriteFileReplacing(b.path("short.fon").toStdString(), kMark + Count(2) + record + "U4"));
    b.boxes.setNextFileName(b.path("short.fon"));
    b.menu("OpenFont1");
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U7F-5x7")});
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t{2});
    ASSERT_TRUE(!b.boxes.boxes().back().request.details.isEmpty());
}

TEST(FontMaker, SaveFailureNamesTheFile) {
    Bench b;
    b.add("U40", "4x7");
    const QString target = b.path("missing-folder/font.fon");
    b.boxes.setNextFileName(target);
    b.menu("SaveFont1");
    ASSERT_EQ(b.boxes.boxes().size(), std::size_t{1});
    ASSERT_EQ(b.boxes.boxes().back().request.kind, MessageKind::Error);
    ASSERT_TRUE(b.boxes.boxes().back().request.details.contains(target));
    ASSERT_EQ(b.texts(), QStringList{QStringLiteral("U40-4x7")});
}

TEST(FontMaker, FactoryBindsTheMenuItem) {
    RecordingHost host;
    struct : ui::FontTransferPanel {
        void openTransferFont(ui::UserFontSource&) override {}
    } panel;
    userfont::TuEuropeanCharForm picker(nullptr, &host, "no-picture.bmp");
    const std::unique_ptr<QWidget> window = userfont::TFontMakefrm::create(host, panel, picker);
    ASSERT_TRUE(!window->isVisible());
    ASSERT_TRUE(host.choose("UserFontMake1"));
    ASSERT_TRUE(window->isVisible());
}

TEST(FontMaker, DialogsStartInTheProgramFolder) {
    QTemporaryDir home;
    const QByteArray previous = qgetenv("LUMIVO_HOME");
    qputenv("LUMIVO_HOME", home.path().toLocal8Bit());
    const QString programFolder = QString::fromStdString(WritableProgramFolder().string());
    Bench b;
    b.menu("OpenFont1");
    b.menu("SaveFont1");
    b.boxes.setNextFileName(b.path("kept.fon"));
    b.menu("SaveFont1");
    b.menu("SaveFont1");
    b.menu("OpenFont1");
    QStringList folders;
    for (const ui::FileRequest& request : b.boxes.fileRequests()) {
        folders.append(request.directory);
    }
    // Opening starts in the program's folder; saving there too, then where the last file went.
    ASSERT_EQ(folders, (QStringList{programFolder, programFolder, programFolder, b.dir.path(),
                                    programFolder}));
    ASSERT_EQ(programFolder, home.path());
    if (previous.isNull()) {
        qunsetenv("LUMIVO_HOME");
    } else {
        qputenv("LUMIVO_HOME", previous);
    }
}

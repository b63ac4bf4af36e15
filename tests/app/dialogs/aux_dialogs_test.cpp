// Link Pages, Move Speed and Column, Input Text, Read Me and About, offscreen.

#include "core/program_folder.h"
#include "dialogs/about_box.h"
#include "dialogs/input_text_dialog.h"
#include "dialogs/link_pages_dialog.h"
#include "dialogs/move_speed_dialog.h"
#include "dialogs/printing.h"
#include "dialogs/read_me.h"
#include "dialogs/sign_command_dialog.h"
#include "support/dialogs_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

using namespace lumivo;
using namespace lumivo::test;
using ui::MessageKind;

namespace {

template <typename T> T* Find(QWidget* window, const char* name) {
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// --- the start-up factories

TEST(DialogFactories, EachWindowBindsTheMenuItemsItServes) {
    RecordingHost host;
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(ui::TSetID::create(host));
    windows.push_back(ui::TLinkpagefrm::create(host));
    windows.push_back(ui::TInputTextfrm::create(host));
    windows.push_back(ui::TMoveSpeedfrm::create(host));
    windows.push_back(ui::TAboutBox::create(host));
    QStringList bound;
    for (const auto& [name, handler] : host.commands) {
        bound.append(name);
    }
    bound.sort();
    EXPECT_EQ(bound, (QStringList{QStringLiteral("About1"), QStringLiteral("Column1"),
                                  QStringLiteral("LinkPagesToRun1"), QStringLiteral("MoveSpeed1"),
                                  QStringLiteral("ReadMe1"), QStringLiteral("RunPage1"),
                                  QStringLiteral("SendMessages1"), QStringLiteral("SetBrightness1"),
                                  QStringLiteral("SetClock1"), QStringLiteral("SetID1"),
                                  QStringLiteral("ToolButton12")}));
    QStringList names;
    for (const auto& window : windows) {
        names.append(window->objectName());
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("TSetID"), QStringLiteral("TLinkpagefrm"),
                                  QStringLiteral("TInputTextfrm"), QStringLiteral("TMoveSpeedfrm"),
                                  QStringLiteral("TAboutBox")}));

    // The menu items open their windows.
    ASSERT_TRUE(host.choose("SetBrightness1"));
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("Set Brightness"));
    ASSERT_TRUE(host.choose("LinkPagesToRun1"));
    EXPECT_TRUE(windows[1]->isVisible());
    ASSERT_TRUE(host.choose("Column1"));
    EXPECT_EQ(windows[3]->windowTitle(), QStringLiteral("Set Starting Column"));
    ASSERT_TRUE(host.choose("About1"));
    EXPECT_TRUE(windows[4]->isVisible());
}

// --- Link Pages

class LinkPagesTest : public ::testing::Test {
protected:
    link::FakeLine line;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    ui::TLinkpagefrm dialog{ConnectionTo(line)};

    QComboBox* ids() { return Find<QComboBox>(&dialog, "ComboBox1"); }
    QLineEdit* pages() { return Find<QLineEdit>(&dialog, "Edit1"); }
    QPushButton* ok() { return Find<QPushButton>(&dialog, "OK"); }

    void send(const char* id, const char* typed) {
        ChooseText(ids(), QString::fromLatin1(id));
        pages()->clear();
        QTest::keyClicks(pages(), QString::fromLatin1(typed));
        QTest::mouseClick(ok(), Qt::LeftButton);
        EXPECT_FALSE(ok()->isEnabled());
        ASSERT_TRUE(WaitForCommand(&dialog));
        EXPECT_TRUE(ok()->isEnabled());
        EXPECT_TRUE(dialog.isVisible()); // it stays open after OK
        EXPECT_FALSE(line.isOpen());
    }
    QString lastBox() const { return boxes.texts().isEmpty() ? QString() : boxes.texts().back(); }
};

TEST_F(LinkPagesTest, OpensModelessWithTheFocusInThePageField) {
    dialog.present();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowModality(), Qt::NonModal);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Link Pages"));
    EXPECT_EQ(dialog.focusWidget(), pages());
    EXPECT_EQ(ids()->count(), 256);
    EXPECT_EQ(ids()->currentText(), QStringLiteral("00"));
    EXPECT_EQ(ok()->text(), QStringLiteral("OK"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels.append(label->text());
    }
    EXPECT_TRUE(labels.contains(QStringLiteral("Sign ID:")));
    EXPECT_TRUE(labels.contains(QStringLiteral("Page: (e.g. abcED)")));
}

TEST_F(LinkPagesTest, ThePageFieldTakesLettersAndBackspaceOnly) {
    dialog.present();
    QTest::keyClicks(pages(), QStringLiteral("a1b c!D_z9"));
    EXPECT_EQ(pages()->text(), QStringLiteral("abcDz"));
    QTest::keyClick(pages(), Qt::Key_Backspace);
    EXPECT_EQ(pages()->text(), QStringLiteral("abcD"));
    QTest::keyClick(pages(), Qt::Key_Left);
    QTest::keyClicks(pages(), QStringLiteral("X"));
    EXPECT_EQ(pages()->text(), QStringLiteral("abcXD"));
    QTest::keyClick(pages(), Qt::Key_Return);
    EXPECT_EQ(pages()->text(), QStringLiteral("abcXD"));
    EXPECT_EQ(line.openCount(), 0); // Enter sends nothing
    // A paste of anything but letters does not get in either.
    pages()->clear();
    pages()->insert(QStringLiteral("ab12"));
    EXPECT_EQ(pages()->text(), QString());
}

TEST_F(LinkPagesTest, SendsTheUpperCasedPagesAsAScheduleCoveringEveryDate) {
    dialog.present();
    send("01", "abc");
    EXPECT_EQ(line.written(), "<ID01><TA>00010100009912302359ABC5A<E>");
    EXPECT_EQ(line.written().size(), 38u);
    EXPECT_EQ(lastBox(), QStringLiteral("   Link page OK   "));
    EXPECT_EQ(boxes.boxes().back().request.kind, MessageKind::Information);
    EXPECT_EQ(boxes.boxes().back().request.buttons, QMessageBox::Yes);

    // An empty field sends the command with no pages.
    send("01", "");
    EXPECT_EQ(line.frames().back(), "<ID01><TA>000101000099123023591A<E>");
}

TEST_F(LinkPagesTest, EverySignAtOnceSilenceAndAMissingPort) {
    dialog.present();
    send("00", "abc");
    EXPECT_EQ(line.frames().back(), "<ID00><TA>00010100009912302359ABC5A<E>");
    EXPECT_EQ(lastBox(), QStringLiteral("   Linking page is over   "));
    for (const std::string& event : line.events()) {
        EXPECT_NE(event, "timeout");
        EXPECT_NE(event.rfind("read", 0), 0u) << event;
    }

    line.setDefaultReply("");
    send("01", "a");
    EXPECT_EQ(lastBox(), QStringLiteral("  Link page Error  "));
    EXPECT_EQ(boxes.boxes().back().request.kind, MessageKind::Plain);

    line.setOpenFails();
    const std::size_t written = line.written().size();
    send("01", "a");
    EXPECT_EQ(lastBox(), QStringLiteral(" Open Com Error "));
    EXPECT_EQ(boxes.boxes().back().request.kind, MessageKind::Error);
    EXPECT_EQ(line.written().size(), written);
}

// --- Move Speed and Column

class MoveSpeedTest : public ::testing::Test {
protected:
    QStringList inserted;
    ui::TMoveSpeedfrm dialog{[this](const QString& tag) { inserted.append(tag); }};

    QSlider* track() { return Find<QSlider>(&dialog, "TrackBar1"); }
    QComboBox* columns() { return Find<QComboBox>(&dialog, "ComboBox1"); }
};

TEST_F(MoveSpeedTest, TheSpeedPanelInsertsThreeMinusThePosition) {
    dialog.openMoveSpeed();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Move Speed"));
    EXPECT_EQ(dialog.windowModality(), Qt::NonModal);
    EXPECT_TRUE(Find<QWidget>(&dialog, "speedPanel")->isVisible());
    EXPECT_FALSE(Find<QWidget>(&dialog, "Panel1")->isVisible());
    EXPECT_EQ(track()->minimum(), 0);
    EXPECT_EQ(track()->maximum(), 3);
    EXPECT_EQ(track()->tickInterval(), 1);
    EXPECT_NE(track()->tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(track()->value(), 0);

    // The labels sit at the ends: "3 Fast" left of "0 Slow".
    QLabel* fast = nullptr;
    QLabel* slow = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("3 Fast")) {
            fast = label;
        } else if (label->text() == QStringLiteral("0 Slow")) {
            slow = label;
        }
    }
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(slow, nullptr);
    EXPECT_LT(fast->geometry().x(), slow->geometry().x());

    QTest::keyClick(track(), Qt::Key_Right);
    EXPECT_EQ(track()->value(), 1);
    QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);
    EXPECT_EQ(inserted, QStringList{QStringLiteral("<Speed 2>")});
    EXPECT_FALSE(dialog.isVisible());

    // The position is kept for the next use.
    dialog.openMoveSpeed();
    EXPECT_EQ(track()->value(), 1);
    track()->setValue(0);
    EXPECT_EQ(dialog.speedTag(), QStringLiteral("<Speed 3>"));
    track()->setValue(3);
    dialog.OKClick();
    EXPECT_EQ(inserted.back(), QStringLiteral("<Speed 0>"));
}

TEST_F(MoveSpeedTest, TheColumnPanelInsertsTheIndexInThreeDigits) {
    dialog.openColumn();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Starting Column"));
    EXPECT_TRUE(Find<QWidget>(&dialog, "Panel1")->isVisible());
    EXPECT_FALSE(Find<QWidget>(&dialog, "speedPanel")->isVisible());
    ASSERT_EQ(columns()->count(), 256);
    EXPECT_EQ(columns()->itemText(0), QStringLiteral("0"));
    EXPECT_EQ(columns()->itemText(255), QStringLiteral("255"));
    EXPECT_EQ(columns()->currentText(), QStringLiteral("0"));
    QTest::keyClicks(columns(), QStringLiteral("7"));
    EXPECT_EQ(columns()->currentText(), QStringLiteral("0")); // typing chooses nothing

    ChooseText(columns(), QStringLiteral("7"));
    QTest::mouseClick(Find<QPushButton>(&dialog, "Button1"), Qt::LeftButton);
    EXPECT_EQ(inserted, QStringList{QStringLiteral("<COL 007>")});
    EXPECT_FALSE(dialog.isVisible());

    dialog.openColumn();
    EXPECT_EQ(columns()->currentText(), QStringLiteral("7"));
    ChooseText(columns(), QStringLiteral("255"));
    dialog.Button1Click();
    EXPECT_EQ(inserted.back(), QStringLiteral("<COL 255>"));
    ChooseText(columns(), QStringLiteral("0"));
    EXPECT_EQ(dialog.columnTag(), QStringLiteral("<COL 000>"));
}

TEST_F(MoveSpeedTest, EnterPressesTheOkOfThePanelShown) {
    dialog.openMoveSpeed();
    QTest::keyClick(track(), Qt::Key_Return);
    dialog.openColumn();
    QTest::keyClick(columns(), Qt::Key_Return);
    dialog.openMoveSpeed();
    QTest::keyClick(track(), Qt::Key_Return);
    EXPECT_EQ(inserted, (QStringList{QStringLiteral("<Speed 3>"), QStringLiteral("<COL 000>"),
                                     QStringLiteral("<Speed 3>")}));
}

TEST(MoveSpeedFactory, InsertsThroughTheMainWindowAtOkTime) {
    RecordingHost host;
    std::unique_ptr<QWidget> window = ui::TMoveSpeedfrm::create(host);
    ASSERT_TRUE(host.choose("MoveSpeed1"));
    EXPECT_TRUE(host.tags.isEmpty()); // nothing before OK
    QTest::mouseClick(Find<QPushButton>(window.get(), "OK"), Qt::LeftButton);
    EXPECT_EQ(host.tags, QStringList{QStringLiteral("<Speed 3>")});
}

// --- Input Text

// Rows of the preview that hold a dark pixel.
std::vector<int> InkedRows(const QImage& image) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

class InputTextTest : public ::testing::Test {
protected:
    ui::TInputTextfrm dialog;

    QLineEdit* edit(const char* name) { return Find<QLineEdit>(&dialog, name); }
    QPlainTextEdit* memo() { return Find<QPlainTextEdit>(&dialog, "Memo1"); }
    // The first inked row at or below `from`.
    int firstInkFrom(int from) {
        for (int y : InkedRows(dialog.previewImage())) {
            if (y >= from) {
                return y;
            }
        }
        return -1;
    }
};

TEST_F(InputTextTest, FirstOpeningShowsArialTenAndAWhitePreview) {
    dialog.present();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("InputText"));
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(edit("Edit1")->text(), QStringLiteral("Arial"));
    EXPECT_EQ(edit("Edit2")->text(), QStringLiteral("10"));
    EXPECT_EQ(edit("Edit3")->text(), QStringLiteral("16"));
    EXPECT_FALSE(edit("Edit1")->isEnabled());
    EXPECT_FALSE(edit("Edit2")->isEnabled());
    EXPECT_TRUE(edit("Edit3")->isEnabled());
    auto* image = Find<QLabel>(&dialog, "Image1");
    EXPECT_EQ(image->size(), QSize(160, 105));
    EXPECT_EQ(dialog.previewImage().size(), QSize(160, 105));
    EXPECT_TRUE(InkedRows(dialog.previewImage()).empty());
    EXPECT_EQ(qRgb(255, 255, 255), dialog.previewImage().pixel(80, 50));
    auto* frame = Find<QLabel>(Find<QWidget>(&dialog, "Panel1"), "bottomImage");
    EXPECT_TRUE(frame->geometry().contains(image->geometry()));
    EXPECT_EQ(dialog.text().font.family(), QStringLiteral("Arial"));
}

TEST_F(InputTextTest, LinesAreDrawnOneLineHeightApart) {
    dialog.present();
    QTest::keyClicks(memo(), QStringLiteral("HI"));
    const int top = firstInkFrom(0);
    ASSERT_GE(top, 0);
    ASSERT_LT(top, 16);
    QTest::keyClick(memo(), Qt::Key_Return);
    QTest::keyClicks(memo(), QStringLiteral("HI"));
    EXPECT_EQ(firstInkFrom(16), top + 16);

    // The preview follows the height at once; a height that is not a number means 16.
    edit("Edit3")->setText(QStringLiteral("40"));
    EXPECT_EQ(firstInkFrom(16), top + 40);
    EXPECT_EQ(dialog.lineHeight(), 40);
    edit("Edit3")->setText(QStringLiteral("1x"));
    EXPECT_EQ(dialog.lineHeight(), 16);
    EXPECT_EQ(firstInkFrom(16), top + 16);

    const ui::InputText text = dialog.text();
    EXPECT_EQ(text.lines, (QStringList{QStringLiteral("HI"), QStringLiteral("HI")}));
    EXPECT_EQ(text.lineHeight, 16);

    memo()->clear();
    EXPECT_TRUE(InkedRows(dialog.previewImage()).empty());
    EXPECT_TRUE(dialog.text().lines.isEmpty());
}

TEST_F(InputTextTest, TheFontDialogSetsThePreviewFont) {
    dialog.present();
    QTest::keyClicks(memo(), QStringLiteral("H"));
    const std::vector<int> small = InkedRows(dialog.previewImage());
    QFont offered;
    bool confirm = false;
    QFont big(QStringLiteral("DejaVu Sans"), 28, QFont::Bold);
    dialog.setFontChooser(
        [&](QWidget*, const QFont& current, std::function<void(const QFont&)> chosen) {
            offered = current;
            if (confirm) {
                chosen(big);
            }
        });
    // Cancelled: nothing changes.
    QTest::mouseClick(Find<QPushButton>(&dialog, "Button1"), Qt::LeftButton);
    EXPECT_EQ(offered.family(), QStringLiteral("Arial"));
    EXPECT_EQ(edit("Edit1")->text(), QStringLiteral("Arial"));

    confirm = true;
    QTest::mouseClick(Find<QPushButton>(&dialog, "Button1"), Qt::LeftButton);
    EXPECT_EQ(edit("Edit1")->text(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(edit("Edit2")->text(), QStringLiteral("28"));
    EXPECT_EQ(dialog.text().font, big);
    EXPECT_GT(InkedRows(dialog.previewImage()).size(), small.size() + 8);
}

TEST_F(InputTextTest, OkAndCancelAnswerTheTextTool) {
    dialog.present();
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QTest::mouseClick(Find<QPushButton>(&dialog, "OK"), Qt::LeftButton);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
    dialog.present();
    QTest::mouseClick(Find<QPushButton>(&dialog, "Cancel"), Qt::LeftButton);
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// --- Read Me and About

TEST(ReadMe, OpensTheManualBesideTheProgram) {
    QList<QUrl> opened;
    ui::DocumentOpenerScope scope([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    RecordingHost host;
    std::unique_ptr<QWidget> about = ui::TAboutBox::create(host);

    qunsetenv("LUMIVO_HOME");
    ASSERT_TRUE(host.choose("ReadMe1"));
    ASSERT_EQ(opened.size(), 1);
    const QString manual = opened.back().toLocalFile();
    const QString beside =
        QFileInfo(QString::fromStdString(ExecutableFolder().string())).absoluteFilePath() +
        QStringLiteral("/Manual.txt");
    EXPECT_EQ(manual, beside);
    // The build puts the manual there.
    EXPECT_TRUE(QFileInfo::exists(manual)) << manual.toStdString();
    EXPECT_FALSE(about->isVisible()); // Read Me shows no window of its own

    // A program folder with a manual of its own opens that one; without one, the manual the
    // program ships is found all the same.
    QTemporaryDir home;
    qputenv("LUMIVO_HOME", home.path().toLocal8Bit());
    host.choose("ReadMe1");
    EXPECT_EQ(opened.back().toLocalFile(), beside);
    QFile own(home.filePath(QStringLiteral("Manual.txt")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    host.choose("ReadMe1");
    qunsetenv("LUMIVO_HOME");
    EXPECT_EQ(opened.back().toLocalFile(), home.filePath(QStringLiteral("Manual.txt")));
}

TEST(ReadMe, ShowsTheManualItselfWhenNoProgramOpensIt) {
    int asked = 0;
    ui::DocumentOpenerScope scope([&](const QUrl&) {
        ++asked;
        return false;
    });
    QWidget main;
    RecordingHost host;
    host.mainWidget = &main;
    std::unique_ptr<QWidget> about = ui::TAboutBox::create(host);
    qunsetenv("LUMIVO_HOME");
    for (int time = 0; time < 2; ++time) {
        host.choose("ReadMe1");
    }
    EXPECT_EQ(asked, 2);
    const QList<ui::ManualWindow*> windows = main.findChildren<ui::ManualWindow*>();
    ASSERT_EQ(windows.size(), 1); // shown again, not made again
    EXPECT_TRUE(windows.front()->isVisible());
    QFile manual(ui::ManualPath());
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_EQ(windows.front()->text(), QString::fromUtf8(manual.readAll()));
    EXPECT_FALSE(windows.front()->text().isEmpty());
}

TEST(AboutBox, ShowsTheIconAndTheVersionAndOkClosesIt) {
    ui::TAboutBox box;
    box.present();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
    auto* version = Find<QLabel>(&box, "Version");
    EXPECT_EQ(version->text(), QStringLiteral("Version:     2.1"));
    EXPECT_TRUE(version->font().bold());
    auto* icon = Find<QLabel>(&box, "ProgramIcon");
    ASSERT_FALSE(icon->pixmap().isNull());
    // The drawn sign is not a blank square: it has lit dots of several colours.
    const QImage picture = icon->pixmap().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            colours.insert(picture.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 8);
    auto* ok = Find<QPushButton>(&box, "OKButton");
    EXPECT_TRUE(ok->isDefault());
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace

// The printing module loads from where the build puts it beside the programs and makes print
// jobs; a folder without it gives the reason instead.
TEST(Printing, TheModuleLoadsFromItsFolderAndAFolderWithoutItGivesTheReason) {
    QString why;
    const std::unique_ptr<ui::Printing> printing = ui::LoadPrinting(why);
    ASSERT_NE(printing, nullptr) << why.toStdString();
    EXPECT_NE(printing->makePrintJob(), nullptr);

    QTemporaryDir empty;
    EXPECT_EQ(ui::LoadPrinting(why, empty.path()), nullptr);
    EXPECT_FALSE(why.isEmpty());
}

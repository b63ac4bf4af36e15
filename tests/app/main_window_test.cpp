// The main window: its shape, menus and toolbar, tag insertion, the keyboard and the length rule.

#include "app_test_support.h"

#include "app/startup.h"
#include "core/tags.h"

#include <QApplication>
#include <QGuiApplication>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstring>

namespace lumivo::ui::test {
namespace {

class MainWindowTest : public EditorTest {};

// One line per item: its name and caption as the user reads it (the mnemonic's "&" left out),
// "-" for a separator, marks for hidden and ticked items, submenus indented.
void DumpMenu(const QList<QAction*>& actions, int depth, QString& out) {
    for (const QAction* action : actions) {
        out += QString(depth * 2, QLatin1Char(' '));
        out += action->isSeparator() ? QStringLiteral("-")
                                     : action->objectName() + QStringLiteral(" \"") +
                                           QString(action->text()).remove(QLatin1Char('&')) + u'"';
        if (!action->isVisible()) {
            out += QStringLiteral(" hidden");
        }
        if (action->isCheckable() && action->isChecked()) {
            out += QStringLiteral(" ticked");
        }
        out += u'\n';
        if (action->menu() != nullptr) {
            DumpMenu(action->menu()->actions(), depth + 1, out);
        }
    }
}

TEST_F(MainWindowTest, WindowHasItsCaptionSizeTabsAndStatusPanels) {
    TForm1& main = StartQuiet();
    EXPECT_EQ(main.objectName(), QStringLiteral("TForm1"));
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Lumivo"));
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 300);
    EXPECT_EQ(main.size(), QSize(614, 447));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((main.geometry().center() - screen.center()).manhattanLength(), 1);

    auto* pages = main.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Line 1"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Line 2"));
    EXPECT_TRUE(pages->isTabVisible(0));
    EXPECT_FALSE(pages->isTabVisible(1));
    EXPECT_EQ(pages->widget(0)->objectName(), QStringLiteral("TabSheet1"));
    EXPECT_EQ(pages->widget(1)->objectName(), QStringLiteral("TabSheet2"));
    EXPECT_EQ(pages->widget(0)->findChild<LineEditor*>(QStringLiteral("RichEdit1")), main.line1());
    EXPECT_EQ(pages->widget(1)->findChild<LineEditor*>(QStringLiteral("RichEdit2")), main.line2());
    EXPECT_EQ(main.CurrentEdit(), main.line1());

    for (LineEditor* editor : {main.line1(), main.line2()}) {
        EXPECT_TRUE(editor->font().bold());
        EXPECT_TRUE(editor->font().fixedPitch());
        EXPECT_EQ(editor->font().pixelSize(), 19);
        EXPECT_EQ(editor->insertionColour(), QColor(0, 0, 0));
        EXPECT_TRUE(editor->insertionBold());
    }
    EXPECT_EQ(main.line1()->font().families().constFirst(), QStringLiteral("MingLiU"));
    EXPECT_EQ(main.line2()->font().families().constFirst(), QStringLiteral("PMingLiU"));

    auto* bar = main.findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    ASSERT_NE(bar, nullptr);
    const QList<QLabel*> panels = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 3);
    EXPECT_EQ(panels[0]->width(), 100);
    EXPECT_EQ(panels[1]->width(), 70);
    EXPECT_EQ(panels[2]->width(), 50);
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("0"));

    auto* band = main.findChild<QWidget*>(QStringLiteral("ControlBar1"));
    ASSERT_NE(band, nullptr);
    auto* toolbar = band->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->width(), band->contentsRect().width() - 4); // the band's width, less margins
}

TEST_F(MainWindowTest, MenusHoldEveryItemInOrderWithTheirCaptions) {
    TForm1& main = StartQuiet();
    QString dump;
    DumpMenu(main.menuBar()->actions(), 0, dump);
    const QString expected = QStringLiteral(R"(File1 "File"
  New "New"
  Open "Open..."
  Save "Save..."
  -
  SetCommu "Set COM..."
  -
  Exit "Exit"
Edit1 "Edit"
  Cut "Cut"
  Copy "Copy"
  Paste "Paste"
  Delete "Delete"
Commands1 "Commands"
  CapitalControlByLine1 "Effect Control By Line 1" hidden ticked
  - hidden
  LeadingEffect1 "Leading Effect"
    Immediate1 "Immediate"
    Xopen1 "Xopen"
    CurtainUp1 "Curtain Up"
    CurtainDown1 "Curtain Down"
    ScrollLeft1 "Scroll Left"
    ScrollRight1 "Scroll Right"
    Vopen1 "Vopen"
    Vclose1 "Vclose"
    ScrollUp1 "Scroll Up"
    ScrollDown1 "Scroll Down"
    Hold1 "Hold"
    Snow1 "Snow"
    Twinkle1 "Twinkle"
    BlockMove1 "Block Move"
    Random1 "Random"
    Welcome1 "Welcome"
      HelloWorld1 "Hello World"
      Welcome3 "Welcome"
  -
  MoveSpeed1 "Move Speed..."
  DisplayEffect1 "Display Effect"
    Normal2 "Normal"
    Blinking2 "Blinking"
    Song12 "Song 1"
    Song22 "Song 2"
    Song32 "Song 3"
  -
  DisplayTime1 "Display Time..."
  -
  ClosingEffect1 "Closing Effect"
    Immediate2 "Immediate"
    Xopen2 "Xopen"
    CurtainUp2 "Curtain Up"
    CurtainDown2 "Curtain Down"
    ScrollLeft2 "Scroll Left"
    ScrollRight2 "Scroll Right"
    Vopen2 "Vopen"
    Vclose2 "Vclose"
    ScrollUp2 "Scroll Up"
    ScrollDown2 "Scroll Down"
    Hold2 "Hold"
  -
  SpecialFunction1 "Special Function"
    Bell1 "Bell"
      N05Sec2 "0.5 Sec"
      N1Sec2 "1 Sec"
      N15Sec2 "1.5 Sec"
      N13Sec2 "2 Sec"
    Date1 "Date"
    Time1 "Time"
    Column1 "Column..."
European1 "European"
  EuropeanChar3 "European Char"
  UserFontMake1 "User Font Make..."
  -
  DeleteUserFontRecallDefault1 "Recall Default Font"
Font1 "Font"
  Font4x71 "Font 4x7"
  Font5x71 "Font 5x7"
  Font6x71 "Font 6x7"
  Font5x81 "Font 5x8" hidden
  Font7x131 "Font 7x13" hidden
Color1 "Color"
  Red1 "Red"
  Green1 "Green"
  Orange1 "Orange"
  InversedRed1 "Inversed Red"
  InversedGreen1 "Inversed Green"
  InversedOrange1 "Inversed Orange"
  RedOnGreen1 "Red On Green"
  GreenonRed1 "Green On Red"
  RYG1 "RYG"
  Rainbow1 "Rainbow"
BmpGraphics1 "Bmp Graphics"
  EditGraphic1 "Edit Graphic..."
Functions1 "Functions"
  SendMessages1 "Send Message..."
  -
  RunPage1 "Run Page..."
  LinkPagesToRun1 "Link Pages To Run..."
  -
  SetID1 "Set ID..."
  SetClock1 "Set Clock..."
  SetBrightness1 "Set Brightness..."
  -
  SendbySchedule1 "Display by Schedule..."
  -
  DeletePage1 "Delete Page..."
  DeleteSchedule1 "Delete Schedule..."
  DeleteGraphicBlock1 "Delete Graphic Block..." hidden
  DeleteAll1 "Delete All..."
  -
  ShowColorConfig1 "Show Color Setting..."
Signs1 "Signs"
  ShowSigns1 "Signs..."
View1 "View"
  ShowPreview1 "Preview" ticked
  actionSignLog "Sign Log"
Help1 "Help"
  ReadMe1 "Read Me"
  About1 "About..."
)");
    EXPECT_EQ(dump.toStdString(), expected.toStdString());

    auto* popup = main.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    ASSERT_NE(popup, nullptr);
    QString popupDump;
    DumpMenu(popup->actions(), 0, popupDump);
    EXPECT_EQ(popupDump, QStringLiteral("Cut1 \"Cut\"\nCopy1 \"Copy\"\nPaste1 \"Paste\"\n"));
}

TEST_F(MainWindowTest, ToolbarButtonsAndHintsInOrder) {
    TForm1& main = StartQuiet();
    auto* toolbar = main.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    ASSERT_NE(toolbar, nullptr);
    QStringList seen;
    for (QAction* action : toolbar->actions()) {
        seen.append(action->isSeparator() ? QStringLiteral("|")
                                          : action->objectName() + u'=' + action->toolTip());
        if (!action->isSeparator()) {
            auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->objectName(), action->objectName());
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
    EXPECT_EQ(seen,
              (QStringList{
                  QStringLiteral("ToolButton1=New File"), QStringLiteral("ToolButton2=Open File"),
                  QStringLiteral("ToolButton3=Save File"), QStringLiteral("|"),
                  QStringLiteral("ToolButton5=Cut"), QStringLiteral("ToolButton6=Copy"),
                  QStringLiteral("ToolButton7=Paste"), QStringLiteral("|"),
                  QStringLiteral("ToolButton9=Send Message"), QStringLiteral("ToolButton10="),
                  QStringLiteral("ToolButton12=Send via Network")}));
    EXPECT_FALSE(item("ToolButton10")->isEnabled());
}

TEST_F(MainWindowTest, ItemsOfTheWindowsAreEnabledAndBoundOnesWork) {
    StartQuiet();
    for (const char* name : {"New",
                             "Open",
                             "Save",
                             "SetCommu",
                             "Exit",
                             "Cut",
                             "Copy",
                             "Paste",
                             "Delete",
                             "DisplayTime1",
                             "ShowColorConfig1",
                             "Red1",
                             "Hold2",
                             "SendbySchedule1",
                             "DeletePage1",
                             "DeleteUserFontRecallDefault1",
                             "DeleteSchedule1",
                             "DeleteAll1",
                             "MoveSpeed1",
                             "Column1",
                             "SendMessages1",
                             "ToolButton9",
                             "RunPage1",
                             "LinkPagesToRun1",
                             "SetID1",
                             "SetClock1",
                             "SetBrightness1",
                             "ReadMe1",
                             "About1",
                             "EuropeanChar3",
                             "EditGraphic1",
                             "UserFontMake1",
                             "ToolButton12"}) {
        EXPECT_TRUE(item(name)->isEnabled()) << name;
    }

    // Binding a command enables the item and its toolbar twin and runs the handler from both.
    int sent = 0;
    m_main->bindCommand(QStringLiteral("SendMessages1"), [&sent] { ++sent; });
    Trigger("SendMessages1");
    Trigger("ToolButton9");
    EXPECT_EQ(sent, 2);
}

TEST_F(MainWindowTest, StartupCreatesTheWindowsInTheirOrder) {
    const std::vector<std::string> expected = {
        "TSetCom",      "TAboutBox",     "TSchedule",       "TScheduleAdd",       "TDeletefrm",
        "TSetID",       "TInputTextfrm", "TGraphicForm",    "TuEuropeanCharForm", "TLinkpagefrm",
        "TBmpSaveLoad", "TMoveSpeedfrm", "TSelectGaphName", "TFontMakefrm",       "TsignColorfrm",
        "SignsWindow"}; // the Signs window's line only binds its menu item
    std::vector<std::string> order;
    for (const StartupWindow& entry : StartupWindows()) {
        order.emplace_back(entry.className);
    }
    EXPECT_EQ(order, expected);

    TForm1& main = StartQuiet();
    EXPECT_TRUE(main.isVisible());
    for (const StartupWindow& entry : StartupWindows()) {
        QWidget* window = main.windowNamed(QString::fromLatin1(entry.className));
        const bool madeAtStart = std::string(entry.className) != "SignsWindow";
        EXPECT_EQ(window != nullptr, madeAtStart && entry.create != nullptr) << entry.className;
        if (window != nullptr) {
            EXPECT_EQ(window->objectName(), QString::fromLatin1(entry.className));
            EXPECT_FALSE(window->isVisible()) << entry.className;
        }
    }
}

// The hidden windows made at start build their controls when a menu item first shows them.
TEST_F(MainWindowTest, HiddenWindowsMakeTheirControlsWhenFirstShown) {
    const struct {
        const char* item;
        const char* window;
        const char* control;
    } uses[] = {{"SetID1", "TSetID", "ComboBox1"},
                {"DeleteSchedule1", "TDeletefrm", "CheckListBox1"},
                {"SendbySchedule1", "TSchedule", "ListView1"},
                {"EditGraphic1", "TGraphicForm", "ListBox1"},
                {"About1", "TAboutBox", "OKButton"}};
    TForm1& main = StartQuiet();
    for (const auto& use : uses) {
        QWidget* window = main.windowNamed(QString::fromLatin1(use.window));
        ASSERT_NE(window, nullptr) << use.window;
        const QString control = QString::fromLatin1(use.control);
        EXPECT_EQ(window->findChild<QWidget*>(control), nullptr) << use.window;
        Trigger(use.item);
        EXPECT_TRUE(window->isVisible()) << use.window;
        EXPECT_NE(window->findChild<QWidget*>(control), nullptr) << use.window;
        window->hide();
    }
}

// Every plain tag item with the text it inserts.
const std::pair<const char*, const char*> kPlainTagItems[] = {
    {"HelloWorld1", "<Hello World>"},
    {"Welcome3", "<Welcome>"},
    {"Normal2", "<Normal>"},
    {"Blinking2", "<Blinking>"},
    {"Song12", "<Song 1>"},
    {"Song22", "<Song 2>"},
    {"Song32", "<Song 3>"},
    {"N05Sec2", "<Bell 0.5Sec>"},
    {"N1Sec2", "<Bell 1Sec>"},
    {"N15Sec2", "<Bell 1.5Sec>"},
    {"N13Sec2", "<Bell 2Sec>"},
    {"Date1", "<Display Date>"},
    {"Time1", "<Display Time>"},
    {"Font4x71", "<Font4x7>"},
    {"Font5x71", "<Font5x7>"},
    {"Font6x71", "<Font6x7>"},
    {"Font5x81", "<Font5x8>"},
    {"Font7x131", "<Font7x13>"},
    {"Red1", "<Red>"},
    {"Green1", "<Green>"},
    {"Orange1", "<Orange>"},
    {"InversedRed1", "<Inversed Red>"},
    {"InversedGreen1", "<Inversed Green>"},
    {"InversedOrange1", "<Inversed Orange>"},
    {"RedOnGreen1", "<Red On Green>"},
    {"GreenonRed1", "<Green On Red>"},
    {"RYG1", "<RYG>"},
    {"Rainbow1", "<Rainbow>"},
};

// Every effect item with its capitalised and lower-case forms.
const std::tuple<const char*, const char*, const char*> kEffectItems[] = {
    {"Immediate1", "<Immediate>", "<immediate>"},
    {"Xopen1", "<Xopen>", "<xopen>"},
    {"CurtainUp1", "<Curtain Up>", "<curtain up>"},
    {"CurtainDown1", "<Curtain Down>", "<curtain down>"},
    {"ScrollLeft1", "<Scoll Left>", "<scoll left>"},
    {"ScrollRight1", "<Scroll Right>", "<scroll right>"},
    {"Vopen1", "<Vopen>", "<vopen>"},
    {"Vclose1", "<Vclose>", "<vclose>"},
    {"ScrollUp1", "<Scroll Up>", "<scroll up>"},
    {"ScrollDown1", "<Scroll Down>", "<scroll down>"},
    {"Hold1", "<Hold>", "<hold>"},
    {"Snow1", "<Snow>", "<snow>"},
    {"Twinkle1", "<Twinkle>", "<twinkle>"},
    {"BlockMove1", "<Block Move>", "<block move>"},
    {"Random1", "<Random>", "<random>"},
    {"Immediate2", "<Immediate>", "<immediate>"},
    {"Xopen2", "<Xopen>", "<xopen>"},
    {"CurtainUp2", "<Curtain Up>", "<curtain up>"},
    {"CurtainDown2", "<Curtain Down>", "<curtain down>"},
    {"ScrollLeft2", "<Scoll Left>", "<scoll left>"},
    {"ScrollRight2", "<Scroll Right>", "<scroll right>"},
    {"Vopen2", "<Vopen>", "<vopen>"},
    {"Vclose2", "<Vclose>", "<vclose>"},
    {"ScrollUp2", "<Scroll Up>", "<scroll up>"},
    {"ScrollDown2", "<Scroll Down>", "<scroll down>"},
    {"Hold2", "<Hold>", "<hold>"},
};

bool InVocabulary(const std::string& tag) {
    for (TagTable table :
         {InlineTags(), EffectTags(), LowerCaseEffectTags(), DisplayEffectTags()}) {
        if (FindTag(tag, table)) {
            return true;
        }
    }
    return false;
}

TEST_F(MainWindowTest, EveryPlainTagItemInsertsItsTextInRedAtTheCaret) {
    StartQuiet();
    for (const auto& [name, tag] : kPlainTagItems) {
        SCOPED_TRACE(name);
        Trigger("New");
        Type(line1(), QStringLiteral("ab"));
        line1().moveCursor(QTextCursor::PreviousCharacter);
        QAction* action = item(name);
        EXPECT_EQ(action->isVisible(),
                  std::strcmp(name, "Font5x81") != 0 && std::strcmp(name, "Font7x131") != 0);
        action->trigger(); // hidden items are bound all the same
        const std::string expected = std::string("a") + tag + "b";
        EXPECT_EQ(Text(), expected);
        EXPECT_TRUE(InVocabulary(tag));
        const RtfDocument line = line1().styledContent();
        EXPECT_TRUE(Coloured(line, 0, 1, kBlack));
        EXPECT_TRUE(Coloured(line, 1, 1 + std::strlen(tag), kRed));
        EXPECT_TRUE(Coloured(line, 1 + std::strlen(tag), expected.size(), kBlack));
        EXPECT_EQ(line1().textCursor().position(), static_cast<int>(1 + std::strlen(tag)));
        EXPECT_EQ(line1().insertionColour(), QColor(0, 0, 0));
    }
}

TEST_F(MainWindowTest, EffectItemsFollowTheEffectControlFlag) {
    StartQuiet();
    ASSERT_TRUE(m_main->effectControlFlag());
    for (const auto& [name, capital, lower] : kEffectItems) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(InVocabulary(capital));
        EXPECT_TRUE(InVocabulary(lower));
        Trigger("New");
        Trigger(name);
        EXPECT_EQ(Text(), capital);
        EXPECT_TRUE(Coloured(line1().styledContent(), 0, Text().size(), kRed));
    }

    item("CapitalControlByLine1")->trigger(); // reverses the tick
    EXPECT_FALSE(m_main->effectControlFlag());
    for (const auto& [name, capital, lower] : kEffectItems) {
        SCOPED_TRACE(name);
        Trigger("New");
        Trigger(name);
        EXPECT_EQ(Text(), lower);
    }
    // The greetings have one form only.
    Trigger("New");
    Trigger("HelloWorld1");
    EXPECT_EQ(Text(), "<Hello World>");

    item("CapitalControlByLine1")->trigger();
    EXPECT_TRUE(m_main->effectControlFlag());
    Trigger("New");
    Trigger("Hold1");
    EXPECT_EQ(Text(), "<Hold>");
}

TEST_F(MainWindowTest, EffectItemsOnLine2AlwaysInsertTheCapitalisedForm) {
    TForm1& main = StartQuiet();
    item("CapitalControlByLine1")->trigger();
    auto* pages = main.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(1);
    ASSERT_EQ(main.CurrentEdit(), main.line2());
    Trigger("Snow1");
    EXPECT_EQ(main.line2()->lineBytes(), "<Snow>");
    EXPECT_EQ(Text(), "");
    pages->setCurrentIndex(0);
    EXPECT_EQ(main.CurrentEdit(), main.line1());
    Trigger("Snow1");
    EXPECT_EQ(Text(), "<snow>");
}

TEST_F(MainWindowTest, ATagReplacesTheSelectionAndTypingContinuesBlack) {
    StartQuiet();
    Type(line1(), QStringLiteral("one two"));
    QTextCursor cursor = line1().textCursor();
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    line1().setTextCursor(cursor);
    Trigger("Red1");
    EXPECT_EQ(Text(), "one <Red>");
    Type(line1(), QStringLiteral("xy"));
    EXPECT_EQ(Text(), "one <Red>xy");
    const RtfDocument line = line1().styledContent();
    EXPECT_TRUE(Coloured(line, 4, 9, kRed));
    EXPECT_TRUE(Coloured(line, 9, 11, kBlack));

    // Typing straight after a red tag, with the caret moved back next to it, is black too.
    line1().moveCursor(QTextCursor::Left);
    line1().moveCursor(QTextCursor::Left);
    Type(line1(), QStringLiteral("z"));
    EXPECT_EQ(Text(), "one <Red>zxy");
    EXPECT_TRUE(Coloured(line1().styledContent(), 9, 10, kBlack));
}

TEST_F(MainWindowTest, TheCountIncludesTagsAndShowsInTheSecondPanel) {
    TForm1& main = StartQuiet();
    Trigger("Red1");
    Type(line1(), QStringLiteral("ab"));
    EXPECT_EQ(main.TextLength(main.line1()), 7);
    EXPECT_EQ(main.statusPanelText(0), QString());
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("7"));
    EXPECT_EQ(main.statusPanelText(2), QString());
}

TEST_F(MainWindowTest, TypingStopsAt210AndBackspaceStillWorks) {
    TForm1& main = StartQuiet();
    line1().replaceSelection(Repeat('a', 209));
    ASSERT_TRUE(m_prompts.texts().isEmpty());
    Type(line1(), QStringLiteral("b"));
    EXPECT_EQ(main.TextLength(main.line1()), 210);
    EXPECT_TRUE(m_prompts.texts().isEmpty());

    Type(line1(), QStringLiteral("c"));
    EXPECT_EQ(main.TextLength(main.line1()), 210);
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Max length is 210 chars")});
    EXPECT_EQ(m_prompts.boxes().back().request.kind, MessageKind::Plain);
    EXPECT_EQ(m_prompts.boxes().back().request.buttons, QMessageBox::Ok);
    EXPECT_EQ(Text().back(), 'b');

    TypeKey(line1(), Qt::Key_Backspace);
    EXPECT_EQ(main.TextLength(main.line1()), 209);
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("209"));
    EXPECT_EQ(m_prompts.texts().size(), 1);
}

TEST_F(MainWindowTest, ATagPastTheLimitIsInsertedAndReportedOnce) {
    TForm1& main = StartQuiet();
    line1().replaceSelection(Repeat('a', 208));
    Trigger("Red1");
    EXPECT_EQ(main.TextLength(main.line1()), 213);
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("213"));
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Max length is 210 chars")});

    m_prompts.clear();
    Type(line1(), QStringLiteral("x"));
    EXPECT_EQ(main.TextLength(main.line1()), 213);
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Max length is 210 chars")});

    // Down to 209: typing is accepted again.
    for (int i = 0; i < 4; ++i) {
        TypeKey(line1(), Qt::Key_Backspace);
    }
    m_prompts.clear();
    Type(line1(), QStringLiteral("x"));
    EXPECT_EQ(main.TextLength(main.line1()), 210);
    EXPECT_TRUE(m_prompts.texts().isEmpty());
}

TEST_F(MainWindowTest, EnterInsertsNothingInEitherEditor) {
    TForm1& main = StartQuiet();
    Type(line1(), QStringLiteral("ab"));
    TypeKey(line1(), Qt::Key_Return);
    TypeKey(line1(), Qt::Key_Enter);
    TypeKey(line1(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(line1().document()->blockCount(), 1);

    Type(*main.line2(), QStringLiteral("cd"));
    TypeKey(*main.line2(), Qt::Key_Return);
    EXPECT_EQ(main.line2()->lineBytes(), "cd");
}

TEST_F(MainWindowTest, CharactersBeyondEightBitsCannotBeTyped) {
    StartQuiet();
    Type(line1(), QStringLiteral("a\u20ACb\u00E9\u4E2D"));
    EXPECT_EQ(Text(), "ab\xE9");
}

TEST_F(MainWindowTest, TheCaptionNeverChanges) {
    TForm1& main = StartQuiet();
    Type(line1(), QStringLiteral("x"));
    m_prompts.setNextFileName(HomeFile(QStringLiteral("caption.lmv")));
    Trigger("Save");
    m_prompts.setNextFileName(HomeFile(QStringLiteral("caption.lmv")));
    Trigger("Open");
    Trigger("New");
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Lumivo"));
}

TEST_F(MainWindowTest, ExitClosesTheMainWindowWithoutAQuestion) {
    TForm1& main = StartQuiet();
    Type(line1(), QStringLiteral("unsaved"));
    Trigger("Exit");
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(m_prompts.boxes().empty());
}

TEST_F(MainWindowTest, ShowColorSettingIsDrawnGreyWhetherHighlightedOrNot) {
    TForm1& main = StartQuiet();
    auto* functions = main.findChild<QMenu*>(QStringLiteral("Functions1"));
    ASSERT_NE(functions, nullptr);
    QAction* entry = item("ShowColorConfig1");
    functions->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(functions));
    const QRect rect = functions->actionGeometry(entry);
    ASSERT_FALSE(rect.isEmpty());

    for (bool highlighted : {false, true}) {
        SCOPED_TRACE(highlighted ? "highlighted" : "plain");
        functions->setActiveAction(highlighted ? entry : nullptr);
        const QImage image = functions->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        auto pixel = [&](int x, int y) {
            return QColor(image.pixel(QPoint(int(x * ratio), int(y * ratio))));
        };
        // The whole rectangle is grey where there is no caption...
        for (QPoint p : {rect.topLeft() + QPoint(1, 1), rect.bottomRight() - QPoint(1, 1),
                         QPoint(rect.left() + 10, rect.center().y())}) {
            EXPECT_EQ(pixel(p.x(), p.y()), QColor(180, 180, 180)) << p.x() << "," << p.y();
        }
        // ...and the caption is written from 20 pixels in.
        int dark = 0;
        for (int x = rect.left(); x < rect.right(); ++x) {
            for (int y = rect.top(); y <= rect.bottom(); ++y) {
                if (pixel(x, y).lightness() < 90) {
                    ++dark;
                    EXPECT_GE(x, rect.left() + 20);
                }
            }
        }
        EXPECT_GT(dark, 20);
    }
    functions->hide();
}

TEST(ProgramName, BoxesAreTitledWithTheNameUsersRead) {
    NameApplication();
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("lumivo"));
    QString title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->done(QMessageBox::Ok);
        }
    });
    closer.start(10);
    // The real box, as every window shows it.
    ShowBox(nullptr, MessageKind::Information, QStringLiteral("   Link page OK   "));
    EXPECT_EQ(title, QStringLiteral("Lumivo"));
}

} // namespace
} // namespace lumivo::ui::test

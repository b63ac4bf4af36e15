#include "app/main_window.h"

#include "app/artwork.h"
#include "app/editor_style.h"
#include "app/line_editor.h"
#include "app/set_com.h"
#include "app/sign_color.h"
#include "core/document.h"
#include "core/file_io.h"
#include "core/program_folder.h"
#include "link/frame_log.h"
#include "widgets/placement.h"
#include "widgets/preview_model.h"
#include "widgets/preview_strip.h"
#include "widgets/prompter.h"
#include "widgets/sign_log_dock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <span>

namespace lumivo::ui {

namespace {

const QString kMaxLengthText =
    QString::fromLatin1(kMaxLengthMessage.data(), static_cast<qsizetype>(kMaxLengthMessage.size()));

QString Text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// A menu item that inserts one tag; `lower` is set for effect items, which insert one of two
// forms.
struct TagItem {
    const char* name;
    const char* caption;
    const char* tag;
    const char* lower = nullptr;
    bool hidden = false;
};

constexpr TagItem kLeadingEffects[] = {
    {"Immediate1", "&Immediate", "<Immediate>", "<immediate>"},
    {"Xopen1", "&Xopen", "<Xopen>", "<xopen>"},
    {"CurtainUp1", "&Curtain Up", "<Curtain Up>", "<curtain up>"},
    {"CurtainDown1", "Curtain &Down", "<Curtain Down>", "<curtain down>"},
    {"ScrollLeft1", "Scroll &Left", "<Scoll Left>", "<scoll left>"},
    {"ScrollRight1", "Scroll &Right", "<Scroll Right>", "<scroll right>"},
    {"Vopen1", "&Vopen", "<Vopen>", "<vopen>"},
    {"Vclose1", "Vcl&ose", "<Vclose>", "<vclose>"},
    {"ScrollUp1", "Scroll &Up", "<Scroll Up>", "<scroll up>"},
    {"ScrollDown1", "Scroll Do&wn", "<Scroll Down>", "<scroll down>"},
    {"Hold1", "&Hold", "<Hold>", "<hold>"},
    {"Snow1", "&Snow", "<Snow>", "<snow>"},
    {"Twinkle1", "&Twinkle", "<Twinkle>", "<twinkle>"},
    {"BlockMove1", "&Block Move", "<Block Move>", "<block move>"},
    {"Random1", "R&andom", "<Random>", "<random>"},
};

constexpr TagItem kWelcome[] = {
    {"HelloWorld1", "&Hello World", "<Hello World>"},
    {"Welcome3", "&Welcome", "<Welcome>"},
};

constexpr TagItem kClosingEffects[] = {
    {"Immediate2", "&Immediate", "<Immediate>", "<immediate>"},
    {"Xopen2", "&Xopen", "<Xopen>", "<xopen>"},
    {"CurtainUp2", "&Curtain Up", "<Curtain Up>", "<curtain up>"},
    {"CurtainDown2", "Curtain &Down", "<Curtain Down>", "<curtain down>"},
    {"ScrollLeft2", "Scroll &Left", "<Scoll Left>", "<scoll left>"},
    {"ScrollRight2", "Scroll &Right", "<Scroll Right>", "<scroll right>"},
    {"Vopen2", "&Vopen", "<Vopen>", "<vopen>"},
    {"Vclose2", "Vcl&ose", "<Vclose>", "<vclose>"},
    {"ScrollUp2", "Scroll &Up", "<Scroll Up>", "<scroll up>"},
    {"ScrollDown2", "Scroll Do&wn", "<Scroll Down>", "<scroll down>"},
    {"Hold2", "&Hold", "<Hold>", "<hold>"},
};

constexpr TagItem kDisplayEffects[] = {
    {"Normal2", "&Normal", "<Normal>"}, {"Blinking2", "&Blinking", "<Blinking>"},
    {"Song12", "Song &1", "<Song 1>"},  {"Song22", "Song &2", "<Song 2>"},
    {"Song32", "Song &3", "<Song 3>"},
};

constexpr TagItem kBells[] = {
    {"N05Sec2", "&0.5 Sec", "<Bell 0.5Sec>"},
    {"N1Sec2", "&1 Sec", "<Bell 1Sec>"},
    {"N15Sec2", "1.&5 Sec", "<Bell 1.5Sec>"},
    {"N13Sec2", "&2 Sec", "<Bell 2Sec>"},
};

constexpr TagItem kDateTime[] = {
    {"Date1", "&Date", "<Display Date>"},
    {"Time1", "&Time", "<Display Time>"},
};

constexpr TagItem kFonts[] = {
    {"Font4x71", "Font &4x7", "<Font4x7>"},
    {"Font5x71", "Font &5x7", "<Font5x7>"},
    {"Font6x71", "Font &6x7", "<Font6x7>"},
    {"Font5x81", "Font 5x&8", "<Font5x8>", nullptr, true},
    {"Font7x131", "Font &7x13", "<Font7x13>", nullptr, true},
};

constexpr TagItem kColors[] = {
    {"Red1", "&Red", "<Red>"},
    {"Green1", "&Green", "<Green>"},
    {"Orange1", "&Orange", "<Orange>"},
    {"InversedRed1", "&Inversed Red", "<Inversed Red>"},
    {"InversedGreen1", "Inversed Gr&een", "<Inversed Green>"},
    {"InversedOrange1", "Inversed Or&ange", "<Inversed Orange>"},
    {"RedOnGreen1", "Red O&n Green", "<Red On Green>"},
    {"GreenonRed1", "Green On Re&d", "<Green On Red>"},
    {"RYG1", "R&YG", "<RYG>"},
    {"Rainbow1", "Rain&bow", "<Rainbow>"},
};

// The colour items a one-colour sign cannot show.
constexpr const char* kMultiColourItems[] = {
    "Green1",      "Orange1",     "InversedGreen1", "InversedOrange1",
    "RedOnGreen1", "GreenonRed1", "RYG1",           "Rainbow1",
};

// Items whose window belongs to a later part of the program: disabled until that window binds
// them (bindCommand).
constexpr const char* kBoundLater[] = {
    "SetCommu",
    "MoveSpeed1",
    "DisplayTime1",
    "Column1",
    "EuropeanChar3",
    "UserFontMake1",
    "DeleteUserFontRecallDefault1",
    "EditGraphic1",
    "SendMessages1",
    "ToolButton9",
    "RunPage1",
    "LinkPagesToRun1",
    "SetID1",
    "SetClock1",
    "SetBrightness1",
    "SendbySchedule1",
    "DeletePage1",
    "DeleteSchedule1",
    "DeleteAll1",
    "ShowColorConfig1",
    "ReadMe1",
    "About1",
    "ToolButton12",
};

// A menu item and the toolbar button that does the same.
constexpr std::pair<const char*, const char*> kToolbarTwins[] = {
    {"SendMessages1", "ToolButton9"},
};

RtfColour ToRtf(const QColor& colour) {
    return RtfColour{static_cast<std::uint8_t>(colour.red()),
                     static_cast<std::uint8_t>(colour.green()),
                     static_cast<std::uint8_t>(colour.blue())};
}

QFont EditorFont(const char* face) {
    QFont font;
    font.setFamilies({Text(face), QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setBold(true);
    font.setPixelSize(19);
    return font;
}

} // namespace

TForm1::TForm1(QString settingsPath, QWidget* parent)
    : QMainWindow(parent), m_settings(FileSystemPath(settingsPath)) {
    FormCreate();
}

TForm1::~TForm1() {
    // The other windows may use the main window while they go.
    m_windows.clear();
    // Commands that still run keep the queue they took; new ones log nowhere.
    if (link::FrameLogQueueInUse() == m_frameLog) {
        link::SetFrameLogQueue(nullptr);
    }
}

void TForm1::FormCreate() {
    InstallEditorStyle(); // the application-wide hint pause
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Lumivo"));
    setWindowIcon(ApplicationIcon());

    createEditors();
    createMenus();
    createToolBar();
    createStatusBar();
    createPreview();
    createSignLog();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_controlBar1);
    layout->addWidget(m_pageControl1, 1);
    setCentralWidget(central);

    resize(614, 447);
    CentreOnDesktop(*this);

    m_current = m_pageControl1->currentIndex() == 0 ? m_richEdit1 : m_richEdit2;
    m_richEdit1->setInsertionColour(Qt::black);
    m_richEdit1->setInsertionBold(true);
    m_richEdit2->setInsertionColour(Qt::black);
    m_richEdit2->setInsertionBold(true);
    m_statusPanels[1]->setText(QString::number(TextLength(m_current)));
    for (LineEditor* editor : {m_richEdit1, m_richEdit2}) {
        connect(editor, &QTextEdit::textChanged, this, &TForm1::RichEditChange);
        // Text that arrives other than by a command (typed, composed, pasted, dropped) stops at
        // the longest line.
        editor->setLengthLimit(kMaxLineLength);
        connect(editor, &LineEditor::lengthRefused, this,
                [this] { ShowBox(this, MessageKind::Plain, kMaxLengthText); });
        // Nothing that would make a line the editor could not save and open again is taken.
        connect(editor, &LineEditor::documentLimitRefused, this, [this](std::size_t characters) {
            CurrentPrompter().showBox(
                this,
                BoxRequest{
                    MessageKind::Plain,
                    QStringLiteral("A line holds at most %1 characters").arg(kMaxLineCharacters),
                    QMessageBox::Ok,
                    QStringLiteral("The text was not taken: the line would have %1.")
                        .arg(characters)});
        });
    }

    // Key preview: the window sees every key before its controls.
    qApp->installEventFilter(this);
}

void TForm1::createEditors() {
    m_pageControl1 = new QTabWidget(this);
    m_pageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl1->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { width: 100px; height: 22px; font-weight: bold; margin: 2px 2px 0 0;"
        " border: 1px solid palette(mid); border-radius: 3px; background: palette(button); }"
        "QTabBar::tab:selected { background: palette(light); border-color: palette(dark); }"));
    m_pageControl1->setDocumentMode(true);

    const struct {
        const char* sheet;
        const char* caption;
        const char* editor;
        const char* face;
    } pages[] = {{"TabSheet1", "Line 1", "RichEdit1", "MingLiU"},
                 {"TabSheet2", "Line 2", "RichEdit2", "PMingLiU"}};
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    for (const auto& page : pages) {
        auto* sheet = new QWidget(m_pageControl1);
        sheet->setObjectName(Text(page.sheet));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* editor = new LineEditor(sheet);
        editor->setObjectName(Text(page.editor));
        editor->setAccessibleName(Text(page.caption));
        editor->setFont(EditorFont(page.face));
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QWidget::customContextMenuRequested, this, [this, editor](QPoint pos) {
            m_popupMenu1->popup(editor->viewport()->mapToGlobal(pos));
        });
        layout->addWidget(editor);
        m_pageControl1->addTab(sheet, Text(page.caption));
        (m_richEdit1 == nullptr ? m_richEdit1 : m_richEdit2) = editor;
    }
    // Line 2 is kept but not offered: its tab is hidden and nothing shows it.
    m_pageControl1->setTabVisible(1, false);
    m_pageControl1->setCurrentIndex(0);
    connect(m_pageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
}

namespace {

// One line of the menu table. A menu row starts a menu of the menu bar (the popup row the line
// editors' context menu), a submenu row a menu inside the current one until its end row.
enum class MenuRowKind { Menu, Popup, Submenu, End, Item, Separator, Tags };

struct MenuRow {
    MenuRowKind kind;
    const char* name = nullptr;
    const char* caption = nullptr;
    std::span<const TagItem> tags = {};
    bool hidden = false;
    bool checked = false; // a checkable item, ticked
};

using enum MenuRowKind;

// The menu bar and the context menu, in their order on screen.
constexpr MenuRow kMenuRows[] = {
    {Menu, "File1", "&File"},
    {Item, "New", "&New"},
    {Item, "Open", "&Open..."},
    {Item, "Save", "&Save..."},
    {Separator},
    {Item, "SetCommu", "Set &COM..."},
    {Separator},
    {Item, "Exit", "E&xit"},

    {Menu, "Edit1", "&Edit"},
    {Item, "Cut", "Cu&t"},
    {Item, "Copy", "&Copy"},
    {Item, "Paste", "&Paste"},
    {Item, "Delete", "&Delete"},

    {Popup},
    {Item, "Cut1", "Cu&t"},
    {Item, "Copy1", "&Copy"},
    {Item, "Paste1", "&Paste"},

    {Menu, "Commands1", "&Commands"},
    // Hidden; choosing it would reverse the tick.
    {Item, "CapitalControlByLine1", "&Effect Control By Line 1", {}, true, true},
    {Separator, nullptr, nullptr, {}, true},
    {Submenu, "LeadingEffect1", "&Leading Effect"},
    {Tags, nullptr, nullptr, kLeadingEffects},
    {Submenu, "Welcome1", "W&elcome"},
    {Tags, nullptr, nullptr, kWelcome},
    {End},
    {End},
    {Separator},
    {Item, "MoveSpeed1", "&Move Speed..."},
    {Submenu, "DisplayEffect1", "&Display Effect"},
    {Tags, nullptr, nullptr, kDisplayEffects},
    {End},
    {Separator},
    {Item, "DisplayTime1", "Display &Time..."},
    {Separator},
    {Submenu, "ClosingEffect1", "&Closing Effect"},
    {Tags, nullptr, nullptr, kClosingEffects},
    {End},
    {Separator},
    {Submenu, "SpecialFunction1", "&Special Function"},
    {Submenu, "Bell1", "&Bell"},
    {Tags, nullptr, nullptr, kBells},
    {End},
    {Tags, nullptr, nullptr, kDateTime},
    {Item, "Column1", "&Column..."},
    {End},

    {Menu, "European1", "E&uropean"},
    {Item, "EuropeanChar3", "&European Char"},
    {Item, "UserFontMake1", "&User Font Make..."},
    {Separator},
    {Item, "DeleteUserFontRecallDefault1", "&Recall Default Font"},

    {Menu, "Font1", "F&ont"},
    {Tags, nullptr, nullptr, kFonts},
    {Menu, "Color1", "Co&lor"},
    {Tags, nullptr, nullptr, kColors},

    {Menu, "BmpGraphics1", "&Bmp Graphics"},
    {Item, "EditGraphic1", "&Edit Graphic..."},

    {Menu, "Functions1", "Fu&nctions"},
    {Item, "SendMessages1", "&Send Message..."},
    {Separator},
    {Item, "RunPage1", "&Run Page..."},
    {Item, "LinkPagesToRun1", "&Link Pages To Run..."},
    {Separator},
    {Item, "SetID1", "Set &ID..."},
    {Item, "SetClock1", "Set &Clock..."},
    {Item, "SetBrightness1", "Set &Brightness..."},
    {Separator},
    {Item, "SendbySchedule1", "&Display by Schedule..."},
    {Separator},
    {Item, "DeletePage1", "Delete &Page..."},
    {Item, "DeleteSchedule1", "Delete Sc&hedule..."},
    {Item, "DeleteGraphicBlock1", "Delete &Graphic Block...", {}, true},
    {Item, "DeleteAll1", "Delete &All..."},
    {Separator},
    {Item, "ShowColorConfig1", "Sh&ow Color Setting..."},

    {Menu, "Help1", "&Help"},
    {Item, "ReadMe1", "&Read Me"},
    {Item, "About1", "&About..."},
};

QAction* NewItem(QWidget* owner, QMenu* menu, const char* name, const QString& caption) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(Text(name));
    menu->addAction(action);
    return action;
}

void NameMenu(QMenu* menu, const char* name) {
    menu->setObjectName(Text(name));
    menu->menuAction()->setObjectName(Text(name));
}

void AddMenuItem(TForm1& main, QMenu* menu, const char* name, const char* caption, bool hidden,
                 bool checked) {
    QAction* action = NewItem(&main, menu, name, Text(caption));
    if (checked) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    action->setVisible(!hidden);
}

// Tag items insert their tag into the current line editor.
void AddTagItems(TForm1& main, QMenu* menu, std::span<const TagItem> items) {
    for (const TagItem& entry : items) {
        QAction* action = NewItem(&main, menu, entry.name, Text(entry.caption));
        action->setVisible(!entry.hidden);
        const QString tag = Text(entry.tag);
        if (entry.lower != nullptr) {
            const QString lower = Text(entry.lower);
            QObject::connect(action, &QAction::triggered, &main,
                             [&main, tag, lower] { main.InsertEffectTag(tag, lower); });
        } else {
            QObject::connect(action, &QAction::triggered, &main,
                             [&main, tag] { main.insertTag(tag); });
        }
    }
}

} // namespace

void TForm1::createMenus() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    // The menu being filled, after the menus it is inside.
    std::vector<QMenu*> open;
    int separators = 0;
    for (const MenuRow& row : kMenuRows) {
        switch (row.kind) {
        case MenuRowKind::Menu:
            open.assign(1, menuBar()->addMenu(Text(row.caption)));
            NameMenu(open.back(), row.name);
            break;
        case MenuRowKind::Popup:
            open.assign(1, m_popupMenu1);
            break;
        case MenuRowKind::Submenu:
            open.push_back(open.back()->addMenu(Text(row.caption)));
            NameMenu(open.back(), row.name);
            break;
        case MenuRowKind::End:
            open.pop_back();
            break;
        case MenuRowKind::Item:
            AddMenuItem(*this, open.back(), row.name, row.caption, row.hidden, row.checked);
            break;
        case MenuRowKind::Separator: {
            QAction* action = open.back()->addSeparator();
            action->setObjectName(QStringLiteral("N%1").arg(++separators));
            action->setVisible(!row.hidden);
            break;
        }
        case MenuRowKind::Tags:
            AddTagItems(*this, open.back(), row.tags);
            break;
        }
    }
    connectMenuHandlers();
    setStandardKeys();
}

void TForm1::connectMenuHandlers() {
    const std::pair<const char*, void (TForm1::*)()> handlers[] = {
        {"New", &TForm1::NewClick},      {"Open", &TForm1::OpenClick},
        {"Save", &TForm1::SaveClick},    {"Exit", &TForm1::ExitClick},
        {"Cut", &TForm1::CutClick},      {"Copy", &TForm1::CopyClick},
        {"Paste", &TForm1::PasteClick},  {"Delete", &TForm1::DeleteClick},
        {"Cut1", &TForm1::CutClick},     {"Copy1", &TForm1::CopyClick},
        {"Paste1", &TForm1::PasteClick},
    };
    for (const auto& [name, handler] : handlers) {
        connect(item(Text(name)), &QAction::triggered, this, handler);
    }
}

void TForm1::setStandardKeys() {
    // The desktop's usual keys on the items that do what the keys stand for. Save always asks
    // for a name, so it answers Save As too. Undo and Redo belong to the line editors themselves.
    constexpr auto kNone = QKeySequence::UnknownKey;
    const struct {
        const char* item;
        QKeySequence::StandardKey key;
        QKeySequence::StandardKey alsoKey;
    } keys[] = {
        {"New", QKeySequence::New, kNone},
        {"Open", QKeySequence::Open, kNone},
        {"Save", QKeySequence::Save, QKeySequence::SaveAs},
        {"Exit", QKeySequence::Quit, kNone},
        {"Cut", QKeySequence::Cut, kNone},
        {"Copy", QKeySequence::Copy, kNone},
        {"Paste", QKeySequence::Paste, kNone},
    };
    for (const auto& [name, key, alsoKey] : keys) {
        QList<QKeySequence> sequences = QKeySequence::keyBindings(key);
        if (alsoKey != kNone) {
            sequences.append(QKeySequence::keyBindings(alsoKey));
        }
        item(Text(name))->setShortcuts(sequences);
    }
}

void TForm1::createToolBar() {
    m_controlBar1 = new QFrame(this);
    m_controlBar1->setObjectName(QStringLiteral("ControlBar1"));
    m_controlBar1->setFrameShape(QFrame::StyledPanel);
    m_controlBar1->setFrameShadow(QFrame::Raised);
    auto* band = new QVBoxLayout(m_controlBar1);
    band->setContentsMargins(2, 1, 2, 1);
    m_toolBar1 = new QToolBar(m_controlBar1);
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setIconSize(QSize(16, 16));
    m_toolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    band->addWidget(m_toolBar1); // the toolbar takes the band's width

    auto button = [this](const char* name, ToolIcon icon, const char* hint) {
        auto* action = new QAction(MakeToolIcon(icon), Text(hint), this);
        action->setObjectName(Text(name));
        action->setToolTip(Text(hint));
        m_toolBar1->addAction(action);
        if (QWidget* widget = m_toolBar1->widgetForAction(action)) {
            widget->setObjectName(Text(name));
        }
        return action;
    };
    auto separator = [this](const char* name) {
        m_toolBar1->addSeparator()->setObjectName(Text(name));
    };
    connect(button("ToolButton1", ToolIcon::New, "New File"), &QAction::triggered, this,
            &TForm1::NewClick);
    connect(button("ToolButton2", ToolIcon::Open, "Open File"), &QAction::triggered, this,
            &TForm1::OpenClick);
    connect(button("ToolButton3", ToolIcon::Save, "Save File"), &QAction::triggered, this,
            &TForm1::SaveClick);
    separator("ToolButton4");
    connect(button("ToolButton5", ToolIcon::Cut, "Cut"), &QAction::triggered, this,
            &TForm1::CutClick);
    connect(button("ToolButton6", ToolIcon::Copy, "Copy"), &QAction::triggered, this,
            &TForm1::CopyClick);
    connect(button("ToolButton7", ToolIcon::Paste, "Paste"), &QAction::triggered, this,
            &TForm1::PasteClick);
    separator("ToolButton8");
    button("ToolButton9", ToolIcon::SendMessage, "Send Message");
    QAction* idle = button("ToolButton10", ToolIcon::Sign, "");
    idle->setToolTip(QString());
    idle->setEnabled(false);
    button("ToolButton12", ToolIcon::SendViaNetwork, "Send via Network");

    for (const char* name : kBoundLater) {
        item(Text(name))->setEnabled(false);
    }
}

void TForm1::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int width : {100, 70, 50}) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(m_statusPanels.size()));
        panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(2);
        bar->addWidget(panel);
        m_statusPanels.push_back(panel);
    }
    // Right of the three panels, in an area of its own.
    auto* area = new QWidget(bar);
    auto* areaLayout = new QHBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    m_statusMessage = new QLabel(area);
    m_statusMessage->setObjectName(QStringLiteral("StatusMessage"));
    m_statusMessage->setIndent(4);
    areaLayout->addWidget(m_statusMessage);
    bar->addWidget(area, 1);
}

void TForm1::createPreview() {
    m_previewModel =
        new PreviewModel(std::make_shared<FolderGraphicSource>(GraphicsFolder()), this);
    m_previewModel->setColumns(m_settings.readInt("Preview", "width", kDefaultSignColumns));
    m_previewModel->followUserCharacters(WritableProgramFolder() / kSentUserFontFile);
    auto* strip = new PreviewStrip(*m_previewModel);
    m_previewDock = new QDockWidget(QStringLiteral("Preview"), this);
    m_previewDock->setObjectName(QStringLiteral("PreviewDock"));
    m_previewDock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    // Shown and hidden from the View menu only, so the choice is always the one kept.
    m_previewDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_previewDock->setWidget(strip);
    addDockWidget(Qt::BottomDockWidgetArea, m_previewDock);
    const bool shown = m_settings.readInt("Preview", "show", 1) != 0;
    m_previewDock->setVisible(shown);

    // "View" comes after the menus the program has always had, just before "Help".
    auto* view = m_viewMenu = new QMenu(QStringLiteral("&View"), menuBar());
    view->setObjectName(QStringLiteral("View1"));
    view->menuAction()->setObjectName(QStringLiteral("View1"));
    QAction* show = NewItem(this, view, "ShowPreview1", QStringLiteral("&Preview"));
    show->setCheckable(true);
    show->setChecked(shown);
    menuBar()->insertMenu(item(QStringLiteral("Help1")), view);
    // "Signs" comes just before "View"; the Signs window binds its item.
    auto* signs = new QMenu(QStringLiteral("&Signs"), menuBar());
    NameMenu(signs, "Signs1");
    NewItem(this, signs, "ShowSigns1", QStringLiteral("&Signs..."))->setEnabled(false);
    menuBar()->insertMenu(view->menuAction(), signs);

    connect(show, &QAction::triggered, this, [this](bool shown) {
        m_previewDock->setVisible(shown);
        if (Status saved = m_settings.writeInt("Preview", "show", shown ? 1 : 0); !saved) {
            reportStatus(QString::fromStdString(saved.error().message));
        }
    });
    connect(strip, &PreviewStrip::columnsChosen, this, [this](int columns) {
        if (Status saved = m_settings.writeInt("Preview", "width", columns); !saved) {
            reportStatus(QString::fromStdString(saved.error().message));
        }
    });
    connect(m_richEdit1, &QTextEdit::textChanged, m_previewModel,
            [this] { m_previewModel->setText(lineText(1)); });
    followColorMode(m_previewModel,
                    [this](bool single) { m_previewModel->setSingleColor(single); });
    m_previewModel->setSingleColor(m_singleColor);
    m_previewModel->setText(lineText(1));
}

void TForm1::createSignLog() {
    m_frameLog = std::make_shared<link::FrameLogQueue>();
    link::SetFrameLogQueue(m_frameLog);
    m_signLogDock = new SignLogDock(m_frameLog, this);
    m_signLogDock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea |
                                   Qt::RightDockWidgetArea);
    m_signLogDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    // Under the preview, across the window: its lines are long.
    addDockWidget(Qt::BottomDockWidgetArea, m_signLogDock);
    splitDockWidget(m_previewDock, m_signLogDock, Qt::Vertical);
    const bool shown = m_settings.readInt("SignLog", "show", 0) != 0;
    m_signLogDock->setVisible(shown);

    QAction* show = m_viewMenu->addAction(QStringLiteral("Sign &Log"));
    show->setObjectName(QStringLiteral("actionSignLog"));
    show->setCheckable(true);
    show->setChecked(shown);
    connect(show, &QAction::triggered, this, [this](bool shown) {
        m_signLogDock->setVisible(shown);
        if (Status saved = m_settings.writeInt("SignLog", "show", shown ? 1 : 0); !saved) {
            reportStatus(QString::fromStdString(saved.error().message));
        }
    });
}

void TForm1::reportStatus(const QString& message) {
    m_statusMessage->setText(message);
}

QString TForm1::statusMessage() const {
    return m_statusMessage->text();
}

// --- Tag insertion -------------------------------------------------------------------------

void TForm1::SetTagColor() {
    m_current->setInsertionColour(QColor(255, 0, 0));
}

void TForm1::ResetTextColor() {
    m_current->setInsertionColour(QColor(0, 0, 0));
    m_current->setInsertionBold(true);
}

void TForm1::replaceSelection(const QString& text) {
    m_current->replaceSelection(text);
}

void TForm1::insertTag(const QString& tag) {
    SetTagColor();
    replaceSelection(tag);
    ResetTextColor();
}

void TForm1::InsertEffectTag(const QString& capital, const QString& lowerCase) {
    SetTagColor();
    const bool useCapital = m_pageControl1->currentIndex() != 0 || effectControlFlag();
    replaceSelection(useCapital ? capital : lowerCase);
    ResetTextColor();
}

bool TForm1::effectControlFlag() const {
    return item(QStringLiteral("CapitalControlByLine1"))->isChecked();
}

int TForm1::TextLength(const LineEditor* editor) const {
    return editor->characterCount();
}

QTextEdit* TForm1::currentEditor() const {
    return m_current;
}

std::string TForm1::lineText(int line) const {
    return (line == 2 ? m_richEdit2 : m_richEdit1)->lineBytes();
}

// --- Settings and modes ----------------------------------------------------------------------

int TForm1::comPort() const {
    if (const TSetCom* com = windowOf<TSetCom>()) {
        return com->comPort();
    }
    return std::max(1, m_settings.readInt("Sign", "comport", 1));
}

void TForm1::ApplyColorMode(bool single) {
    m_singleColor = single;
    for (const char* name : kMultiColourItems) {
        item(Text(name))->setVisible(!single);
    }
    Q_EMIT colorModeChanged(single);
}

void TForm1::followColorMode(QObject* receiver, std::function<void(bool single)> apply) {
    connect(this, &TForm1::colorModeChanged, receiver,
            [apply = std::move(apply)](bool single) { apply(single); });
}

// --- Windows and commands --------------------------------------------------------------------

QAction* TForm1::item(const QString& name) const {
    return findChild<QAction*>(name);
}

void TForm1::bindCommand(const QString& itemName, std::function<void()> handler) {
    QList<QAction*> actions{item(itemName)};
    for (const auto& [menuItem, twin] : kToolbarTwins) {
        if (itemName == Text(menuItem)) {
            actions.append(item(Text(twin)));
        }
    }
    auto shared = std::make_shared<std::function<void()>>(std::move(handler));
    for (QAction* action : actions) {
        if (action == nullptr) {
            continue;
        }
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, [shared] { (*shared)(); });
    }
}

void TForm1::adoptWindow(const QString& className, std::unique_ptr<QWidget> window) {
    if (window == nullptr) {
        return;
    }
    // Only the main window keeps the program running.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    m_windows.emplace_back(className, std::move(window));
}

QWidget* TForm1::windowNamed(const QString& className) const {
    for (const auto& [name, window] : m_windows) {
        if (name == className) {
            return window.get();
        }
    }
    return nullptr;
}

QString TForm1::statusPanelText(int panel) const {
    if (panel < 0 || panel >= static_cast<int>(m_statusPanels.size())) {
        return {};
    }
    return m_statusPanels[static_cast<std::size_t>(panel)]->text();
}

// --- Events ----------------------------------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    auto& key = static_cast<QKeyEvent&>(*event);
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        return true; // no line break can be typed
    }
    if (watched == m_richEdit1) {
        return RichEdit1KeyPress(key);
    }
    if (watched == m_richEdit2 && key.matches(QKeySequence::Paste)) {
        PasteClick();
        return true;
    }
    return false;
}

bool TForm1::RichEdit1KeyPress(QKeyEvent& event) {
    ResetTextColor(); // typed text is black and bold, even right behind a red tag
    if (event.matches(QKeySequence::Paste)) {
        PasteClick();
        return true;
    }
    if (IsTypedCharacter(event) && TextLength(m_current) >= kMaxLineLength) {
        ShowBox(this, MessageKind::Plain, kMaxLengthText);
        return true;
    }
    return false;
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        startupSettingsStep();
    }
}

void TForm1::startupSettingsStep() {
    const int color = m_settings.readInt("Sign", "color", 2);
    const int showform = m_settings.readInt("Sign", "showform", 1);
    if (showform == 1) {
        if (TsignColorfrm* dialog = windowOf<TsignColorfrm>()) {
            dialog->load(color, showform);
            dialog->showAtStart();
            setEnabled(false); // until the dialog closes, whichever way
        }
    }
    ApplyColorMode(color != 2);
}

void TForm1::RichEditChange() {
    const int count = TextLength(m_current);
    m_statusPanels[1]->setText(QString::number(count));
    if (count > kMaxLineLength) {
        ShowBox(this, MessageKind::Plain, kMaxLengthText);
    }
}

void TForm1::PageControl1Change(int index) {
    m_current = index == 0 ? m_richEdit1 : m_richEdit2;
    m_statusPanels[1]->setText(QString::number(TextLength(m_current)));
}

// --- Documents -------------------------------------------------------------------------------

namespace {

FileRequest DocumentRequest(FileRequest::Mode mode) {
    FileRequest request;
    request.mode = mode;
    request.caption =
        mode == FileRequest::Mode::Open ? QStringLiteral("Open") : QStringLiteral("Save As");
    request.filters = {QStringLiteral("*.lmv"), QStringLiteral("*.*")};
    request.defaultSuffix = QStringLiteral("lmv");
    return request;
}

} // namespace

void TForm1::NewClick() {
    // Emptied as one change of each line, which Undo takes back.
    m_richEdit1->setStyledContent({});
    m_richEdit2->setStyledContent({});
}

void TForm1::OpenClick() {
    const QString name = AskFileName(this, DocumentRequest(FileRequest::Mode::Open));
    if (name.isEmpty()) {
        return;
    }
    openDocument(name);
}

void TForm1::openDocument(const QString& name) {
    const DocumentRead read = ReadMessageDocument(
        FileSystemPath(name), ToRtf(m_richEdit1->insertionColour()), m_richEdit1->insertionBold());
    switch (read.failure) {
    case DocumentFailure::CannotOpen:
        ShowBox(this, MessageKind::Error,
                QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(name)));
        return;
    case DocumentFailure::CannotLoad:
        // The details name the file and why: its size against the largest document, or the
        // system's reason for a failed read.
        ShowErrorWithDetails(this, QStringLiteral("Failed to Load Stream"),
                             QString::fromStdString(read.message));
        return;
    case DocumentFailure::None:
        break;
    }
    m_richEdit1->setStyledContent(read.document);
}

void TForm1::SaveClick() {
    const QString name = AskFileName(this, DocumentRequest(FileRequest::Mode::Save));
    if (name.isEmpty()) {
        return;
    }
    const std::optional<WriteFailure> failure =
        ReplaceFileContents(FileSystemPath(name), WriteRtf(m_richEdit1->styledContent()));
    if (!failure) {
        return;
    }
    // A file that could not be made keeps its own box; one that failed while being written is
    // the stream's failure. Either way the old document is untouched.
    const QString details = QString::fromStdString(failure->message);
    if (failure->step == WriteStep::WriteData) {
        ShowErrorWithDetails(this, QStringLiteral("Failed to Save Stream"), details);
    } else {
        ShowErrorWithDetails(
            this, QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(name)),
            details);
    }
}

void TForm1::ExitClick() {
    close();
}

void TForm1::CutClick() {
    m_current->cut();
}

void TForm1::CopyClick() {
    m_current->copy();
}

void TForm1::PasteClick() {
    if (TextLength(m_current) < kMaxLineLength) {
        m_current->paste();
    } else {
        ShowBox(this, MessageKind::Plain, kMaxLengthText);
    }
}

void TForm1::DeleteClick() {
    m_current->deleteSelection();
}

} // namespace lumivo::ui

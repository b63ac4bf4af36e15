// The European character picker offscreen: choosing cells, the frame, Insert and the picture file.

#include "core/file_io.h"
#include "support/window_test_support.h"
#include "userfont/euro_char_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

using namespace lumivo;
using namespace lumivo::test;

namespace {

struct Bench {
    RecordingHost host;
    userfont::TuEuropeanCharForm window;

    explicit Bench(const std::filesystem::path& pictureFile = {})
        : window(nullptr, &host, pictureFile) {
        window.showPicker();
    }

    userfont::EuroPictureArea* area() {
        return window.findChild<userfont::EuroPictureArea*>(QStringLiteral("Image1"));
    }
    QString label() { return window.findChild<QLabel*>(QStringLiteral("Label1"))->text(); }
    void press(int x, int y) { QTest::mousePress(area(), Qt::LeftButton, {}, QPoint(x, y)); }
    void insert() {
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Insert")), Qt::LeftButton);
    }
    // Whether the screen shows pixel (x, y) other than the picture has it.
    bool inverted(int x, int y) {
        const bool shownBlack = area()->shownImage().pixel(x, y) == qRgb(0, 0, 0);
        return shownBlack != window.picture().black(x, y);
    }
};

std::filesystem::path PathIn(const QTemporaryDir& dir, const char* name) {
    return std::filesystem::path(dir.path().toStdString()) / name;
}

} // namespace

class EuroCharFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAsCreated();
    void pressChoosesTheCellUnderIt();
    void frameMovesWithTheChoice();
    void insertPutsTheChosenTag();
    void pictureFileReplacesTheBuiltInOne();
    void frameInvertsAnyColourAndLeavesNoTrace();
    void factoryBindsTheMenuItem();
};

void EuroCharFormTest::controlsAsCreated() {
    Bench b;
    QCOMPARE(b.window.windowTitle(), QStringLiteral("European Char Form"));
    QCOMPARE(b.area()->size(), QSize(577, 302));
    QVERIFY(b.area()->parentWidget()->objectName() == QStringLiteral("Panel1"));
    QCOMPARE(b.window.findChild<QPushButton*>(QStringLiteral("Insert"))->text(),
             QStringLiteral("Insert"));
    QCOMPARE(b.window.findChild<QPushButton*>(QStringLiteral("Cancel"))->text(),
             QStringLiteral("Cancel"));
    auto* label = b.window.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pixelSize(), 16);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(b.label().isEmpty());
    QCOMPARE(b.window.picture(), BuiltInEuroPicture());
    // The screen shows the picture unscaled from its top left corner.
    const QImage grabbed = b.area()->grab().toImage();
    for (const QPoint at :
         {QPoint(0, 0), QPoint(57, 40), QPoint(6 + 1, 7), QPoint(571, 300), QPoint(300, 150)}) {
        const bool black = grabbed.pixelColor(at) == QColor(0, 0, 0);
        QVERIFY2(black == b.window.picture().black(at.x(), at.y()),
                 qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
    }
    if (qEnvironmentVariableIsSet("LUMIVO_SCREENSHOT_DIR")) {
        b.window.grab().save(qEnvironmentVariable("LUMIVO_SCREENSHOT_DIR") +
                             QStringLiteral("/euro-char-form.png"));
    }
}

void EuroCharFormTest::pressChoosesTheCellUnderIt() {
    // Each press after the one before it; the label shows the last cell chosen.
    const struct {
        QPoint at;
        const char* label;
    } presses[] = {
        {{10, 10}, "U00"},   {{56, 22}, "U00"},   {{57, 0}, "U01"},
        {{455, 298}, "U7F"}, {{460, 280}, "U7F"}, // empty cell 128
        {{569, 290}, "U7F"},                      // empty cell 129
        {{400, 285}, "U7F"}, {{0, 23}, "U0A"},    {{512, 285}, "U0A"},
        {{573, 5}, "U0A"}, // beyond the grid
        {{300, 120}, "U37"},
    };
    Bench b;
    for (const auto& press : presses) {
        b.press(press.at.x(), press.at.y());
        QCOMPARE(b.label(), QString::fromLatin1(press.label));
    }
}

void EuroCharFormTest::frameMovesWithTheChoice() {
    Bench b;
    QVERIFY(!b.inverted(1, 1));
    b.press(10, 10);
    QVERIFY(b.inverted(1, 1));
    QVERIFY(!b.inverted(400, 277));
    b.press(420, 290);
    QVERIFY(!b.inverted(1, 1));
    QVERIFY(b.inverted(400, 277));
    // A press on an empty cell leaves the frame where it was.
    b.press(460, 290);
    QVERIFY(b.inverted(400, 277));
    QVERIFY(!b.inverted(457, 277));
    // The frame is only on the screen: the picture itself never holds it.
    QCOMPARE(b.window.picture(), BuiltInEuroPicture());
}

void EuroCharFormTest::insertPutsTheChosenTag() {
    Bench b;
    b.insert();
    b.press(300, 140); // column 5, row 6: code 0x41
    b.insert();
    b.insert();
    b.press(460, 290);
    b.insert();
    QCOMPARE(b.host.tags, QStringList({QStringLiteral("<>"), QStringLiteral("<U41>"),
                                       QStringLiteral("<U41>"), QStringLiteral("<U41>")}));
    QVERIFY(b.window.isVisible());
    QTest::mouseClick(b.window.findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(!b.window.isVisible());
}

void EuroCharFormTest::pictureFileReplacesTheBuiltInOne() {
    QTemporaryDir dir;
    EuroPicture drawn = BuiltInEuroPicture();
    DrawUserCharRecord(drawn, MakeUserCharRecord(0x41, 'A', {0xF8, 0x88, 0x88, 0xF8, 0, 0, 0}));
    const auto good = PathIn(dir, "good.bmp");
    QVERIFY(WriteEuroBmp(good, drawn));
    const auto broken = PathIn(dir, "broken.bmp");
    QVERIFY(WriteFileReplacing(broken, "BM not really"));

    const struct {
        std::filesystem::path file;
        EuroPicture expected;
        bool problem;
    } cases[] = {
        {good, drawn, false},
        {broken, BuiltInEuroPicture(), true},
        {PathIn(dir, "missing.bmp"), BuiltInEuroPicture(), false},
    };
    for (const auto& c : cases) {
        Bench b(c.file);
        QVERIFY(b.window.picture() == c.expected);
        QCOMPARE(!b.window.pictureProblem().isEmpty(), c.problem);
        if (c.problem) {
            QVERIFY(b.window.pictureProblem().contains(QString::fromStdString(c.file.string())));
        }
    }
}

void EuroCharFormTest::frameInvertsAnyColourAndLeavesNoTrace() {
    QTemporaryDir dir;
    // A 24-bit picture in many colours, and one all black.
    EuroPicture coloured(572, 301, BmpForm{24, {}});
    for (int y = 0; y < 301; ++y) {
        for (int x = 0; x < 572; ++x) {
            coloured.setColour(x, y,
                               Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                   static_cast<std::uint8_t>(x * y)});
        }
    }
    EuroPicture black = coloured;
    for (int y = 0; y < 301; ++y) {
        for (int x = 0; x < 572; ++x) {
            black.setBlack(x, y, true);
        }
    }
    for (const EuroPicture& picture : {coloured, black}) {
        const auto file = PathIn(dir, "picture.bmp");
        QVERIFY(WriteEuroBmp(file, picture));
        Bench b(file);
        QVERIFY(b.window.picture() == picture);
        const QImage before = b.area()->shownImage().copy();
        b.press(300, 140); // cell 0x41: its frame starts at (286, 139)
        const Rgb under = picture.colour(286, 139);
        QCOMPARE(QColor(b.area()->shownImage().pixel(286, 139)),
                 QColor(255 - under.r, 255 - under.g, 255 - under.b));
        b.press(10, 10);
        b.press(460, 290); // an empty cell: the frame stays at cell 0
        // Cell 0x41 shows its pixels again exactly, and only cell 0 differs from the start.
        const QImage after = b.area()->shownImage();
        const QRect cell0(0, 0, 57, 23);
        for (int y = 0; y < 301; ++y) {
            for (int x = 0; x < 572; ++x) {
                if (!cell0.contains(x, y) && after.pixel(x, y) != before.pixel(x, y)) {
                    QFAIL(qPrintable(QStringLiteral("%1,%2 changed").arg(x).arg(y)));
                }
            }
        }
        QVERIFY(after.pixel(1, 1) != before.pixel(1, 1));
        // The saved picture holds no frame and keeps its form.
        QVERIFY(b.window.savePicture(file));
        QCOMPARE(ReadWholeFile(file).value(), EncodeEuroBmp(picture));
    }
}

void EuroCharFormTest::factoryBindsTheMenuItem() {
    RecordingHost host;
    const std::unique_ptr<QWidget> window = userfont::TuEuropeanCharForm::Create(host);
    QVERIFY(!window->isVisible());
    QVERIFY(host.choose("EuropeanChar3"));
    QVERIFY(window->isVisible());
    window->showMinimized();
    QVERIFY(host.choose("EuropeanChar3"));
    QVERIFY(!(window->windowState() & Qt::WindowMinimized));
}

QTEST_MAIN(EuroCharFormTest)
#include "euro_char_form_test.moc"

// The font transfer as a user runs it: a font opened in the font maker, "Transfer to Sign..." opens
// the deletion window's font panel, "Transfer" sends the characters to the virtual sign on a
// pseudo-terminal. Checked: the frames the sign received, the box, the picker's picture and the
// saved picture file.

#include "core/euro_picture.h"
#include "core/file_io.h"
#include "schedule/delete_dialog.h"
#include "support/dialogs_test_support.h"
#include "support/virtual_sign_program.h"
#include "userfont/euro_char_form.h"
#include "userfont/font_maker.h"

#include <QAction>
#include <QComboBox>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace lumivo;
using namespace lumivo::test;
using ui::MessageKind;

namespace {

constexpr int kComPort = 6;

UserCharRecord Drawn(int code, char size, std::uint8_t topRow) {
    return MakeUserCharRecord(code, size, {topRow, 0, 0, 0, 0, 0, 0x10});
}

struct TransferCase {
    const char* name;
    QStringList signOptions;
    const char* signId;
    std::vector<UserCharRecord> font;
    std::vector<const char*> framesStart; // each frame the sign received, up to its length
    const char* box;
    MessageKind kind;
    bool saved;
    int progressPeak; // the furthest the progress bar got; its maximum is the list's size
};

class FontTransferTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    RecordingHost host;

    std::filesystem::path file(const char* name) const {
        return std::filesystem::path(folder.path().toStdString()) / name;
    }
};

std::string FileBytes(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path);
    return bytes ? *bytes : std::string("(unreadable)");
}

// Whether the picker shows exactly the picture, with no selection frame over it.
bool ShowsUnframed(const userfont::EuroPictureArea& area, const EuroPicture& picture) {
    const QImage shown = area.shownImage();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((shown.pixel(x, y) == qRgb(0, 0, 0)) != picture.black(x, y)) {
                return false;
            }
        }
    }
    return true;
}

TEST_F(FontTransferTest, SendsTheDrawnCharactersAndRecordsThemInThePicture) {
    const QStringList id01 = {QStringLiteral("--id"), QStringLiteral("01")};
    const UserCharRecord blank{}; // an entry added and never drawn, or cleared with NO
    const UserCharRecord u41Narrow = Drawn(0x41, 'C', 0xF0);
    const UserCharRecord u41 = Drawn(0x41, 'A', 0x88);
    const UserCharRecord u7f = Drawn(0x7F, 'B', 0xFC);
    const TransferCase cases[] = {
        {"two characters of one code and an undrawn one",
         id01,
         "01",
         {u41Narrow, u41, blank, u7f},
         {"<ID01><BE>", "<ID01><FC01>", "<ID01><FA01>", "<ID01><FB3F>", "<ID01><BF>"},
         "      Transfer Font OK      ",
         MessageKind::Information,
         true,
         3},
        {"every sign",
         id01,
         "00",
         {u7f},
         {"<ID00><BE>", "<ID00><FB3F>", "<ID00><BF>"},
         "      Transfer Font Over      ",
         MessageKind::Information,
         true,
         1},
        {"only undrawn characters",
         id01,
         "01",
         {blank},
         {"<ID01><BE>", "<ID01><BF>"},
         "      Transfer Font OK      ",
         MessageKind::Information,
         false,
         0},
        {"the sign refuses",
         {QStringLiteral("--refuse")},
         "01",
         {u41, u7f},
         {"<ID01><BE>", "<ID01><FA01>", "<ID01><BF>"},
         "   Transfer U41 Font Error   ",
         MessageKind::Error,
         false,
         1},
    };
    for (const TransferCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file("EuroCharForm58204.bmp"));
        ASSERT_TRUE(WriteFontFile(file("font.fon"), c.font));

        userfont::TuEuropeanCharForm picker(nullptr, &host, file("EuroCharForm58204.bmp"));
        auto* area = picker.findChild<userfont::EuroPictureArea*>(QStringLiteral("Image1"));
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(60, 30)); // a framed choice
        const EuroPicture before = picker.picture();

        schedule::TDeletefrm panel(nullptr,
                                   link::MakeSignConnection([] { return kComPort; }, QString()));
        userfont::TFontMakefrm maker(nullptr);
        auto* transferItem = maker.findChild<QAction*>(QStringLiteral("TransfertoSign1"));
        ASSERT_FALSE(transferItem->isEnabled());
        maker.connectTransfer(
            &panel, [&picker] { return &picker; }, file("EuroCharForm58204.bmp"));
        boxes.setNextFileName(QString::fromStdString(file("font.fon").string()));
        maker.findChild<QAction*>(QStringLiteral("OpenFont1"))->trigger();
        ASSERT_EQ(maker.model().records().size(), c.font.size());

        ASSERT_TRUE(transferItem->isEnabled());
        transferItem->trigger();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.windowTitle(), QStringLiteral("Transfer Font To Sign"));
        EXPECT_EQ(panel.windowModality(), Qt::NonModal);
        ChooseText(panel.findChild<QComboBox*>(QStringLiteral("ComboBox4")),
                   QString::fromLatin1(c.signId));
        auto* transfer = panel.findChild<QPushButton*>(QStringLiteral("TransFont"));
        auto* progress = panel.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        ASSERT_TRUE(transfer->isEnabled());

        VirtualSign sign(c.signOptions, kComPort);
        ASSERT_TRUE(sign.started());
        const std::size_t boxesBefore = boxes.boxes().size();
        int peak = 0;
        int maximum = 0;
        QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) {
            peak = std::max(peak, value);
            maximum = progress->maximum();
        });
        QTest::mouseClick(transfer, Qt::LeftButton);
        EXPECT_FALSE(transfer->isEnabled());
        ASSERT_TRUE(WaitForCommand(&panel));
        EXPECT_TRUE(transfer->isEnabled());
        EXPECT_EQ(progress->value(), 0);
        EXPECT_EQ(peak, c.progressPeak);
        if (peak > 0) {
            EXPECT_EQ(maximum, static_cast<int>(c.font.size()));
        }
        ASSERT_EQ(boxes.boxes().size(), boxesBefore + 1);
        EXPECT_EQ(boxes.texts().back(), QString::fromLatin1(c.box));
        EXPECT_EQ(boxes.boxes().back().request.kind, c.kind);

        QStringList frames;
        for (const QJsonObject& event : sign.stopAndReadLog()) {
            if (Field(event, "event") == QStringLiteral("frame")) {
                frames.append(LoggedFrame(event));
            }
        }
        ASSERT_EQ(static_cast<std::size_t>(frames.size()), c.framesStart.size())
            << frames.join(u' ').toStdString();
        for (qsizetype i = 0; i < frames.size(); ++i) {
            EXPECT_TRUE(frames[i].startsWith(
                QString::fromLatin1(c.framesStart[static_cast<std::size_t>(i)])))
                << frames[i].toStdString();
        }

        // What the sign took is drawn, a later character over an earlier one of its code; only
        // a whole transfer writes the picture, and without the selection frame.
        EuroPicture expected = before;
        if (c.saved) {
            for (const UserCharRecord& record : c.font) {
                if (!IsBlankRecord(record)) {
                    DrawUserCharRecord(expected, record);
                }
            }
        }
        EXPECT_EQ(picker.picture(), expected);
        if (c.saved) {
            EXPECT_EQ(FileBytes(file("EuroCharForm58204.bmp")), EncodeEuroBmp(expected));
        } else {
            EXPECT_FALSE(std::filesystem::exists(file("EuroCharForm58204.bmp")));
        }
        EXPECT_EQ(ShowsUnframed(*area, expected), c.saved);
        EXPECT_EQ(picker.chosenCode(), QStringLiteral("U0B"));
    }
}

} // namespace

// The recall window against the virtual sign on a pseudo-terminal: what the sign receives, the
// box, and what becomes of the picker's picture and the saved picture file.

#include "core/euro_picture.h"
#include "core/file_io.h"
#include "support/dialogs_test_support.h"
#include "support/virtual_sign_program.h"
#include "userfont/delete_font_dialog.h"
#include "userfont/euro_char_form.h"

#include <QComboBox>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace lumivo;
using namespace lumivo::test;
using ui::MessageKind;

namespace {

constexpr int kComPort = 5;

// A picture unlike the built-in one: a black block in the cell of `code`.
EuroPicture MarkedPicture(int code) {
    EuroPicture picture = BuiltInEuroPicture();
    const FrameRect cell = EuroCellFrame(code);
    picture.fill(cell.left + 2, cell.top + 2, cell.left + 20, cell.top + 18, true);
    return picture;
}

enum class Factory { Present, Missing, Damaged };

struct RecallCase {
    const char* name;
    QStringList signOptions;
    const char* signId;
    Factory factory;
    const char* box;
    MessageKind kind;
    bool restored; // the pictures were replaced
};

class RecallFontTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    ProbePrompter boxes;
    ui::PrompterScope scope{boxes};
    RecordingHost host;
    QStringList statusMessages;

    std::filesystem::path file(const char* name) const {
        return std::filesystem::path(folder.path().toStdString()) / name;
    }
    std::unique_ptr<userfont::TDeleteFontfrm> makeDialog(userfont::TuEuropeanCharForm* picker) {
        userfont::RecallContext context;
        context.connection = link::MakeSignConnection([] { return kComPort; }, QString());
        context.picker = [picker] { return picker; };
        context.factoryFile = file("EuroCharFormDefault.bmp");
        context.pictureFile = file("EuroCharForm58204.bmp");
        context.reportStatus = [this](const QString& message) { statusMessages.append(message); };
        return std::make_unique<userfont::TDeleteFontfrm>(std::move(context));
    }
    template <typename T> static T* find(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
};

void ChooseSignId(QWidget* dialog, const char* id) {
    ChooseText(dialog->findChild<QComboBox*>(QStringLiteral("ComboBox1")), QString::fromLatin1(id));
}

std::string FileBytes(const std::filesystem::path& path) {
    Result<Bytes> bytes = ReadWholeFile(path);
    return bytes ? *bytes : std::string("(unreadable)");
}

TEST_F(RecallFontTest, RecallRestoresTheFactoryPictureOnlyWhenTheSignTookIt) {
    const EuroPicture userPicture = MarkedPicture(65);
    const EuroPicture factoryPicture = MarkedPicture(3);
    const Bytes factoryBytes = EncodeEuroBmp(factoryPicture);
    const Bytes userBytes = EncodeEuroBmp(userPicture);
    const QStringList id01 = {QStringLiteral("--id"), QStringLiteral("01")};

    const RecallCase cases[] = {
        {"factory file present", id01, "01", Factory::Present, "  Recall Default Font OK  ",
         MessageKind::Information, true},
        {"factory file missing", id01, "01", Factory::Missing, "  Recall Default Font OK  ",
         MessageKind::Information, true},
        {"factory file damaged", id01, "01", Factory::Damaged, "  Recall Default Font OK  ",
         MessageKind::Information, true},
        {"every sign", id01, "00", Factory::Present, "  Recall Default Font Over  ",
         MessageKind::Information, true},
        {"silent sign",
         {QStringLiteral("--silent")},
         "01",
         Factory::Present,
         "   Send Message Error   ",
         MessageKind::Plain,
         false},
    };
    for (const RecallCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file("EuroCharFormDefault.bmp"));
        statusMessages.clear();
        if (c.factory == Factory::Present) {
            ASSERT_TRUE(WriteFileReplacing(file("EuroCharFormDefault.bmp"), factoryBytes));
        } else if (c.factory == Factory::Damaged) {
            ASSERT_TRUE(WriteFileReplacing(file("EuroCharFormDefault.bmp"), "BM not a picture"));
        }
        ASSERT_TRUE(WriteFileReplacing(file("EuroCharForm58204.bmp"), userBytes));

        userfont::TuEuropeanCharForm picker(nullptr, &host, file("EuroCharForm58204.bmp"));
        ASSERT_EQ(picker.picture(), userPicture);
        auto* area = picker.findChild<userfont::EuroPictureArea*>(QStringLiteral("Image1"));
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(60, 30)); // cell 11 (U0B), framed
        const QImage framed = area->shownImage();

        VirtualSign sign(c.signOptions, kComPort);
        ASSERT_TRUE(sign.started());
        auto dialog = makeDialog(&picker);
        dialog->openModal();
        ChooseSignId(dialog.get(), c.signId);
        auto* yes = find<QPushButton>(dialog.get(), "Button1");
        QTest::mouseClick(yes, Qt::LeftButton);
        EXPECT_FALSE(yes->isEnabled());
        ASSERT_TRUE(WaitForCommand(dialog.get()));
        EXPECT_TRUE(yes->isEnabled());
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_FALSE(boxes.boxes().empty());
        EXPECT_EQ(boxes.texts().back(), QString::fromLatin1(c.box));
        EXPECT_EQ(boxes.boxes().back().request.kind, c.kind);

        const QList<QJsonObject> events = sign.stopAndReadLog();
        QStringList frames;
        for (const QJsonObject& event : events) {
            if (Field(event, "event") == QStringLiteral("frame")) {
                frames.append(LoggedFrame(event));
            }
        }
        EXPECT_EQ(
            frames,
            QStringList{QStringLiteral("<ID%1><DU>13<E>").arg(QString::fromLatin1(c.signId))});

        const bool factoryUsed = c.factory == Factory::Present;
        const EuroPicture expected =
            !c.restored ? userPicture : (factoryUsed ? factoryPicture : BuiltInEuroPicture());
        const Bytes expectedFile =
            !c.restored ? userBytes : (factoryUsed ? factoryBytes : EncodeEuroBmp(expected));
        EXPECT_EQ(picker.picture(), expected);
        EXPECT_EQ(FileBytes(file("EuroCharForm58204.bmp")), expectedFile);
        // A restored picture shows no frame; a failed recall keeps the choice on screen.
        const QImage shown = area->shownImage();
        bool unframed = true;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                unframed = unframed && (shown.pixel(x, y) == qRgb(0, 0, 0)) == expected.black(x, y);
            }
        }
        EXPECT_EQ(unframed, c.restored);
        if (!c.restored) {
            EXPECT_EQ(shown, framed);
        }
        EXPECT_EQ(picker.chosenCode(), QStringLiteral("U0B"));
        EXPECT_EQ(statusMessages.size(), c.factory == Factory::Damaged ? 1 : 0);
    }
}

TEST_F(RecallFontTest, WindowAsOpenedAndKeptOpenWhileTheRecallRuns) {
    auto dialog = makeDialog(nullptr);
    dialog->openModal();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Confirm"));
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(find<QLabel>(dialog.get(), "Image1")->pixmap().isNull());
    EXPECT_EQ(find<QLabel>(dialog.get(), "Label2")->text(),
              QStringLiteral("Please connect the data cable to the sign.\n"
                             "This process recalls the Default Font to\n"
                             "the sign and PC program software. "));
    auto* ids = find<QComboBox>(dialog.get(), "ComboBox1");
    EXPECT_EQ(ids->count(), 256);
    EXPECT_EQ(ids->currentText(), QStringLiteral("00"));
    EXPECT_EQ(ids->itemText(255), QStringLiteral("FF"));
    auto* yes = find<QPushButton>(dialog.get(), "Button1");
    auto* no = find<QPushButton>(dialog.get(), "Button2");
    EXPECT_EQ(yes->text(), QStringLiteral("Yes"));
    EXPECT_EQ(no->text(), QStringLiteral("No"));
    EXPECT_EQ(dialog->focusWidget(), yes);

    // "No" does not end a recall in progress; afterwards it closes the window.
    VirtualSign sign({QStringLiteral("--silent")}, kComPort);
    ASSERT_TRUE(sign.started());
    ChooseSignId(dialog.get(), "01");
    QTest::mouseClick(yes, Qt::LeftButton);
    QTest::mouseClick(no, Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(WaitForCommand(dialog.get()));
    EXPECT_TRUE(dialog->isVisible());
    QTest::mouseClick(no, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace

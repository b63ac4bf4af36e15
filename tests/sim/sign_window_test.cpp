// The virtual sign's window, off screen: the shown page running, dimmed by the brightness, and
// the frames received listed under it.
#include "core/frame.h"
#include "core/payloads.h"
#include "sim/change_note.h"
#include "sim/virtual_sign.h"
#include "sim/window/sign_window.h"
#include "widgets/led_view.h"

#include <QListWidget>

#include <gtest/gtest.h>

namespace lumivo::sim {
namespace {

// Sends the bytes to the sign and tells the window each event, as the serving thread does.
void Send(VirtualSign& sign, SignWindow& window, const Bytes& bytes) {
    for (const Exchange& exchange : sign.receive(bytes)) {
        window.frameReceived(QString::fromStdString(ChangeNote(exchange, sign.state())),
                             sign.state());
    }
}

bool AnyLit(const DotImage& image) {
    for (int y = 0; y < image.rows(); ++y) {
        for (int x = 0; x < image.columns(); ++x) {
            if (image.at(x, y) != Dot::Off) {
                return true;
            }
        }
    }
    return false;
}

TEST(SignWindow, ShowsTheRunningPageDimmedAndListsTheFrames) {
    VirtualSign sign(1);
    SignWindow window(SignGeometry{96});
    EXPECT_EQ(window.view()->image().columns(), 96);
    EXPECT_EQ(window.view()->image().rows(), 16);
    EXPECT_FALSE(AnyLit(window.view()->image()));
    EXPECT_EQ(window.display(), nullptr);

    Send(sign, window, BuildFrame("<L1><PB><FA><MA><WC><FA>Hi", "01"));
    ASSERT_NE(window.display(), nullptr);
    // Shown immediately (no leading effect to wait for), at the sign's width.
    EXPECT_EQ(window.view()->image(), window.display()->frameAt(window.time()));
    EXPECT_TRUE(AnyLit(window.view()->image()));
    EXPECT_EQ(window.view()->image().columns(), 96);

    // Brightness dims the dots and nothing else.
    const DotImage before = window.view()->image();
    Send(sign, window, BuildFrame(BrightnessPayload(3), "01"));
    EXPECT_DOUBLE_EQ(window.view()->brightness(), 0.25);
    EXPECT_EQ(window.view()->image(), before);

    // A frame for another sign is listed and changes nothing shown.
    Send(sign, window, BuildFrame(RunPagePayload('B'), "02"));
    Send(sign, window, BuildFrame("<D*>", "01"));
    EXPECT_EQ(window.display(), nullptr);
    EXPECT_FALSE(AnyLit(window.view()->image()));

    QStringList listed;
    for (int i = 0; i < window.frames()->count(); ++i) {
        listed << window.frames()->item(i)->text().mid(10); // after "hh:mm:ss  "
    }
    EXPECT_EQ(listed,
              (QStringList{QStringLiteral("page B stored"), QStringLiteral("brightness 25 %"),
                           QStringLiteral("frame for sign 02 ignored: not for this sign"),
                           QStringLiteral("pages, graphics and schedules deleted")}));
}

TEST(SignWindow, KeepsOnlyTheLastFrames) {
    VirtualSign sign(1);
    SignWindow window(SignGeometry{});
    for (int i = 0; i < SignWindow::kListedFrames + 5; ++i) {
        Send(sign, window, BuildFrame(BrightnessPayload(i % 4), "01"));
    }
    EXPECT_EQ(window.frames()->count(), SignWindow::kListedFrames);
}

} // namespace
} // namespace lumivo::sim

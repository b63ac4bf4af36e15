// The main of every test program with windows: one application object for the whole run, as the
// editor has one. Windows are drawn off screen; ctest says so in the environment, and listing the
// tests without it must not need a display either.

#include <QApplication>
#include <QEvent>

#include <gtest/gtest.h>

namespace {

// Deletes what a test left to `deleteLater`, so the next test starts without the last one's
// windows still alive.
class DeferredDeletes final : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DeferredDeletes);
    return RUN_ALL_TESTS();
}

// Stopping a sign that serves on another thread, as its window does when it closes.
#include "sim/sign_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <sstream>
#include <thread>

namespace lumivo::sim {
namespace {

// Notes when the sign begins to serve.
class ServingWatcher final : public SignWatcher {
public:
    void serving(const std::string&) override { started = true; }
    void exchanged(const Exchange&, const std::string&, const SignState&) override {}
    std::atomic<bool> started{false};
};

TEST(SignStop, ARequestFromAnotherThreadEndsTheSignEvenBeforeItServes) {
    SignOptions options;
    options.listenHost = "127.0.0.1";
    for (bool early : {true, false, true}) {
        std::ostringstream out;
        std::ostringstream err;
        ServingWatcher watcher;
        if (early) {
            RequestSignStop(); // before the sign has set up anything
        }
        auto served =
            std::async(std::launch::async, [&] { return RunSign(options, out, err, &watcher); });
        if (!early) {
            // Once it says where it serves, it is waiting for clients.
            for (int i = 0; i < 200 && !watcher.started; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            RequestSignStop();
        }
        ASSERT_EQ(served.wait_for(std::chrono::seconds(3)), std::future_status::ready)
            << (early ? "early" : "while serving");
        EXPECT_EQ(served.get(), 0);
        EXPECT_EQ(err.str(), "");
    }
}

} // namespace
} // namespace lumivo::sim

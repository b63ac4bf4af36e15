// The dispatcher on scripted lines: what each line carries, per-sign ends, Cancel, busy ports.

#include "signs/dispatcher.h"
#include "signs/sign_commands.h"

#include "link/fake_port.h"
#include "link/link_test_support.h"
#include "support/line_clock.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <stdexcept>

namespace lumivo::signs {
namespace {

using link::FakeLine;
using test::LineClock;
using Events = std::vector<std::string>;

Sign MakeSign(const char* name, const char* port, const char* id) {
    Sign sign;
    sign.name = QString::fromLatin1(name);
    sign.port = QString::fromLatin1(port);
    sign.id = id;
    return sign;
}

// Scripted lines by port; a port without a line opens nothing.
struct Site {
    std::map<QString, std::unique_ptr<FakeLine>> lines;

    FakeLine& line(const char* port) {
        auto& line = lines[QString::fromLatin1(port)];
        if (!line) {
            line = std::make_unique<FakeLine>();
        }
        return *line;
    }
    Dispatcher::OpenerFor openers() {
        return [this](const Sign& sign) -> link::PortOpener {
            const auto it = lines.find(sign.port);
            if (it == lines.end()) {
                return [] { return std::unique_ptr<link::Port>(); };
            }
            return it->second->opener();
        };
    }
    Dispatcher::ClockFor clocks() {
        return [this](const Sign& sign) -> std::unique_ptr<link::Clock> {
            const auto it = lines.find(sign.port);
            if (it == lines.end()) {
                return std::make_unique<link::FakeClock>();
            }
            return std::make_unique<LineClock>(it->second->clock());
        };
    }
};

// A page that shows two graphics, and the graphics.
const std::string kTwoGraphics = "Hi<Pic:G01><Pic:G02>";

std::shared_ptr<const GraphicSource> Graphics() {
    auto graphics = std::make_shared<link::test::MemoryGraphics>();
    graphics->add("G01", link::test::SolidRows(8, 32, 'A'));
    graphics->add("G02", link::test::SolidRows(8, 40, 'D'));
    return graphics;
}

// What a single send to that ID writes and pauses on a line of its own.
Events DirectSend(const std::string& id, const GraphicSource& graphics) {
    FakeLine line;
    const link::Outcome outcome =
        link::RunSendMessage(line.opener(), line.clock(), {kTwoGraphics, id, 'A', &graphics});
    EXPECT_TRUE(outcome.success) << outcome.text;
    return line.events();
}

TEST(Dispatcher, EachLineCarriesItsSignsInTurnExactlyAsSingleSends) {
    test::TempDir dir;
    Site site;
    FakeLine& first = site.line("tcp://first:1");
    FakeLine& second = site.line("tcp://second:1");
    // Both lines must be under way at once: each holds its first reply until the other has
    // received a frame too, so lines run one after another would fail here.
    std::promise<void> firstSeen, secondSeen;
    std::shared_future<void> firstReady = firstSeen.get_future().share();
    std::shared_future<void> secondReady = secondSeen.get_future().share();
    bool met = true;
    auto meet = [&](std::promise<void>& mine, std::shared_future<void> other, bool& once) {
        return [&, other, once = &once](const std::string&) {
            if (!*once) {
                *once = true;
                mine.set_value();
                met = met && other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
            }
            return std::string("ACK");
        };
    };
    bool firstOnce = false, secondOnce = false;
    first.setResponder(meet(firstSeen, secondReady, firstOnce));
    second.setResponder(meet(secondSeen, firstReady, secondOnce));

    SignStateStore state(dir.path() / "signs-state.json");
    const auto graphics = Graphics();
    Dispatcher dispatcher(site.openers(), QString(), site.clocks(), &state);
    const DispatchResult result = dispatcher.run(
        {MakeSign("One", "tcp://first:1", "01"), MakeSign("Far", "tcp://second:1", "09"),
         MakeSign("Two", "tcp://first:1", "02"), MakeSign("Three", "tcp://first:1", "03")},
        SendPageCommand(kTwoGraphics, 'A', graphics));

    EXPECT_TRUE(met) << "the two lines did not run at the same time";
    EXPECT_EQ(result.summary().toStdString(), "4 of 4 signs took page A");
    Events expected;
    for (const char* id : {"01", "02", "03"}) {
        const Events one = DirectSend(id, *graphics);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(first.events(), expected);
    EXPECT_EQ(second.events(), DirectSend("09", *graphics));

    const SignRecord two = state.record(QStringLiteral("Two"));
    ASSERT_EQ(two.pages.count('A'), 1u);
    EXPECT_EQ(two.pages.at('A').line, kTwoGraphics);
    EXPECT_EQ(two.pages.at('A').graphics.size(), 2u);
    EXPECT_EQ(two.pages.at('A').graphics.at(2).rows, link::test::SolidRows(8, 40, 'D'));
    ASSERT_TRUE(two.last.has_value());
    EXPECT_EQ(two.last->command.toStdString(), "page A");
}

TEST(Dispatcher, EverySignEndsOnItsOwn) {
    test::TempDir dir;
    Site site;
    site.line("/dev/good");
    site.line("/dev/quiet").setDefaultReply("");
    site.line("/dev/nack").setDefaultReply("NACK");
    site.line("/dev/throws");
    SignStateStore state(dir.path() / "signs-state.json");
    Dispatcher dispatcher(site.openers(), QString(), site.clocks(), &state);

    SignCommand command = SendPageCommand("Hello", 'B', nullptr);
    const auto send = command.run;
    command.run = [send](const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                         const link::Progress& progress) {
        if (sign.name == QStringLiteral("Broken")) {
            throw std::runtime_error("no memory");
        }
        return send(sign, open, clock, progress);
    };
    const DispatchResult result = dispatcher.run(
        {MakeSign("Good", "/dev/good", "01"), MakeSign("Quiet", "/dev/quiet", "01"),
         MakeSign("Refuses", "/dev/nack", "01"), MakeSign("Missing", "/dev/none", "01"),
         MakeSign("Broken", "/dev/throws", "01")},
        command);

    ASSERT_EQ(result.outcomes.size(), 5u);
    EXPECT_TRUE(result.outcomes[0].outcome.success);
    EXPECT_EQ(result.outcomes[3].outcome, link::test::kOpenComError);
    EXPECT_FALSE(result.allSucceeded());
    EXPECT_EQ(result.summary().toStdString(),
              "1 of 5 signs took page B; Quiet: Send Message Error; Refuses: Send Message Error; "
              "Missing: Open Com Error; Broken: the command stopped: no memory");
    EXPECT_EQ(state.record(QStringLiteral("Good")).pages.count('B'), 1u);
    const SignRecord quiet = state.record(QStringLiteral("Quiet"));
    EXPECT_TRUE(quiet.pages.empty());
    ASSERT_TRUE(quiet.last.has_value());
    EXPECT_FALSE(quiet.last->outcome.success);
}

// One sign's end as a summary case writes it: "NAME=ok", "NAME=box:TEXT", "NAME=details:TEXT",
// "NAME=cancelled:TEXT" or "NAME=waiting".
SignOutcome CaseEnd(const std::string& spec) {
    const std::size_t equals = spec.find('=');
    const std::size_t colon = spec.find(':', equals);
    const std::string kind = spec.substr(equals + 1, colon - equals - 1);
    const std::string text = colon == std::string::npos ? std::string() : spec.substr(colon + 1);
    SignOutcome end;
    end.sign = QString::fromStdString(spec.substr(0, equals));
    end.started = kind != "waiting";
    end.cancelled = kind == "cancelled";
    if (kind == "ok") {
        end.outcome = link::Outcome(link::BoxKind::None, std::string(), true, std::string());
    } else if (kind == "details") {
        end.outcome = link::Outcome(link::BoxKind::None, std::string(), false, text);
    } else {
        end.outcome = link::Outcome(link::BoxKind::Plain, text, false, std::string());
    }
    return end;
}

TEST(DispatchResult, SummaryCountsAndNamesEverySignThatDidNotTakeIt) {
    test::ForEachCase("signs/summary_cases.tsv", 4, [&](const test::CaseRow& row) {
        DispatchResult result;
        result.label = QString::fromStdString(row.fields[1]);
        std::size_t from = 0;
        while (from < row.fields[2].size()) {
            const std::size_t end = std::min(row.fields[2].find(';', from), row.fields[2].size());
            result.outcomes.push_back(CaseEnd(row.fields[2].substr(from, end - from)));
            from = end + 1;
        }
        EXPECT_EQ(result.summary().toStdString(), row.fields[3]);
    });
}

// Three signs on one line; Cancel comes as the second sign's page frame is complete (with ID 00
// nothing is ever answered, so only the frame itself tells where it ends).
void CancelDuringSecondSign(const char* id) {
    test::TempDir dir;
    Site site;
    FakeLine& line = site.line("COM1");
    std::promise<std::shared_ptr<DispatchJob>> handed;
    std::shared_future<std::shared_ptr<DispatchJob>> job = handed.get_future().share();
    int pages = 0;
    line.setResponder([&](const std::string& frame) {
        if (frame.find("<L1>") != std::string::npos && ++pages == 2) {
            job.get()->cancel();
        }
        return std::string(std::string(id) == "00" ? "" : "ACK");
    });
    SignStateStore state(dir.path() / "signs-state.json");
    const auto graphics = Graphics();
    Dispatcher dispatcher(site.openers(), QString(), site.clocks(), &state);
    handed.set_value(dispatcher.start(
        {MakeSign("A", "COM1", id), MakeSign("B", "COM1", id), MakeSign("C", "COM1", id)},
        SendPageCommand(kTwoGraphics, 'A', graphics)));
    const DispatchResult result = job.get()->wait();

    ASSERT_EQ(result.outcomes.size(), 3u);
    EXPECT_TRUE(result.outcomes[0].outcome.success);
    EXPECT_TRUE(result.outcomes[1].started);
    EXPECT_TRUE(result.outcomes[1].cancelled);
    EXPECT_FALSE(result.outcomes[2].started);
    // The second sign's last frame is its whole page; nothing of a graphic block follows.
    const std::vector<std::string> frames = line.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_NE(frames.back().find("<L1>"), std::string::npos) << frames.back();
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(result.summary().toStdString(), "1 of 3 signs took page A; B: Send Graphic Error "
                                              "(cancelled); C: not sent (cancelled)");
    EXPECT_TRUE(state.record(QStringLiteral("B")).pages.empty());
    ASSERT_TRUE(state.record(QStringLiteral("B")).last.has_value());
    EXPECT_TRUE(state.record(QStringLiteral("B")).last->cancelled);
}

TEST(Dispatcher, CancelEndsTheRunningSignAfterItsFrameAndSkipsTheRest) {
    CancelDuringSecondSign("01");
}

TEST(Dispatcher, CancelFindsFramesOnASignThatNeverReplies) {
    CancelDuringSecondSign("00");
}

const char kHeld[] = "the device is in use by another program (minicom, process 42)";

TEST(RetryWhileBusy, WaitsForTheHolderThenNamesIt) {
    FakeLine line;
    link::FakeClock clock;
    int tries = 0;
    const auto busyTwice = [&]() -> std::unique_ptr<link::Port> {
        if (++tries <= 2) {
            link::NoteOpenFailure("/dev/ttyS0", kHeld);
            return nullptr;
        }
        return line.opener()();
    };
    EXPECT_NE(RetryWhileBusy(busyTwice, 1000, 10, clock)(), nullptr);
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(clock.pauses(), (std::vector<int>{10, 10}));

    const auto alwaysBusy = [] {
        link::NoteOpenFailure("/dev/ttyS0", kHeld);
        return std::unique_ptr<link::Port>();
    };
    link::FakeClock waited;
    EXPECT_EQ(RetryWhileBusy(alwaysBusy, 200, 10, waited)(), nullptr);
    EXPECT_EQ(waited.total(), 200);
    const std::string reason = link::TakeOpenFailure().reason;
    EXPECT_NE(reason.find("minicom, process 42"), std::string::npos) << reason;
    EXPECT_NE(reason.find("still in use after 200 ms"), std::string::npos) << reason;

    tries = 0;
    const auto missing = [&] {
        ++tries;
        link::NoteOpenFailure("/dev/ttyS9", "No such file or directory");
        return std::unique_ptr<link::Port>();
    };
    link::FakeClock none;
    EXPECT_EQ(RetryWhileBusy(missing, 1000, 1, none)(), nullptr);
    EXPECT_EQ(tries, 1);
    EXPECT_TRUE(none.pauses().empty());
}

// Cancels a job at the third pause it takes.
struct CancellingClock final : link::Clock {
    std::shared_future<std::shared_ptr<DispatchJob>> job;
    std::vector<int> pauses;
    void delay(int ms) override {
        pauses.push_back(ms);
        if (pauses.size() == 3) {
            job.get()->cancel();
        }
    }
};

TEST(Dispatcher, CancelEndsTheWaitForABusyPort) {
    std::promise<std::shared_ptr<DispatchJob>> handed;
    std::shared_future<std::shared_ptr<DispatchJob>> job = handed.get_future().share();
    auto clock = std::make_shared<CancellingClock>();
    clock->job = job;
    int tries = 0;
    const Dispatcher::OpenerFor held = [&](const Sign&) -> link::PortOpener {
        return [&] {
            ++tries;
            link::NoteOpenFailure("/dev/ttyS0", kHeld);
            return std::unique_ptr<link::Port>();
        };
    };
    // Each sign's clock hands its pauses to the one that cancels.
    const Dispatcher::ClockFor clocks = [clock](const Sign&) {
        return std::make_unique<LineClock>(*clock);
    };
    Dispatcher dispatcher(held, QString(), clocks, nullptr);
    handed.set_value(
        dispatcher.start({MakeSign("Held", "COM1", "01"), MakeSign("Next", "COM1", "02")},
                         SendPageCommand("Hello", 'A', nullptr)));
    const DispatchResult result = job.get()->wait();
    // The job keeps the clocks and the clock keeps the job: let go of the job so both are freed.
    clock->job = {};

    // The wait ended at the pause where Cancel came, not after its whole bound.
    EXPECT_EQ(clock->pauses, (std::vector<int>(3, kBusyStepMs)));
    EXPECT_EQ(tries, 4);
    ASSERT_EQ(result.outcomes.size(), 2u);
    EXPECT_NE(result.outcomes[0].outcome.details.find("the wait for it was cancelled"),
              std::string::npos)
        << result.outcomes[0].outcome.details;
    EXPECT_EQ(result.summary().toStdString(), "0 of 2 signs took page A; Held: Open Com Error "
                                              "(cancelled); Next: not sent (cancelled)");
}

} // namespace
} // namespace lumivo::signs

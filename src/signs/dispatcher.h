#pragma once

#include "link/clock.h"
#include "link/fake_port.h"
#include "link/outcome.h"
#include "link/port.h"
#include "link/runners.h"
#include "signs/sign_list.h"
#include "signs/sign_state.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace lumivo::signs {

// A sign's progress as its command reports it: the bar (a link::Progress, so a runner takes it as
// it is) and the step the command begins ("Page A", "Graphic G01 2/3"), which may be empty.
struct SignProgress : link::Progress {
    SignProgress() = default;
    // Not explicit: a bar alone is a progress whose steps nobody hears.
    SignProgress(link::Progress bar, link::StepReport stepReport = {})
        : link::Progress(std::move(bar)), step(std::move(stepReport)) {}
    link::StepReport step;
};

// What asks lumivod for the same thing a command's runner does: the route after
// "/api/signs/{name}/" and its JSON body. An empty route: lumivod takes no such command, and
// `refusal` says so for a sign whose line lumivod owns.
struct ServiceRequest {
    QString route; // "pages/A", "brightness", ...
    QByteArray body = QByteArrayLiteral("{}");
    QString refusal;
};

// A command for many signs: the runner it calls for each sign, and what a success leaves on the
// sign, recorded in its state.
struct SignCommand {
    QString label; // "page A", "clock", ...: the summary says "3 of 4 signs took page A"
    std::function<link::Outcome(const Sign& sign, const link::PortOpener& open, link::Clock& clock,
                                const SignProgress& progress)>
        run;
    std::function<void(SignRecord& record)> recordSuccess; // may be empty
    ServiceRequest service;
};

// A running lumivod that owns a sign's line: where it listens, its token, and its name for the
// sign (empty when it owns the line but serves no sign of that ID on it).
struct ServiceRoute {
    QString address; // "127.0.0.1:8686"
    QByteArray token;
    qint64 pid = 0;
    QString signName;
    QStringList signsOnLine; // "Front (ID 01)": every sign it serves on that line
};

// How one sign ended.
struct SignOutcome {
    QString sign;
    link::Outcome outcome;
    bool started = false;   // false: cancelled before its turn came
    bool cancelled = false; // ended early by Cancel (after the frame that ran)
    qint64 milliseconds = 0;
    // "through lumivod at ..." when lumivod sent it, or why lumivod, owner of the line, was not
    // used; empty for a sign whose line no lumivod owns.
    std::string serviceNote;
    bool throughService = false; // lumivod, owner of the line, sent it
};

struct DispatchResult {
    QString label;
    std::vector<SignOutcome> outcomes; // in the order the signs were given
    bool allSucceeded() const;
    // "3 of 4 signs took page A; Back door: Send Message Error" (box texts trimmed). A failure
    // without a box text gives its details; a sign cut short by Cancel adds " (cancelled)", one
    // whose turn never came reads "not sent (cancelled)".
    QString summary() const;
};

// Told of each sign's progress, on the line worker's thread.
class DispatchObserver {
public:
    virtual ~DispatchObserver() = default;
    virtual void signStarted(const QString& /*sign*/) {}
    virtual void signProgressed(const QString& /*sign*/, int /*value*/, int /*maximum*/) {}
    virtual void signStep(const QString& /*sign*/, const QString& /*step*/) {}
    virtual void signFinished(const SignOutcome& /*outcome*/) {}
    virtual void finished(const DispatchResult& /*result*/) {}
};

// One run of a command on a set of signs.
class DispatchJob {
public:
    virtual ~DispatchJob() = default;
    // Ends each running sign after the frame it is in (or its wait for a busy port), and every
    // sign not started yet.
    virtual void cancel() = 0;
    virtual bool isFinished() const = 0;
    // Blocks until every sign has ended.
    virtual DispatchResult wait() = 0;
};

// Runs commands on many signs: one worker per line, signs of one line in turn, so a line never
// carries two frames interleaved; lines in parallel. Each sign gets exactly the frames, replies and
// pauses a single send to it would have; one sign's failure never stops another's.
class Dispatcher {
public:
    using OpenerFor = std::function<link::PortOpener(const Sign& sign)>;
    // The clock of one sign's run, asked for on the line's worker just before the sign's turn:
    // a test gives each sign the clock of its own scripted line, so the pauses are seen in order
    // with the frames.
    using ClockFor = std::function<std::unique_ptr<link::Clock>(const Sign& sign)>;

    // `state` may be null (nothing is recorded); it must outlive the dispatcher.
    Dispatcher(OpenerFor openerFor, QString settingsFile, ClockFor clockFor, SignStateStore* state);
    // Cancels what runs and waits for the workers.
    ~Dispatcher();

    // Starts the command on the signs and returns at once; the observer (may be null) must
    // outlive the job.
    std::shared_ptr<DispatchJob> start(std::vector<Sign> signs, SignCommand command,
                                       DispatchObserver* observer = nullptr);
    // Starts and waits.
    DispatchResult run(std::vector<Sign> signs, SignCommand command);

    // Where a sign's line is owned by a running lumivod, asked on the line's worker before the
    // sign's turn: such a sign's command goes to lumivod instead of opening the port. Unset (as
    // in lumivod itself), every sign's port is opened here.
    using ServiceFor = std::function<std::optional<ServiceRoute>(const Sign& sign)>;
    void routeThroughService(ServiceFor serviceFor);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A port that, once `cancel` is set, lets the frame under way finish and refuses the first
// write that would begin a new one, setting `refused`. Frames are cut as the sign reads them,
// so this holds for a sign that never replies (ID 00) too.
class CancellablePort final : public link::Port {
public:
    CancellablePort(std::unique_ptr<link::Port> inner, const std::atomic<bool>& cancel,
                    std::atomic<bool>& refused);
    bool writeByte(std::uint8_t byte) override;
    bool writeBytes(std::string_view bytes) override;
    bool readByte(std::uint8_t& byte) override;
    void close() override;

private:
    std::unique_ptr<link::Port> m_inner;
    const std::atomic<bool>& m_cancel;
    std::atomic<bool>& m_refused;
    link::FrameAssembler m_frames;
};

// How long a sign's port is tried again while another program holds it, how often, and how the
// port layer says so in its open-failure note.
inline constexpr int kBusyWaitMs = 3000;
inline constexpr int kBusyStepMs = 100;
inline constexpr char kBusyReason[] = "in use by another program";

// The opener tried again every `stepMs` of `clock` while the device is held by another program,
// for at most `boundMs`; then it fails with the note that names the holder. Other failures fail
// at once. Once `cancel` is set the wait ends at its next step, failing with a note that says so
// and setting `cancelled`. The dispatcher opens every sign's port this way.
link::PortOpener RetryWhileBusy(link::PortOpener open, int boundMs, int stepMs, link::Clock& clock,
                                const std::atomic<bool>* cancel = nullptr,
                                std::atomic<bool>* cancelled = nullptr);

// The opener of a sign's port: COM ports through the settings file's mapping, a device path or
// tcp://host:port directly. The dispatcher waits for a device held by another program.
Dispatcher::OpenerFor PortOpenerForSigns(QString settingsFile);

} // namespace lumivo::signs

#include "signs/dispatcher.h"

#include "link/frame_log.h"
#include "link/port_factory.h"
#include "link/port_names.h"
#include "signs/service_client.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>

namespace lumivo::signs {

namespace {

QString Trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed();
}

// What the summary says of a sign that did not take the command.
QString FailureText(const SignOutcome& end) {
    if (!end.started) {
        return QStringLiteral("not sent (cancelled)");
    }
    QString text = Trimmed(end.outcome.text);
    if (text.isEmpty()) {
        text = Trimmed(end.outcome.details);
    }
    if (text.isEmpty()) {
        text = QStringLiteral("failed");
    }
    if (end.cancelled) {
        text += QStringLiteral(" (cancelled)");
    }
    return text;
}

bool Took(const SignOutcome& end) {
    return end.started && !end.cancelled && end.outcome.success;
}

} // namespace

bool DispatchResult::allSucceeded() const {
    return std::all_of(outcomes.begin(), outcomes.end(), Took);
}

QString DispatchResult::summary() const {
    const auto took = std::count_if(outcomes.begin(), outcomes.end(), Took);
    // The noun follows the total: "1 of 1 sign", "0 of 1 sign", "1 of 2 signs", "0 of 0 signs".
    const QString noun = outcomes.size() == 1 ? QStringLiteral("sign") : QStringLiteral("signs");
    QString text =
        QStringLiteral("%1 of %2 %3 took %4").arg(took).arg(outcomes.size()).arg(noun, label);
    for (const SignOutcome& end : outcomes) {
        if (!Took(end)) {
            text += QStringLiteral("; ") + end.sign + QStringLiteral(": ") + FailureText(end);
        }
    }
    return text;
}

CancellablePort::CancellablePort(std::unique_ptr<link::Port> inner, const std::atomic<bool>& cancel,
                                 std::atomic<bool>& refused)
    : m_inner(std::move(inner)), m_cancel(cancel), m_refused(refused) {}

bool CancellablePort::writeByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return writeBytes(std::string_view(&c, 1));
}

bool CancellablePort::writeBytes(std::string_view bytes) {
    if (!m_cancel.load()) {
        for (const char c : bytes) {
            m_frames.push(c);
        }
        return m_inner->writeBytes(bytes);
    }
    // Cancelled: the frame under way is finished, and nothing of a new one goes out.
    if (m_frames.pending().empty()) {
        m_refused = true;
        return false;
    }
    std::size_t rest = 0;
    while (rest < bytes.size()) {
        if (m_frames.push(bytes[rest++])) {
            break;
        }
    }
    if (!m_inner->writeBytes(bytes.substr(0, rest))) {
        return false;
    }
    if (rest < bytes.size()) {
        m_refused = true;
        return false;
    }
    return true;
}

bool CancellablePort::readByte(std::uint8_t& byte) {
    return m_inner->readByte(byte);
}

bool CancellablePort::readByteWithin(std::uint8_t& byte, int ms) {
    return m_inner->readByteWithin(byte, ms);
}

void CancellablePort::close() {
    m_inner->close();
}

link::PortOpener RetryWhileBusy(link::PortOpener open, int boundMs, int stepMs, link::Clock& clock,
                                const std::atomic<bool>* cancel, std::atomic<bool>* cancelled) {
    return [open = std::move(open), boundMs, stepMs, &clock, cancel,
            cancelled]() -> std::unique_ptr<link::Port> {
        int waited = 0;
        for (;;) {
            (void)link::TakeOpenFailure(); // a note left by an earlier open is not this one's
            std::unique_ptr<link::Port> port = open();
            if (port != nullptr) {
                return port;
            }
            link::OpenFailureNote note = link::TakeOpenFailure();
            const bool busy = note.reason.find(kBusyReason) != std::string::npos;
            const bool stop = cancel != nullptr && cancel->load();
            if (!busy || stop || waited + stepMs > boundMs) {
                if (busy && stop) {
                    note.reason += "; the wait for it was cancelled";
                    if (cancelled != nullptr) {
                        *cancelled = true;
                    }
                } else if (busy) {
                    note.reason += "; still in use after " + std::to_string(boundMs) + " ms";
                }
                link::NoteOpenFailure(std::move(note.device), std::move(note.reason));
                return nullptr;
            }
            clock.delay(stepMs);
            waited += stepMs;
        }
    };
}

Dispatcher::OpenerFor PortOpenerForSigns(QString settingsFile) {
    return [settingsFile](const Sign& sign) {
        int com = 0;
        for (int n = 1; n <= link::kComPortCount; ++n) {
            if (sign.port.compare(link::ComPortName(n), Qt::CaseInsensitive) == 0) {
                com = n;
            }
        }
        return com != 0 ? link::OpenerForComPort(com, settingsFile)
                        : link::OpenerForTarget(sign.port);
    };
}

// ---------------------------------------------------------------------------------------------

namespace {

struct JobState;

// One sign of a job, queued on its line.
struct Task {
    std::shared_ptr<JobState> job;
    std::size_t index = 0;
};

class Job final : public DispatchJob {
public:
    explicit Job(std::shared_ptr<JobState> state) : m_state(std::move(state)) {}
    void cancel() override;
    bool isFinished() const override;
    DispatchResult wait() override;

private:
    std::shared_ptr<JobState> m_state;
};

} // namespace

namespace {

struct JobState {
    std::vector<Sign> signs;
    std::vector<link::PortOpener> openers;
    SignCommand command;
    DispatchObserver* observer = nullptr;
    Dispatcher::ClockFor clockFor;
    Dispatcher::ServiceFor serviceFor;
    SignStateStore* state = nullptr;

    std::atomic<bool> cancel{false};
    mutable std::mutex mutex;
    std::condition_variable ended;
    DispatchResult result;
    std::size_t remaining = 0;

    void finishOne(SignOutcome outcome, std::size_t index) {
        if (observer != nullptr) {
            observer->signFinished(outcome);
        }
        bool last = false;
        {
            std::lock_guard lock(mutex);
            result.outcomes[index] = std::move(outcome);
            last = --remaining == 0;
        }
        if (last) {
            if (observer != nullptr) {
                observer->finished(snapshot());
            }
            std::lock_guard lock(mutex);
            done = true;
            ended.notify_all();
        }
    }

    DispatchResult snapshot() const {
        std::lock_guard lock(mutex);
        return result;
    }

    bool done = false;
};

void Job::cancel() {
    m_state->cancel = true;
}

bool Job::isFinished() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->done;
}

DispatchResult Job::wait() {
    std::unique_lock lock(m_state->mutex);
    m_state->ended.wait(lock, [&] { return m_state->done; });
    return m_state->result;
}

// Keeps the sign's end in the state: what a success left on it, and the outcome.
void Record(JobState& job, const Sign& sign, const SignOutcome& end) {
    if (job.state == nullptr) {
        return;
    }
    (void)job.state->update(sign.name, [&](SignRecord& record) {
        if (!end.cancelled && end.outcome.success && job.command.recordSuccess) {
            job.command.recordSuccess(record);
        }
        record.last = LastOutcome{job.command.label, end.outcome, QDateTime::currentDateTimeUtc(),
                                  end.cancelled};
    });
}

// Runs one sign: its own opener wrapped so Cancel stops it between frames, its own clock; an
// exception of the runner is its outcome.
SignOutcome RunOne(JobState& job, std::size_t index) {
    const Sign& sign = job.signs[index];
    SignOutcome end;
    end.sign = sign.name;
    if (job.cancel) {
        end.outcome.details = "cancelled before its turn";
        return end;
    }
    end.started = true;
    if (job.observer != nullptr) {
        job.observer->signStarted(sign.name);
    }
    std::atomic<bool> refused{false};
    const SignProgress progress(
        [&](int value, int maximum) {
            if (job.observer != nullptr) {
                job.observer->signProgressed(sign.name, value, maximum);
            }
        },
        [&](const std::string& step) {
            if (job.observer != nullptr) {
                job.observer->signStep(sign.name, QString::fromStdString(step));
            }
        });
    QElapsedTimer timer;
    timer.start();
    // "page A to Front (ID 01)" in the frame log, when the program keeps one.
    link::LoggedCommand logged((job.command.label + QStringLiteral(" to ") + sign.name +
                                QStringLiteral(" (ID ") + QString::fromStdString(sign.id) +
                                QLatin1Char(')'))
                                   .toStdString());
    std::string serviceNote; // why lumivod, owner of the line, was not used
    try {
        const std::optional<ServiceRoute> route =
            job.serviceFor ? job.serviceFor(sign) : std::nullopt;
        if (route) {
            if (std::optional<SignOutcome> through = SendThroughService(
                    sign, job.command, *route, &job.cancel, progress.step, serviceNote)) {
                through->milliseconds = timer.elapsed();
                logged.ended(through->outcome);
                Record(job, sign, *through);
                return *through;
            }
        }
        std::unique_ptr<link::Clock> clock = job.clockFor ? job.clockFor(sign) : nullptr;
        if (clock == nullptr) {
            clock = std::make_unique<link::RealClock>();
        }
        // A port held by another program is waited for on the sign's clock; Cancel ends the
        // wait at the next step, as it ends a send between frames.
        const link::PortOpener& inner = job.openers[index];
        const link::PortOpener waiting = link::LoggedOpener(
            RetryWhileBusy(inner ? inner
                                 : link::PortOpener([] { return std::unique_ptr<link::Port>(); }),
                           kBusyWaitMs, kBusyStepMs, *clock, &job.cancel, &refused),
            sign.port.toStdString());
        const link::PortOpener open = [&]() -> std::unique_ptr<link::Port> {
            std::unique_ptr<link::Port> port = waiting();
            if (port == nullptr) {
                return nullptr;
            }
            return std::make_unique<CancellablePort>(std::move(port), job.cancel, refused);
        };
        end.outcome = job.command.run(sign, open, *clock, progress);
    } catch (const std::exception& error) {
        end.outcome = link::Outcome(link::BoxKind::None, std::string(), false,
                                    std::string("the command stopped: ") + error.what());
    } catch (...) {
        end.outcome = link::Outcome(link::BoxKind::None, std::string(), false,
                                    "the command stopped on an unknown error");
    }
    end.milliseconds = timer.elapsed();
    end.cancelled = refused;
    if (!serviceNote.empty()) {
        end.outcome.details =
            end.outcome.details.empty() ? serviceNote : serviceNote + "; " + end.outcome.details;
    }
    end.serviceNote = std::move(serviceNote);
    logged.ended(end.outcome);
    Record(job, sign, end);
    return end;
}

// The persistent worker of one line: takes the line's signs in the order they were queued. It is
// a QThread, so a serial port opened on it has the thread data and event dispatcher that its
// socket notifiers need.
class LineWorker {
public:
    LineWorker() : m_thread(QThread::create([this] { loop(); })) { m_thread->start(); }
    ~LineWorker() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread->wait();
    }

    void post(Task task) {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_all();
    }

private:
    void loop() {
        for (;;) {
            Task task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_stopping || !m_tasks.empty(); });
                if (m_tasks.empty()) {
                    return; // stopping, and everything queued has ended
                }
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            SignOutcome end = RunOne(*task.job, task.index);
            task.job->finishOne(std::move(end), task.index);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::unique_ptr<QThread> m_thread; // last: starts once the rest is built
};

} // namespace

struct Dispatcher::Impl {
    OpenerFor openerFor;
    QString settingsFile;
    ClockFor clockFor;
    ServiceFor serviceFor;
    SignStateStore* state = nullptr;

    std::mutex mutex;
    std::map<QString, std::unique_ptr<LineWorker>> workers;
    std::vector<std::weak_ptr<JobState>> jobs;

    LineWorker& workerFor(const QString& line) {
        std::unique_ptr<LineWorker>& worker = workers[line];
        if (worker == nullptr) {
            worker = std::make_unique<LineWorker>();
        }
        return *worker;
    }
};

Dispatcher::Dispatcher(OpenerFor openerFor, QString settingsFile, ClockFor clockFor,
                       SignStateStore* state)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->openerFor = std::move(openerFor);
    m_impl->settingsFile = std::move(settingsFile);
    m_impl->clockFor = std::move(clockFor);
    m_impl->state = state;
}

Dispatcher::~Dispatcher() {
    std::lock_guard lock(m_impl->mutex);
    for (const std::weak_ptr<JobState>& job : m_impl->jobs) {
        if (const std::shared_ptr<JobState> running = job.lock()) {
            running->cancel = true;
        }
    }
    // Each worker ends what it holds (signs not started end at once) and is joined.
    m_impl->workers.clear();
}

std::shared_ptr<DispatchJob> Dispatcher::start(std::vector<Sign> signs, SignCommand command,
                                               DispatchObserver* observer) {
    auto job = std::make_shared<JobState>();
    job->command = std::move(command);
    job->observer = observer;
    job->clockFor = m_impl->clockFor;
    {
        std::lock_guard lock(m_impl->mutex);
        job->serviceFor = m_impl->serviceFor;
    }
    job->state = m_impl->state;
    job->result.label = job->command.label;
    job->result.outcomes.resize(signs.size());
    for (std::size_t i = 0; i < signs.size(); ++i) {
        job->result.outcomes[i].sign = signs[i].name;
        job->openers.push_back(m_impl->openerFor ? m_impl->openerFor(signs[i])
                                                 : link::PortOpener());
    }
    job->remaining = signs.size();
    job->signs = std::move(signs);
    auto handle = std::make_shared<Job>(job);
    if (job->signs.empty()) {
        job->done = true;
        if (observer != nullptr) {
            observer->finished(job->result);
        }
        return handle;
    }
    std::lock_guard lock(m_impl->mutex);
    std::erase_if(m_impl->jobs, [](const std::weak_ptr<JobState>& j) { return j.expired(); });
    m_impl->jobs.push_back(job);
    for (std::size_t i = 0; i < job->signs.size(); ++i) {
        m_impl->workerFor(LineKey(job->signs[i], m_impl->settingsFile)).post(Task{job, i});
    }
    return handle;
}

void Dispatcher::routeThroughService(ServiceFor serviceFor) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->serviceFor = std::move(serviceFor);
}

DispatchResult Dispatcher::run(std::vector<Sign> signs, SignCommand command) {
    return start(std::move(signs), std::move(command))->wait();
}

} // namespace lumivo::signs

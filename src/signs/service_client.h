#pragma once

#include "link/outcome.h"
#include "signs/dispatcher.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace lumivo::signs {

// How long lumivod is given to take the connection; the answer itself comes after the transfer
// and is waited for as long as lumivod's own transfer takes (up to kServiceAnswerMs).
inline constexpr int kServiceConnectMs = 2000;
inline constexpr int kServiceAnswerMs = 30 * 60 * 1000;

// What lumivod made of a request. `reached` false: it did not take the connection (refused, not
// there in time); nothing was sent, and `outcome.details` says why.
struct ServiceAnswer {
    bool reached = false;
    bool cancelled = false;
    link::Outcome outcome;
};

// The sign's outcome in lumivod's answer (HTTP `status`, JSON `body`): box text and kind as it
// reports them; a refusal ({"error", "field"}) is a failure whose details say what lumivod said.
ServiceAnswer ReadServiceAnswer(int status, const QByteArray& body, const QString& signName);

// Sends the request for the sign to lumivod and waits for its answer on an event loop of the
// calling thread. `cancel` (may be null), once set, drops the request.
ServiceAnswer RunThroughService(const ServiceRoute& route, const ServiceRequest& request,
                                const std::atomic<bool>* cancel);

// The command for a sign whose line a running lumivod owns: sent to lumivod, or refused when
// lumivod serves no sign of that ID on the line or takes no such command. Nothing when lumivod
// did not answer: `note` then says so, and the caller opens the port itself.
std::optional<SignOutcome> SendThroughService(const Sign& sign, const SignCommand& command,
                                              const ServiceRoute& route,
                                              const std::atomic<bool>* cancel,
                                              const link::StepReport& step, std::string& note);

// How long the editor waits for lumivod's state of a sign before it shows the line without it.
inline constexpr int kServiceStateMs = 3000;
// The most bytes of a sign's state read from lumivod.
inline constexpr qint64 kMaxServiceStateBytes = 1 << 20;

// Asks lumivod for the state of the route's sign without waiting: `done` is called on the
// thread of `context` (unless it is gone) with the sign's "state" object, empty when lumivod did
// not answer in time, refused or answered something that is not a sign.
void FetchServiceState(const ServiceRoute& route, QObject* context,
                       std::function<void(const QJsonObject& state)> done);

} // namespace lumivo::signs

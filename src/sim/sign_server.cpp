#include "sim/sign_server.h"

#include "core/file_io.h"
#include "core/version.h"
#include "sim/change_note.h"
#include "sim/json_out.h"
#include "sim/sign_picture.h"
#include "sim/virtual_sign.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <list>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace lumivo::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How often a pseudo-terminal without a client is looked at again.
constexpr int kIdleLineRetryMs = 50;
// After the last frame before a hang-up, the line stays up this long so the answer gets out.
constexpr int kHangUpGraceMs = 200;
// A frame begun and then left alone this long is settled as it stands.
constexpr int kIdleFlushMs = 300;

int g_signalPipe[2] = {-1, -1};
// The pipe's writing end for the stop signal and for RequestSignStop, which another thread may
// call before the pipe exists: the stop is then remembered and sent once the pipe is made.
std::atomic<int> g_stopWriteEnd{-1};
std::atomic<bool> g_stopAsked{false};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_stopWriteEnd.load(), &byte, 1);
    errno = saved;
}

bool InstallSignalHandlers(std::string& error) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    g_stopWriteEnd = g_signalPipe[1];
    if (g_stopAsked) {
        OnStopSignal(SIGTERM);
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool StopRequested() {
    pollfd fd{g_signalPipe[0], POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

// Waits up to `ms` for a stop signal; false when one came.
bool PauseUnlessStopped(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return !StopRequested();
        }
        pollfd fd{g_signalPipe[0], POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left));
        if (ready > 0) {
            return false;
        }
    }
}

// Writes an answer to the pseudo-terminal, which never blocks: what does not fit is lost.
void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return; // the client went away or stopped reading: the answer is lost, as on a wire
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Everything the sign does with the bytes of one line, whatever the transport.
class Session {
public:
    enum class Outcome { Continue, HangUp, Stopped };

    Session(const SignOptions& options, std::ostream& err, SignWatcher* watcher)
        : m_options(options), m_err(err), m_watcher(watcher), m_sign(options.id, options.fault),
          m_shownPicture(SignPictureText(m_sign.state(), SignGeometry{options.width})) {}

    bool open(std::string& error) {
        if (!m_options.logPath.empty()) {
            if (Status opened = m_log.open(m_options.logPath); !opened) {
                error = "--log: " + opened.error().message;
                return false;
            }
        }
        return writeState(error);
    }

    // Takes the answer to one frame of a line; the transport keeps the reply delay. False when
    // the sign was stopped while the answer waited.
    using ReplySink = std::function<bool(std::string_view)>;

    // Bytes arrived on a line.
    Outcome handle(SignLine& line, std::string_view bytes, const ReplySink& reply) {
        return answer(m_sign.receive(line, bytes), reply);
    }

    // The line was quiet for kIdleFlushMs.
    Outcome idle(SignLine& line, const ReplySink& reply) {
        return answer(m_sign.lineIdle(line), reply);
    }

private:
    Outcome answer(const std::vector<Exchange>& exchanges, const ReplySink& reply) {
        for (const Exchange& exchange : exchanges) {
            // Log and state first: whoever has the answer may read them at once and must find
            // the frame there.
            record(exchange);
            if (!exchange.reply.empty() && !reply(exchange.reply)) {
                return Outcome::Stopped;
            }
            if (exchange.frame.kind != ParsedKind::Dropped && m_options.hangUpAfter > 0 &&
                ++m_frames >= m_options.hangUpAfter) {
                return Outcome::HangUp;
            }
        }
        return Outcome::Continue;
    }

    void record(const Exchange& exchange) {
        if (m_log.isOpen()) {
            const std::string line =
                ExchangeJson(exchange, UtcTimestamp(std::chrono::system_clock::now())) + "\n";
            // A full disk would otherwise repeat the same complaint for every frame.
            if (Status written = m_log.append(line); !written && !m_logFailed) {
                m_logFailed = true;
                m_err << "lumivo-sign: --log: " << written.error().message << "\n";
            }
        }
        std::string error;
        if (!writeState(error)) {
            m_err << "lumivo-sign: " << error << "\n";
        }
        if (m_options.show || m_watcher != nullptr) {
            const std::string note = ChangeNote(exchange, m_sign.state());
            if (m_options.show) {
                show(note);
            }
            if (m_watcher != nullptr) {
                m_watcher->exchanged(exchange, note, m_sign.state());
            }
        }
    }

    // One line per event; the sign drawn again only when what it shows changed.
    void show(const std::string& note) {
        m_err << note << "\n";
        std::string picture = SignPictureText(m_sign.state(), SignGeometry{m_options.width});
        if (picture != m_shownPicture) {
            m_err << picture;
            m_shownPicture = std::move(picture);
        }
        m_err << std::flush;
    }

    // Replaced whole, so a reader never sees half of it and a failed write keeps the last one.
    bool writeState(std::string& error) const {
        if (m_options.statePath.empty()) {
            return true;
        }
        if (Status written =
                WriteFileReplacing(m_options.statePath, StateJson(m_sign.state()) + "\n");
            !written) {
            error = "--state: " + written.error().message;
            return false;
        }
        return true;
    }

    const SignOptions& m_options;
    std::ostream& m_err;
    SignWatcher* m_watcher;
    VirtualSign m_sign;
    std::string m_shownPicture;
    AppendFile m_log;
    bool m_logFailed = false;
    int m_frames = 0;
};

// Keeps the line up a little after the last frame, reading and discarding what still comes.
// False when a stop signal came meanwhile.
bool HangUpGrace(int fd) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kHangUpGraceMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return true;
        }
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(left));
        if (ready > 0 && fds[0].revents) {
            return false;
        }
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            char discard[256];
            if (read(fd, discard, sizeof discard) <= 0) {
                return true; // the client is gone already
            }
        } else if (ready > 0) {
            return true;
        }
    }
}

// Opens the pseudo-terminal pair for raw bytes and names its client side in `path`. Returns
// the master side, or -1 after saying why not on `err`.
int OpenPseudoTerminal(std::string& path, std::ostream& err) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        err << "lumivo-sign: cannot open a pseudo-terminal: " << std::strerror(errno) << "\n";
        return -1;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        err << "lumivo-sign: cannot name the pseudo-terminal\n";
        close(master);
        return -1;
    }
    path = name;
    // Raw bytes both ways: the settings belong to the terminal pair, so the client side starts
    // raw too (a client sets its own settings anyway).
    termios settings{};
    if (tcgetattr(master, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(master, TCSANOW, &settings);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

// What one wake of the pseudo-terminal came to.
struct LineTurn {
    Session::Outcome outcome = Session::Outcome::Continue;
    bool lineDown = false; // no client holds the terminal
};

// Takes what the master has to give after a poll (`ready` 0: the line was quiet).
LineTurn ReadPseudoTerminal(int master, int ready, short revents, Session& session, SignLine& line,
                            const Session::ReplySink& reply) {
    LineTurn turn;
    if (ready == 0) {
        turn.outcome = session.idle(line, reply);
    } else if (revents & POLLIN) {
        char buffer[4096];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            turn.outcome =
                session.handle(line, std::string_view(buffer, static_cast<std::size_t>(n)), reply);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            turn.lineDown = true; // EIO: no client has the terminal open
        }
    } else if (revents & (POLLHUP | POLLERR)) {
        turn.lineDown = true;
    }
    return turn;
}

// Serves the one line of the pseudo-terminal until a stop, a hang-up or a failure of the line.
void ServePseudoTerminalLine(int master, const SignOptions& options, Session& session) {
    SignLine line;
    // One line: while the sign waits to answer it reads nothing, as a sign on its own wire.
    const Session::ReplySink reply = [master,
                                      delay = options.replyDelayMs](std::string_view bytes) {
        if (delay > 0 && !PauseUnlessStopped(delay)) {
            return false;
        }
        WriteAll(master, bytes);
        return true;
    };
    for (;;) {
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {master, POLLIN, 0}};
        const int ready = poll(fds, 2, line.wantsIdle() ? kIdleFlushMs : -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents) {
            return;
        }
        const LineTurn turn =
            ReadPseudoTerminal(master, ready, fds[1].revents, session, line, reply);
        if (turn.outcome == Session::Outcome::Stopped) {
            return;
        }
        if (turn.outcome == Session::Outcome::HangUp) {
            HangUpGrace(master);
            return;
        }
        if (turn.lineDown) {
            // The master reports a hang-up for as long as no client holds the terminal; look
            // again shortly so the next client is served.
            line.reset();
            if (!PauseUnlessStopped(kIdleLineRetryMs)) {
                return;
            }
        }
    }
}

int ServePseudoTerminal(const SignOptions& options, Session& session, std::ostream& out,
                        std::ostream& err, SignWatcher* watcher) {
    std::string path;
    const int master = OpenPseudoTerminal(path, err);
    if (master < 0) {
        return 1;
    }
    out << path << "\n" << std::flush;
    if (watcher != nullptr) {
        watcher->serving(path);
    }
    ServePseudoTerminalLine(master, options, session);
    close(master);
    return 0;
}

int OpenListener(const SignOptions& options, int& port, std::ostream& err) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(options.listenPort);
    if (const int rc = getaddrinfo(options.listenHost.c_str(), service.c_str(), &hints, &found)) {
        err << "lumivo-sign: cannot resolve " << options.listenHost << ": " << gai_strerror(rc)
            << "\n";
        return -1;
    }
    int listener = -1;
    int lastError = 0;
    for (addrinfo* a = found; a && listener < 0; a = a->ai_next) {
        const int fd =
            socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 16) == 0) {
            listener = fd;
        } else {
            lastError = errno;
            close(fd);
        }
    }
    freeaddrinfo(found);
    if (listener < 0) {
        err << "lumivo-sign: cannot listen on " << options.listenHost << ":" << options.listenPort
            << ": " << std::strerror(lastError) << "\n";
        return -1;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &length);
    port = bound.ss_family == AF_INET6
               ? ntohs(reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port)
               : ntohs(reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
    return listener;
}

// How many TCP clients are served at once; a connection beyond them is closed at once.
constexpr std::size_t kMaxTcpClients = 16;
// Answers a client has not taken yet are kept up to this many bytes; a client that sends frames
// and never reads its answers is dropped once they pile up past it.
constexpr std::size_t kMaxQueuedReplyBytes = 4096;
// A client that takes none of its waiting answers for this long is dropped.
constexpr int kStalledClientMs = 3000;
// What the system keeps in flight for one client beside the queue: small, as on a serial line.
constexpr int kClientSendBuffer = 4096;

// An answer held back by the reply delay until it is due.
struct DelayedAnswer {
    Clock::time_point due;
    std::string bytes;
};

// One TCP connection: its own line into the sign and the answers it has not taken yet.
struct TcpClient {
    int fd = -1;
    SignLine line;
    std::deque<DelayedAnswer> delayed; // not due yet, in the order of the frames
    std::size_t delayedBytes = 0;
    std::string queued;
    Clock::time_point lastInput;    // for the idle settling of a frame begun and left alone
    Clock::time_point stalledSince; // the last time the queue was empty or shrank
    std::string dropReason;         // set when the client is to be closed; empty: keep it
    bool closed = false;            // the client went away by itself
};

int MsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) {
        return 0;
    }
    return static_cast<int>(
               std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count()) +
           1;
}

// Sends what the client will take now, without waiting for it.
void FlushClient(TcpClient& client, Clock::time_point now) {
    while (!client.queued.empty() && client.dropReason.empty() && !client.closed) {
        const ssize_t n = send(client.fd, client.queued.data(), client.queued.size(),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            client.queued.erase(0, static_cast<std::size_t>(n));
            client.stalledSince = now;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else {
            client.closed = true; // the client went away: its answers are lost, as on a wire
        }
    }
}

void QueueReply(TcpClient& client, std::string_view bytes) {
    if (!client.dropReason.empty() || client.closed) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (client.queued.empty()) {
        client.stalledSince = now;
    }
    client.queued += bytes;
    FlushClient(client, now);
    if (client.queued.size() > kMaxQueuedReplyBytes) {
        client.dropReason = "it does not read its answers";
    }
}

// Holds an answer back for the reply delay. Each client is a line of its own: its answers take
// the delay one after another, while the other clients are served meanwhile.
void DelayReply(TcpClient& client, std::string_view bytes, int delayMs) {
    if (!client.dropReason.empty() || client.closed) {
        return;
    }
    const Clock::time_point now = Clock::now();
    const Clock::time_point start =
        client.delayed.empty() ? now : std::max(now, client.delayed.back().due);
    client.delayed.push_back({start + std::chrono::milliseconds(delayMs), std::string(bytes)});
    client.delayedBytes += bytes.size();
    if (client.delayedBytes + client.queued.size() > kMaxQueuedReplyBytes) {
        client.dropReason = "it sends frames faster than the sign answers them";
    }
}

// Sends the held-back answers that are due by `now`.
void ReleaseDueReplies(TcpClient& client, Clock::time_point now) {
    while (!client.delayed.empty() && client.delayed.front().due <= now) {
        client.delayedBytes -= client.delayed.front().bytes.size();
        QueueReply(client, client.delayed.front().bytes);
        client.delayed.pop_front();
    }
}

bool AcceptClient(int listener, std::list<TcpClient>& clients) {
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    if (clients.size() >= kMaxTcpClients) {
        close(fd);
        return true;
    }
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kClientSendBuffer, sizeof kClientSendBuffer);
    TcpClient& client = clients.emplace_back();
    client.fd = fd;
    client.lastInput = client.stalledSince = Clock::now();
    return true;
}

// "listening on host:port", the host in brackets when it is an IPv6 address.
std::string ListeningText(const std::string& host, int port) {
    const bool bracket = host.find(':') != std::string::npos;
    return "listening on " + std::string(bracket ? "[" : "") + host + (bracket ? "]" : "") + ":" +
           std::to_string(port);
}

// Fills the poll set (stop pipe, listener, then one entry per client in order) and returns the
// poll timeout: until the soonest idle settling, due answer or stall deadline; -1 when none.
int PreparePoll(const std::list<TcpClient>& clients, int listener, std::vector<pollfd>& fds,
                Clock::time_point now) {
    int timeout = -1;
    auto wakeAt = [&](Clock::time_point when) {
        const int ms = MsUntil(when, now);
        timeout = timeout < 0 ? ms : std::min(timeout, ms);
    };
    fds.assign({{g_signalPipe[0], POLLIN, 0}, {listener, POLLIN, 0}});
    for (const TcpClient& client : clients) {
        const short events = client.queued.empty() ? POLLIN : (POLLIN | POLLOUT);
        fds.push_back({client.fd, events, 0});
        if (client.line.wantsIdle()) {
            wakeAt(client.lastInput + std::chrono::milliseconds(kIdleFlushMs));
        }
        if (!client.delayed.empty()) {
            wakeAt(client.delayed.front().due);
        }
        if (!client.queued.empty()) {
            wakeAt(client.stalledSince + std::chrono::milliseconds(kStalledClientMs));
        }
    }
    return timeout;
}

// One client's turn after a poll: due answers out, its bytes into the sign (or its begun frame
// settled when it went quiet), and a judgement on a client that leaves its answers untaken.
Session::Outcome ServeClient(TcpClient& client, short revents, Clock::time_point now,
                             const SignOptions& options, Session& session) {
    ReleaseDueReplies(client, now);
    if (revents & POLLOUT) {
        FlushClient(client, now);
    }
    const auto reply = [&client, delay = options.replyDelayMs](std::string_view bytes) {
        if (delay > 0) {
            DelayReply(client, bytes, delay);
        } else {
            QueueReply(client, bytes);
        }
        return true;
    };
    Session::Outcome outcome = Session::Outcome::Continue;
    if (revents & (POLLIN | POLLHUP | POLLERR)) {
        char buffer[4096];
        const ssize_t n = read(client.fd, buffer, sizeof buffer);
        if (n > 0) {
            client.lastInput = now;
            outcome = session.handle(client.line,
                                     std::string_view(buffer, static_cast<std::size_t>(n)), reply);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            client.closed = true;
        }
    } else if (client.line.wantsIdle() &&
               now - client.lastInput >= std::chrono::milliseconds(kIdleFlushMs)) {
        outcome = session.idle(client.line, reply);
    }
    if (!client.queued.empty() &&
        now - client.stalledSince >= std::chrono::milliseconds(kStalledClientMs)) {
        client.dropReason = "it has not read its answers for a while";
    }
    return outcome;
}

// Closes the clients that went away or are dropped (saying why), but not the one hanging up.
void CloseFinishedClients(std::list<TcpClient>& clients, const TcpClient* hungUp,
                          std::ostream& err) {
    for (auto it = clients.begin(); it != clients.end();) {
        if (&*it == hungUp || (it->dropReason.empty() && !it->closed)) {
            ++it;
            continue;
        }
        if (!it->dropReason.empty()) {
            err << "lumivo-sign: closed a connection: " << it->dropReason << "\n";
        }
        close(it->fd);
        it = clients.erase(it);
    }
}

// The answers still held back go out before the line drops, unless a stop came first.
void HangUpClient(TcpClient& client) {
    if (client.delayed.empty() ||
        PauseUnlessStopped(MsUntil(client.delayed.back().due, Clock::now()))) {
        ReleaseDueReplies(client, Clock::time_point::max());
    }
    FlushClient(client, Clock::now());
    HangUpGrace(client.fd);
}

// Serves every connected client at once, each through its own line into the one sign: the
// frames of one client never mix with another's, and each gets the answers to its own frames.
// No client can hold the others up: sockets never block, a reply delay holds back only the
// answers of the client whose frame it is, and a client that leaves its answers untaken is
// dropped.
int ServeTcp(const SignOptions& options, Session& session, std::ostream& out, std::ostream& err,
             SignWatcher* watcher) {
    int port = 0;
    const int listener = OpenListener(options, port, err);
    if (listener < 0) {
        return 1;
    }
    const std::string where = ListeningText(options.listenHost, port);
    out << where << "\n" << std::flush;
    if (watcher != nullptr) {
        watcher->serving(where);
    }

    std::list<TcpClient> clients;
    TcpClient* hungUp = nullptr;
    bool stopped = false;
    std::vector<pollfd> fds;
    while (!stopped && !hungUp) {
        const int timeout = PreparePoll(clients, listener, fds, Clock::now());
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents) {
            break;
        }
        const Clock::time_point now = Clock::now();
        std::size_t index = 2;
        for (TcpClient& client : clients) {
            const short revents = fds[index++].revents;
            if (stopped || hungUp) {
                break;
            }
            const Session::Outcome outcome = ServeClient(client, revents, now, options, session);
            stopped = outcome == Session::Outcome::Stopped;
            hungUp = outcome == Session::Outcome::HangUp ? &client : nullptr;
        }
        CloseFinishedClients(clients, hungUp, err);
        if (!stopped && !hungUp && (fds[1].revents & POLLIN)) {
            while (AcceptClient(listener, clients)) {
            }
        }
    }
    if (hungUp) {
        HangUpClient(*hungUp);
    }
    for (TcpClient& client : clients) {
        shutdown(client.fd, SHUT_RDWR);
        close(client.fd);
    }
    close(listener);
    return 0;
}
} // namespace

void RequestSignStop() {
    g_stopAsked = true;
    OnStopSignal(SIGTERM);
}

int RunSign(const SignOptions& options, std::ostream& out, std::ostream& err,
            SignWatcher* watcher) {
    // An output that is a folder, a device or a FIFO is a mistake in the arguments: refused
    // before anything is written.
    for (const auto& [option, path] :
         {std::pair{"--log", &options.logPath}, std::pair{"--state", &options.statePath}}) {
        if (path->empty()) {
            continue;
        }
        if (Status target = CheckWritableTarget(*path); !target) {
            err << "lumivo-sign: " << option << ": " << target.error().message << "\n";
            return 2;
        }
    }
    std::string error;
    if (!InstallSignalHandlers(error)) {
        err << "lumivo-sign: " << error << "\n";
        return 1;
    }
    Session session(options, err, watcher);
    if (!session.open(error)) {
        err << "lumivo-sign: " << error << "\n";
        return 1;
    }
    const int status = options.listenHost.empty()
                           ? ServePseudoTerminal(options, session, out, err, watcher)
                           : ServeTcp(options, session, out, err, watcher);
    g_stopAsked = false; // served: a later run starts afresh
    return status;
}

int SignMain(int argc, char** argv, SignWindowRunner window) {
    const ParsedArguments parsed =
        ParseSignArguments(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action) {
    case ParsedArguments::Action::Help:
        std::cout << kSignUsage;
        return 0;
    case ParsedArguments::Action::Version:
        std::cout << "lumivo-sign " << kVersion << "\n";
        return 0;
    case ParsedArguments::Action::Error:
        std::cerr << "lumivo-sign: " << parsed.error << "\n" << kSignUsage;
        return 2;
    case ParsedArguments::Action::Run:
        break;
    }
    if (parsed.options.window) {
        if (window == nullptr) {
            std::cerr << "lumivo-sign: --window: this lumivo-sign was built without windows\n";
            return 2;
        }
        return window(parsed.options, argc, argv);
    }
    return RunSign(parsed.options, std::cout, std::cerr);
}

} // namespace lumivo::sim

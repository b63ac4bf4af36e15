#include "sim/sign_server.h"

#include "sim/json_out.h"
#include "sim/led_render.h"
#include "sim/virtual_sign.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

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

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool InstallSignalHandlers(std::string& error) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
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

void WriteAll(int fd, std::string_view bytes, bool socket) {
    while (!bytes.empty()) {
        const ssize_t n = socket ? send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                 : write(fd, bytes.data(), bytes.size());
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

    Session(const SignOptions& options, std::ostream& err)
        : m_options(options), m_err(err), m_sign(options.id, options.fault) {}

    ~Session() {
        if (m_log) {
            std::fclose(m_log);
        }
    }

    bool open(std::string& error) {
        if (!m_options.logPath.empty()) {
            m_log = std::fopen(m_options.logPath.c_str(), "w");
            if (!m_log) {
                error = "cannot write the log " + m_options.logPath + ": " + std::strerror(errno);
                return false;
            }
        }
        return writeState(error);
    }

    void lineReset() { m_sign.lineReset(); }

    // Bytes arrived on the line.
    Outcome handle(std::string_view bytes, int fd, bool socket) {
        return answer(m_sign.receive(bytes), fd, socket);
    }

    // The line was quiet for kIdleFlushMs.
    Outcome idle(int fd, bool socket) { return answer(m_sign.lineIdle(), fd, socket); }

    // How long to wait for bytes before calling idle(); -1: no limit.
    int pollTimeout() const { return m_sign.wantsIdle() ? kIdleFlushMs : -1; }

private:
    Outcome answer(const std::vector<Exchange>& exchanges, int fd, bool socket) {
        for (const Exchange& exchange : exchanges) {
            if (!exchange.reply.empty()) {
                if (m_options.replyDelayMs > 0 && !PauseUnlessStopped(m_options.replyDelayMs)) {
                    return Outcome::Stopped;
                }
                WriteAll(fd, exchange.reply, socket);
            }
            record(exchange);
            if (exchange.frame.kind != ParsedKind::Dropped && m_options.hangUpAfter > 0 &&
                ++m_frames >= m_options.hangUpAfter) {
                return Outcome::HangUp;
            }
        }
        return Outcome::Continue;
    }

    void record(const Exchange& exchange) {
        if (m_log) {
            const std::string line =
                ExchangeJson(exchange, UtcTimestamp(std::chrono::system_clock::now())) + "\n";
            std::fwrite(line.data(), 1, line.size(), m_log);
            std::fflush(m_log);
        }
        std::string error;
        if (!writeState(error)) {
            m_err << "lumivo-sign: " << error << "\n";
        }
        if (m_options.show && exchange.applied) {
            m_err << ShowSign(m_sign.state()) << std::flush;
        }
    }

    // Written whole to a temporary file and renamed, so a reader never sees half of it.
    bool writeState(std::string& error) const {
        if (m_options.statePath.empty()) {
            return true;
        }
        const std::string temporary = m_options.statePath + ".tmp";
        std::FILE* file = std::fopen(temporary.c_str(), "w");
        if (!file) {
            error = "cannot write the state " + temporary + ": " + std::strerror(errno);
            return false;
        }
        const std::string json = StateJson(m_sign.state()) + "\n";
        const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed || std::rename(temporary.c_str(), m_options.statePath.c_str())) {
            error = "cannot write the state " + m_options.statePath;
            return false;
        }
        return true;
    }

    const SignOptions& m_options;
    std::ostream& m_err;
    VirtualSign m_sign;
    std::FILE* m_log = nullptr;
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

int ServePseudoTerminal(Session& session, std::ostream& out, std::ostream& err) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        err << "lumivo-sign: cannot open a pseudo-terminal: " << std::strerror(errno) << "\n";
        return 1;
    }
    char path[128];
    if (ptsname_r(master, path, sizeof path) != 0) {
        err << "lumivo-sign: cannot name the pseudo-terminal\n";
        close(master);
        return 1;
    }
    // Raw bytes both ways: the settings belong to the terminal pair, so the client side starts
    // raw too (a client sets its own settings anyway).
    termios settings{};
    if (tcgetattr(master, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(master, TCSANOW, &settings);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    out << path << "\n" << std::flush;

    for (;;) {
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {master, POLLIN, 0}};
        const int ready = poll(fds, 2, session.pollTimeout());
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents) {
            break;
        }
        Session::Outcome outcome = Session::Outcome::Continue;
        bool lineDown = false;
        if (ready == 0) {
            outcome = session.idle(master, false);
        } else if (fds[1].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                outcome = session.handle(std::string_view(buffer, static_cast<std::size_t>(n)),
                                         master, false);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                lineDown = true; // EIO: no client has the terminal open
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            lineDown = true;
        }
        if (outcome == Session::Outcome::Stopped) {
            break;
        }
        if (outcome == Session::Outcome::HangUp) {
            HangUpGrace(master);
            break;
        }
        if (lineDown) {
            // The master reports a hang-up for as long as no client holds the terminal; look
            // again shortly so the next client is served.
            session.lineReset();
            if (!PauseUnlessStopped(kIdleLineRetryMs)) {
                break;
            }
        }
    }
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
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 4) == 0) {
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

int ServeTcp(const SignOptions& options, Session& session, std::ostream& out, std::ostream& err) {
    int port = 0;
    const int listener = OpenListener(options, port, err);
    if (listener < 0) {
        return 1;
    }
    const bool bracket = options.listenHost.find(':') != std::string::npos;
    out << "listening on " << (bracket ? "[" : "") << options.listenHost << (bracket ? "]" : "")
        << ":" << port << "\n"
        << std::flush;

    int client = -1;
    for (;;) {
        const int watched = client >= 0 ? client : listener;
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {watched, POLLIN, 0}};
        const int ready = poll(fds, 2, client >= 0 ? session.pollTimeout() : -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents) {
            break;
        }
        if (client < 0) {
            if (fds[1].revents) {
                // One client at a time: the next one waits in the backlog until this one
                // leaves.
                client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
                session.lineReset();
            }
            continue;
        }
        Session::Outcome outcome = Session::Outcome::Continue;
        if (ready == 0) {
            outcome = session.idle(client, true);
        } else {
            char buffer[4096];
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                close(client);
                client = -1;
                session.lineReset();
                continue;
            }
            outcome =
                session.handle(std::string_view(buffer, static_cast<std::size_t>(n)), client, true);
        }
        if (outcome == Session::Outcome::Stopped) {
            break;
        }
        if (outcome == Session::Outcome::HangUp) {
            HangUpGrace(client);
            break;
        }
    }
    if (client >= 0) {
        shutdown(client, SHUT_RDWR);
        close(client);
    }
    close(listener);
    return 0;
}

} // namespace

int RunSign(const SignOptions& options, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!InstallSignalHandlers(error)) {
        err << "lumivo-sign: " << error << "\n";
        return 1;
    }
    Session session(options, err);
    if (!session.open(error)) {
        err << "lumivo-sign: " << error << "\n";
        return 1;
    }
    return options.listenHost.empty() ? ServePseudoTerminal(session, out, err)
                                      : ServeTcp(options, session, out, err);
}

int SignMain(int argc, char** argv) {
    const ParsedArguments parsed =
        ParseSignArguments(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action) {
    case ParsedArguments::Action::Help:
        std::cout << kSignUsage;
        return 0;
    case ParsedArguments::Action::Error:
        std::cerr << "lumivo-sign: " << parsed.error << "\n" << kSignUsage;
        return 2;
    case ParsedArguments::Action::Run:
        break;
    }
    return RunSign(parsed.options, std::cout, std::cerr);
}

} // namespace lumivo::sim

#include "private_scheduler.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cups/cups.h>

namespace fs = std::filesystem;

namespace lumivo::test {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(15);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr const char* kCaptureScheme = "lumivocapture";

// Stores the job's data, unchanged, in the file the device URI names
// ("lumivocapture:/path/file"). Mode 0700 makes the scheduler run it as root.
constexpr const char* kCaptureBackend = R"(#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'direct lumivocapture "Unknown" "Capture to file"'
    exit 0
fi
out=${DEVICE_URI#lumivocapture:}
if [ $# -ge 6 ]; then
    cat -- "$6" > "$out.part" || exit 1
else
    cat > "$out.part" || exit 1
fi
mv -f -- "$out.part" "$out"
)";

std::string FindProgram(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

// The system's folder of scheduler helpers (cups-exec and notifiers).
fs::path SystemServerBin() {
    for (const char* dir : {"/usr/lib/cups", "/usr/libexec/cups"}) {
        if (fs::exists(fs::path(dir) / "daemon" / "cups-exec")) {
            return dir;
        }
    }
    return "/usr/lib/cups";
}

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t length = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
        port = ntohs(addr.sin_port);
    }
    ::close(fd);
    return port;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const fs::path& path, const std::string& content, fs::perms perms) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) {
        return false;
    }
    std::error_code ec;
    fs::permissions(path, perms, ec);
    return !ec;
}

constexpr fs::perms kTraversable = fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec;

} // namespace

PrivateScheduler::~PrivateScheduler() {
    stop();
}

std::string PrivateScheduler::FindTool(const std::string& name) {
    return FindProgram({"/usr/sbin/" + name, "/usr/bin/" + name, "/usr/local/sbin/" + name,
                        "/usr/local/bin/" + name});
}

std::string PrivateScheduler::writeConfiguration() {
    char pattern[] = "/tmp/lumivo-cups-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return "cannot make a temporary directory";
    }
    m_dir = pattern;
    // mkdtemp makes the directory 0700; the scheduler's helpers run as the lp user and must be
    // able to reach the spool and the temporary folder below it.
    std::error_code ec;
    fs::permissions(m_dir, kTraversable, ec);
    for (const char* sub : {"conf", "spool", "tmp", "cache", "state", "log", "out", "bin",
                            "bin/backend", "bin/filter"}) {
        fs::create_directories(m_dir / sub, ec);
        fs::permissions(m_dir / sub, kTraversable, ec);
        if (ec) {
            return "cannot make " + (m_dir / sub).string() + ": " + ec.message();
        }
    }
    // A folder of helpers of our own: the system's cups-exec and notifiers, and the capture
    // backend. (A file: device would not do: the scheduler writes nothing to a file for a raw
    // job of a single document.)
    const fs::path systemBin = SystemServerBin();
    for (const char* sub : {"daemon", "notifier"}) {
        fs::create_directory_symlink(systemBin / sub, m_dir / "bin" / sub, ec);
        if (ec) {
            return "cannot link " + (systemBin / sub).string() + ": " + ec.message();
        }
    }
    if (!WriteFile(m_dir / "bin" / "backend" / kCaptureScheme, kCaptureBackend,
                   fs::perms::owner_all)) {
        return "cannot write the capture backend";
    }

    m_port = FreeLoopbackPort();
    if (m_port == 0) {
        return "no free port on 127.0.0.1";
    }
    const std::string conf = "Listen " + address() + "\n" + R"(Browsing No
LogLevel warn
ErrorPolicy abort-job
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)";
    const fs::path& d = m_dir;
    const std::string files =
        "ServerRoot " + (d / "conf").string() + "\n" + "RequestRoot " + (d / "spool").string() +
        "\n" + "TempDir " + (d / "tmp").string() + "\n" + "CacheDir " + (d / "cache").string() +
        "\n" + "StateDir " + (d / "state").string() + "\n" + "ServerBin " + (d / "bin").string() +
        "\n" + "ErrorLog " + (d / "log" / "error_log").string() + "\n" + "AccessLog " +
        (d / "log" / "access_log").string() + "\n" + "PageLog " +
        (d / "log" / "page_log").string() + "\n" + "SystemGroup root\n";
    const fs::perms readable = fs::perms::owner_read | fs::perms::owner_write |
                               fs::perms::group_read | fs::perms::others_read;
    if (!WriteFile(d / "conf" / "cupsd.conf", conf, readable) ||
        !WriteFile(d / "conf" / "cups-files.conf", files, readable)) {
        return "cannot write the scheduler's configuration";
    }
    return {};
}

bool PrivateScheduler::answers() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(m_port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

std::string PrivateScheduler::start() {
    const std::string cupsd = FindTool("cupsd");
    if (cupsd.empty()) {
        return "cupsd is not installed";
    }
    if (std::string problem = writeConfiguration(); !problem.empty()) {
        return problem;
    }
    const std::string conf = (m_dir / "conf" / "cupsd.conf").string();
    const std::string files = (m_dir / "conf" / "cups-files.conf").string();
    const std::string output = (m_dir / "log" / "cupsd.out").string();

    m_pid = ::fork();
    if (m_pid < 0) {
        return "fork failed";
    }
    if (m_pid == 0) {
        // The scheduler must not outlive a test process that dies.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
        ::execl(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }

    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (!answers()) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return "cupsd exited at start (status " + std::to_string(status) +
                   "): " + ReadFile(m_dir / "log" / "cupsd.out") + errorLog();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return "cupsd did not answer on " + address() + " within 15 s: " + errorLog();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    // Every CUPS call of this process, and the tools it runs, now talk to this scheduler and read
    // no user or system option files.
    ::setenv("CUPS_SERVER", address().c_str(), 1);
    ::setenv("CUPS_SERVERROOT", (m_dir / "conf").string().c_str(), 1);
    ::setenv("HOME", (m_dir / "tmp").string().c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
    cupsSetServer(nullptr); // forget a server name read before: read CUPS_SERVER again
    return {};
}

void PrivateScheduler::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_pid = -1;
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
        m_dir.clear();
    }
}

std::string PrivateScheduler::runTool(const std::vector<std::string>& argv) const {
    const std::string output = (m_dir / "log" / "tool.out").string();
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        return "fork failed";
    }
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return {};
    }
    std::string command;
    for (const std::string& arg : argv) {
        command += arg + ' ';
    }
    return command + "failed (status " + std::to_string(status) + "): " + ReadFile(output);
}

std::string PrivateScheduler::addCaptureQueue(const std::string& name, const fs::path& file) {
    const std::string lpadmin = FindTool("lpadmin");
    const std::string uri = std::string(kCaptureScheme) + ":" + file.string();
    // "-m raw" is deprecated; a queue without a model is raw too.
    std::string problem =
        runTool({lpadmin, "-h", address(), "-p", name, "-E", "-v", uri, "-m", "raw"});
    if (!problem.empty()) {
        problem = runTool({lpadmin, "-h", address(), "-p", name, "-E", "-v", uri});
    }
    return problem;
}

std::string PrivateScheduler::errorLog() const {
    return "\n--- cupsd error log ---\n" + ReadFile(m_dir / "log" / "error_log");
}

} // namespace lumivo::test

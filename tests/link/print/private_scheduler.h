#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace lumivo::test {

// A CUPS scheduler of the test's own: cupsd in the foreground as a child process, listening on
// 127.0.0.1 at a free port, every folder of it under one temporary directory. It shares nothing
// with the machine's own scheduler. Queues deliver through a capture backend that stores each
// job's bytes, unchanged, in a file.
class PrivateScheduler {
public:
    PrivateScheduler() = default;
    ~PrivateScheduler();
    PrivateScheduler(const PrivateScheduler&) = delete;
    PrivateScheduler& operator=(const PrivateScheduler&) = delete;

    // Where a CUPS program (cupsd, lpadmin, cupsreject) is, or empty when it is not installed.
    static std::string FindTool(const std::string& name);

    // Starts cupsd and waits until it answers; afterwards the test process's CUPS calls go to it
    // (CUPS_SERVER). Returns an empty text on success, otherwise what went wrong, with cupsd's
    // own error log.
    std::string start();
    // Ends cupsd (terminate, then kill) and removes its directory.
    void stop();

    std::string address() const { return "127.0.0.1:" + std::to_string(m_port); }
    // Folder for the files the capture queues write.
    std::filesystem::path outputFolder() const { return m_dir / "out"; }

    // A raw queue delivering to `file`. Empty text on success, otherwise the tool's output.
    std::string addCaptureQueue(const std::string& name, const std::filesystem::path& file);
    // Runs a CUPS command-line tool; empty text on exit status 0, otherwise its output.
    std::string runTool(const std::vector<std::string>& argv) const;

    std::string errorLog() const;

private:
    std::string writeConfiguration();
    bool answers() const;

    std::filesystem::path m_dir;
    int m_port = 0;
    pid_t m_pid = -1;
};

} // namespace lumivo::test

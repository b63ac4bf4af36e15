#pragma once

#include "core/bytes.h"
#include "link/print/print_job.h"

#include <string>
#include <vector>

namespace lumivo::link {

// Records every step, in order, and keeps the bytes of each write. Any step can be made to fail.
class FakePrintJob final : public PrintJob {
public:
    struct Failures {
        bool open = false;
        bool startDocument = false;
        bool startPage = false;
        int write = 0; // 1-based number of the write that fails; 0: none
        bool endDocument = false;
    };

    FakePrintJob() = default;
    explicit FakePrintJob(Failures failures) : m_failures(failures) {}

    bool openPrinter(const std::string& name) override;
    bool startDocument(std::string_view documentName) override;
    bool startPage() override;
    bool write(std::string_view bytes) override;
    bool endPage() override;
    bool endDocument() override;
    void closePrinter() override;

    // Steps as "open NAME", "startDocument NAME", "startPage", "write N" (N counts from 1),
    // "endPage", "endDocument", "close", with anything added through note() in between.
    const std::vector<std::string>& events() const { return m_events; }
    // Lets a test put its own events (a pause, say) in the same sequence.
    void note(std::string event) { m_events.push_back(std::move(event)); }
    // Bytes of every write that succeeded, in order.
    const std::vector<Bytes>& writes() const { return m_writes; }

private:
    Failures m_failures;
    int m_writeCount = 0;
    std::vector<std::string> m_events;
    std::vector<Bytes> m_writes;
};

} // namespace lumivo::link

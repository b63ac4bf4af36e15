#include "support/fake_print_job.h"

namespace lumivo::link {

bool FakePrintJob::openPrinter(const std::string& name) {
    m_events.push_back("open " + name);
    return !m_failures.open;
}

bool FakePrintJob::startDocument(std::string_view documentName) {
    m_events.push_back("startDocument " + std::string(documentName));
    return !m_failures.startDocument;
}

bool FakePrintJob::startPage() {
    m_events.emplace_back("startPage");
    return !m_failures.startPage;
}

bool FakePrintJob::write(std::string_view bytes) {
    ++m_writeCount;
    m_events.push_back("write " + std::to_string(m_writeCount));
    if (m_writeCount == m_failures.write) {
        return false;
    }
    m_writes.emplace_back(bytes);
    return true;
}

bool FakePrintJob::endPage() {
    m_events.emplace_back("endPage");
    return true;
}

bool FakePrintJob::endDocument() {
    m_events.emplace_back("endDocument");
    return !m_failures.endDocument;
}

void FakePrintJob::closePrinter() {
    m_events.emplace_back("close");
}

} // namespace lumivo::link

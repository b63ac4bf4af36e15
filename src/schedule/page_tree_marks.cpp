#include "schedule/page_tree_marks.h"

namespace lumivo::schedule {

namespace {

bool Valid(int page, int line = 0) {
    return page >= 0 && page < PageTreeMarks::kPages && line >= 0 && line < PageTreeMarks::kLines;
}

} // namespace

bool PageTreeMarks::pageChecked(int page) const {
    return Valid(page) && (lineChecked(page, 0) || lineChecked(page, 1));
}

bool PageTreeMarks::lineChecked(int page, int line) const {
    return Valid(page, line) &&
           m_lines[static_cast<std::size_t>(page)][static_cast<std::size_t>(line)];
}

void PageTreeMarks::clickPage(int page) {
    if (!Valid(page)) {
        return;
    }
    const bool check = !pageChecked(page);
    m_lines[static_cast<std::size_t>(page)] = {check, check};
}

void PageTreeMarks::clickLine(int page, int line) {
    if (!Valid(page, line)) {
        return;
    }
    bool& mark = m_lines[static_cast<std::size_t>(page)][static_cast<std::size_t>(line)];
    mark = !mark;
}

} // namespace lumivo::schedule

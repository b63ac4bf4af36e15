#pragma once

#include "link/runners.h"

namespace lumivo::schedule {

// The check marks of the delete-page tree: 26 pages "A".."Z", each with "Line 1" and "Line 2".
// Only the line marks are kept; a page is checked exactly when at least one of its lines is,
// which is what the marking rules always leave.
class PageTreeMarks {
public:
    static constexpr int kPages = 26;
    static constexpr int kLines = 2;

    // page 0..25 for "A".."Z"; line 0 or 1 for "Line 1" or "Line 2".
    bool pageChecked(int page) const;
    bool lineChecked(int page, int line) const;

    // A click on a page's mark: unchecked to checked also checks both lines; checked to
    // unchecked also unchecks both lines.
    void clickPage(int page);
    // A click on a line's mark: checking it also checks its page; unchecking it unchecks the
    // page only when both lines are now unchecked.
    void clickLine(int page, int line);

    // The lines to delete, as the runner takes them.
    link::PageLineMarks lineMarks() const { return m_lines; }

private:
    link::PageLineMarks m_lines{};
};

} // namespace lumivo::schedule

#include "schedule/page_tree_marks.h"
#include "schedule/schedule_list.h"

#include <gtest/gtest.h>

#include <random>

namespace lumivo::schedule {
namespace {

EntryFields Fields(std::string startDate, std::string endDate, std::string pages = "A") {
    return EntryFields{std::move(startDate), "08:00", std::move(endDate), "18:30",
                       std::move(pages)};
}

EntryFields Numbered(int n) {
    return EntryFields{"12/25/26", "08:0" + std::to_string(n), "12/31/26", "18:30",
                       std::string(1, static_cast<char>('a' + n))};
}

// --- the list: add, modify, delete

TEST(ScheduleList, TakesFiveEntriesAndRefusesTheSixth) {
    ScheduleList list;
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(ApplyEntry(list, Numbered(n), true, -1), EntryResult::Stored) << n;
    }
    const std::vector<ScheduleEntry> five = list.snapshot();
    EXPECT_TRUE(list.isFull());
    EXPECT_EQ(ApplyEntry(list, Numbered(5), true, -1), EntryResult::ListFull);
    EXPECT_EQ(list.snapshot(), five);
    EXPECT_FALSE(list.add(ScheduleEntry{}));
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.at(4).start, "12/25/26 08:04");
}

TEST(ScheduleList, BuildsTheEntryFromTheFieldsAndUpperCasesPages) {
    ScheduleList list;
    ASSERT_EQ(
        ApplyEntry(list, EntryFields{"12/25/26", "08:00", "12/31/26", "18:30", "abcDE"}, true, -1),
        EntryResult::Stored);
    EXPECT_EQ(list.at(0), (ScheduleEntry{"12/25/26 08:00", "12/31/26 18:30", "ABCDE"}));

    ASSERT_EQ(ApplyEntry(list, Fields("1 /  /26", " 1/ 2/  ", ""), true, -1), EntryResult::Stored);
    EXPECT_EQ(list.at(1), (ScheduleEntry{"1 /  /26 08:00", " 1/ 2/   18:30", ""}));
    // The entry's payload keeps the blanks in place; 24 characters without pages.
    EXPECT_EQ(SchedulePayload(1, list.at(1)), "<TB>261   0800   1 21830");
}

TEST(ScheduleList, ModifyReplacesTheRememberedRowOnly) {
    ScheduleList list;
    for (int n = 0; n < 3; ++n) {
        ASSERT_EQ(ApplyEntry(list, Numbered(n), true, -1), EntryResult::Stored);
    }
    EXPECT_EQ(ApplyEntry(list, Fields("01/02/27", "03/04/27", "xyz"), false, 1),
              EntryResult::Stored);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0).pages, "A");
    EXPECT_EQ(list.at(1), (ScheduleEntry{"01/02/27 08:00", "03/04/27 18:30", "XYZ"}));
    EXPECT_EQ(list.at(2).pages, "C");

    // A full list still takes a modify.
    for (int n = 3; n < 5; ++n) {
        ASSERT_EQ(ApplyEntry(list, Numbered(n), true, -1), EntryResult::Stored);
    }
    EXPECT_EQ(ApplyEntry(list, Fields("05/05/27", "06/06/27", "q"), false, 4), EntryResult::Stored);
    EXPECT_EQ(list.at(4).pages, "Q");

    const std::vector<ScheduleEntry> before = list.snapshot();
    EXPECT_FALSE(list.modify(5, ScheduleEntry{}));
    EXPECT_FALSE(list.modify(-1, ScheduleEntry{}));
    EXPECT_EQ(list.snapshot(), before);
}

TEST(ScheduleList, DeleteRenumbersAndMovesLaterRowsUpOneSlot) {
    ScheduleList list;
    for (int n = 0; n < 4; ++n) {
        ASSERT_EQ(ApplyEntry(list, Numbered(n), true, -1), EntryResult::Stored);
    }
    ASSERT_TRUE(list.remove(1));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(ScheduleList::rowNumber(0), "1");
    EXPECT_EQ(ScheduleList::rowNumber(2), "3");
    // The former rows 3 and 4 now hold slots B and C.
    EXPECT_EQ(list.at(1).pages, "C");
    EXPECT_EQ(list.at(2).pages, "D");
    EXPECT_EQ(SchedulePayload(1, list.at(1)).substr(0, 4), "<TB>");
    EXPECT_EQ(SchedulePayload(2, list.at(2)).substr(0, 4), "<TC>");
    EXPECT_EQ(ScheduleList::slotLetter(2), 'C');

    EXPECT_FALSE(list.remove(3));
    EXPECT_FALSE(list.remove(-1));
    EXPECT_EQ(list.count(), 3);
    // Freed room takes a new entry at the end.
    EXPECT_EQ(ApplyEntry(list, Numbered(7), true, -1), EntryResult::Stored);
    EXPECT_EQ(list.at(3).pages, "H");
}

TEST(ScheduleList, ModifyFillsTheFieldsFromTheEntry) {
    const ScheduleEntry entry{"1 /  /26  8:0 ", "12/31/26 18:30", "ABC"};
    const EntryFields fields = FieldsFromEntry(entry);
    EXPECT_EQ(fields.startDate, "1 /  /26");
    EXPECT_EQ(fields.startTime, " 8:0 ");
    EXPECT_EQ(fields.endDate, "12/31/26");
    EXPECT_EQ(fields.endTime, "18:30");
    EXPECT_EQ(fields.pages, "ABC");
    EXPECT_EQ(EntryFromFields(fields), entry);
}

// --- the date check of OK, compared as text

TEST(ScheduleEntryDates, MonthAndDayAreComparedAsTexts) {
    struct Case {
        const char* date;
        bool accepted;
    };
    const Case cases[] = {
        {"12/31/99", true},  {"00/00/00", true},  {"  /  /  ", true},  {"01/3 /26", true},
        {"13/01/26", false}, {"01/32/26", false}, {"01/4 /26", false}, {"2 /01/26", false},
        {"1 /31/26", true},  {"12/ 9/26", true},
    };
    for (const Case& c : cases) {
        for (const bool inStart : {true, false}) {
            ScheduleList list;
            const EntryFields fields =
                inStart ? Fields(c.date, "12/31/26") : Fields("12/31/26", c.date);
            const EntryResult result = ApplyEntry(list, fields, true, -1);
            EXPECT_EQ(result, c.accepted ? EntryResult::Stored : EntryResult::DateOutOfRange)
                << "[" << c.date << "] in the " << (inStart ? "start" : "end");
            EXPECT_EQ(list.count(), c.accepted ? 1 : 0) << c.date;
        }
    }
}

TEST(ScheduleEntryDates, AreCheckedBeforeTheLimitAndForModifyToo) {
    ScheduleList list;
    for (int n = 0; n < 5; ++n) {
        ASSERT_EQ(ApplyEntry(list, Numbered(n), true, -1), EntryResult::Stored);
    }
    EXPECT_EQ(ApplyEntry(list, Fields("13/01/26", "12/31/26"), true, -1),
              EntryResult::DateOutOfRange);
    EXPECT_EQ(ApplyEntry(list, Fields("12/01/26", "12/32/26", "z"), false, 0),
              EntryResult::DateOutOfRange);
    EXPECT_EQ(list.at(0).pages, "A");
}

TEST(ScheduleEntryPages, KeyFilterTakesLettersAndBackspaceOnly) {
    for (char32_t c = U'a'; c <= U'z'; ++c) {
        EXPECT_TRUE(PageKeyAccepted(c));
        EXPECT_TRUE(PageKeyAccepted(c - U'a' + U'A'));
    }
    EXPECT_TRUE(PageKeyAccepted(U'\b'));
    for (char32_t c : {U'0', U'9', U' ', U'@', U'[', U'`', U'{', U'\r', U'\x7f', U'\u00e9',
                       U'\u00c9', U'\x16'}) {
        EXPECT_FALSE(PageKeyAccepted(c)) << static_cast<unsigned>(c);
    }
}

// --- the delete-page tree

TEST(PageTreeMarks, APageChecksAndUnchecksBothLines) {
    PageTreeMarks marks;
    marks.clickPage(3);
    EXPECT_TRUE(marks.pageChecked(3));
    EXPECT_TRUE(marks.lineChecked(3, 0));
    EXPECT_TRUE(marks.lineChecked(3, 1));
    EXPECT_FALSE(marks.pageChecked(2));
    EXPECT_FALSE(marks.pageChecked(4));

    link::PageLineMarks expected{};
    expected[3] = {true, true};
    EXPECT_EQ(marks.lineMarks(), expected);

    // A page with one line checked is checked: its click unchecks it with both lines.
    marks.clickLine(3, 0);
    EXPECT_TRUE(marks.pageChecked(3));
    marks.clickPage(3);
    EXPECT_FALSE(marks.pageChecked(3));
    EXPECT_FALSE(marks.lineChecked(3, 0));
    EXPECT_FALSE(marks.lineChecked(3, 1));
    EXPECT_EQ(marks.lineMarks(), link::PageLineMarks{});
}

TEST(PageTreeMarks, ALineChecksItsPageAndTheLastLineOffUnchecksIt) {
    PageTreeMarks marks;
    marks.clickLine(3, 1); // page D, "Line 2" alone
    EXPECT_TRUE(marks.pageChecked(3));
    EXPECT_FALSE(marks.lineChecked(3, 0));
    link::PageLineMarks expected{};
    expected[3][1] = true;
    EXPECT_EQ(marks.lineMarks(), expected);

    marks.clickLine(3, 0);
    marks.clickLine(3, 1); // one line still checked: the page stays checked
    EXPECT_TRUE(marks.pageChecked(3));
    EXPECT_TRUE(marks.lineChecked(3, 0));
    marks.clickLine(3, 0); // the last one: the page goes too
    EXPECT_FALSE(marks.pageChecked(3));

    // Nodes outside the tree are ignored.
    marks.clickPage(26);
    marks.clickLine(0, 2);
    marks.clickLine(-1, 0);
    EXPECT_EQ(marks.lineMarks(), link::PageLineMarks{});
    EXPECT_FALSE(marks.pageChecked(26));
}

// The rules written out node by node, each node with a mark of its own, to check the model against
// over long runs of clicks.
struct NodeByNodeTree {
    bool page[26] = {};
    bool line[26][2] = {};

    void clickPage(int p) {
        page[p] = !page[p];
        line[p][0] = line[p][1] = page[p];
    }
    void clickLine(int p, int l) {
        line[p][l] = !line[p][l];
        if (line[p][l]) {
            page[p] = true;
        } else if (!line[p][0] && !line[p][1]) {
            page[p] = false;
        }
    }
};

TEST(PageTreeMarks, FollowsTheClickRulesOverLongRuns) {
    std::mt19937 random(20261225);
    PageTreeMarks marks;
    NodeByNodeTree reference;
    for (int click = 0; click < 5000; ++click) {
        const int page = static_cast<int>(random() % 4) * 7; // pages A, H, O, V
        const int node = static_cast<int>(random() % 3);     // the page, line 1, line 2
        if (node == 0) {
            marks.clickPage(page);
            reference.clickPage(page);
        } else {
            marks.clickLine(page, node - 1);
            reference.clickLine(page, node - 1);
        }
        for (int p = 0; p < 26; ++p) {
            ASSERT_EQ(marks.pageChecked(p), reference.page[p]) << "click " << click;
            ASSERT_EQ(marks.pageChecked(p), reference.line[p][0] || reference.line[p][1]);
            for (int l = 0; l < 2; ++l) {
                ASSERT_EQ(marks.lineChecked(p, l), reference.line[p][l]) << "click " << click;
                ASSERT_EQ(marks.lineMarks()[p][l], reference.line[p][l]);
            }
        }
    }
}

} // namespace
} // namespace lumivo::schedule

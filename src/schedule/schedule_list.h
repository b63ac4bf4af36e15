#pragma once

#include "core/payloads.h"

#include <string>
#include <string_view>
#include <vector>

namespace lumivo::schedule {

// The schedules the Schedule window keeps, in memory only: at most five entries, whose list
// position 0..4 is both the row number "1".."5" and the slot letter "A".."E" the sign knows them
// by. Deleting a row moves every later row up one slot.
class ScheduleList {
public:
    int count() const { return static_cast<int>(m_entries.size()); }
    bool isFull() const { return count() >= kMaxScheduleEntries; }
    const ScheduleEntry& at(int index) const {
        return m_entries.at(static_cast<std::size_t>(index));
    }

    // False (and nothing changes) when the list is full.
    bool add(ScheduleEntry entry);
    // False when there is no row at `index`.
    bool modify(int index, ScheduleEntry entry);
    bool remove(int index);

    // A copy taken when a send starts, so the worker never reads a list the window may change.
    std::vector<ScheduleEntry> snapshot() const { return m_entries; }

    // "1".."5" for the positions 0..4.
    static std::string rowNumber(int index);
    // "A".."E" for the positions 0..4.
    static char slotLetter(int index) { return ScheduleSlotLetter(index); }

private:
    std::vector<ScheduleEntry> m_entries;
};

// The five fields of the entry dialog as the masked edits hold them: dates "mm/dd/yy" and times
// "hh:nn" with a space in every position left empty; pages as typed.
struct EntryFields {
    std::string startDate;
    std::string startTime;
    std::string endDate;
    std::string endTime;
    std::string pages;
};

// The entry the fields describe: date, one space, time; pages upper-cased.
ScheduleEntry EntryFromFields(const EntryFields& fields);

// The fields an entry fills when it is modified: characters 1-8 of a date and time are the date,
// 10-14 the time.
EntryFields FieldsFromEntry(const ScheduleEntry& entry);

// What the entry dialog's OK does with its fields.
enum class EntryResult {
    Stored,         // appended or replaced: the dialog closes
    DateOutOfRange, // month above "12" or day above "31" in either date: nothing changes
    ListFull,       // add with five rows present: nothing changes
};

// OK of the entry dialog: checks the start date, then the end date, then adds (addMode) or
// replaces the row at `modifyIndex`.
EntryResult ApplyEntry(ScheduleList& list, const EntryFields& fields, bool addMode,
                       int modifyIndex);

// The page field takes the letters a..z and A..Z and backspace (character 8); every other typed
// character is discarded.
bool PageKeyAccepted(char32_t character);

} // namespace lumivo::schedule

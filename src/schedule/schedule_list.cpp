#include "schedule/schedule_list.h"

#include "core/bytes.h"

namespace lumivo::schedule {

bool ScheduleList::add(ScheduleEntry entry) {
    if (isFull()) {
        return false;
    }
    m_entries.push_back(std::move(entry));
    return true;
}

bool ScheduleList::modify(int index, ScheduleEntry entry) {
    if (index < 0 || index >= count()) {
        return false;
    }
    m_entries[static_cast<std::size_t>(index)] = std::move(entry);
    return true;
}

bool ScheduleList::remove(int index) {
    if (index < 0 || index >= count()) {
        return false;
    }
    m_entries.erase(m_entries.begin() + index);
    return true;
}

std::string ScheduleList::rowNumber(int index) {
    return std::to_string(index + 1);
}

ScheduleEntry EntryFromFields(const EntryFields& fields) {
    return ScheduleEntry{fields.startDate + ' ' + fields.startTime,
                         fields.endDate + ' ' + fields.endTime, AsciiUpper(fields.pages)};
}

namespace {

std::string Characters(const std::string& text, std::size_t first, std::size_t count) {
    return first < text.size() ? text.substr(first, count) : std::string();
}

} // namespace

EntryFields FieldsFromEntry(const ScheduleEntry& entry) {
    return EntryFields{Characters(entry.start, 0, 8), Characters(entry.start, 9, 5),
                       Characters(entry.end, 0, 8), Characters(entry.end, 9, 5), entry.pages};
}

EntryResult ApplyEntry(ScheduleList& list, const EntryFields& fields, bool addMode,
                       int modifyIndex) {
    if (!ScheduleDateInRange(fields.startDate) || !ScheduleDateInRange(fields.endDate)) {
        return EntryResult::DateOutOfRange;
    }
    if (addMode) {
        return list.add(EntryFromFields(fields)) ? EntryResult::Stored : EntryResult::ListFull;
    }
    // The remembered row always exists while the modal dialog is open; a stale position changes
    // nothing.
    list.modify(modifyIndex, EntryFromFields(fields));
    return EntryResult::Stored;
}

bool PageKeyAccepted(char32_t character) {
    return (character >= U'a' && character <= U'z') || (character >= U'A' && character <= U'Z') ||
           character == U'\b';
}

} // namespace lumivo::schedule

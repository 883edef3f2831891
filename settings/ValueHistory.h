// A most-recent-first list of strings with a capacity; the first entry is the current value.
// Needs no platform call.
#pragma once

#include <string>
#include <vector>

class ValueHistory {
public:
    using const_iterator = std::vector<std::wstring>::const_iterator;

    explicit ValueHistory(size_t maxCount = 16) : maxCount(maxCount) {}
    ValueHistory(std::initializer_list<std::wstring> values, size_t maxCount = 16);

    // Moves an exactly equal entry (case and blanks matter) to the front, or inserts the value
    // there, then trims the list to its capacity. Returns the position, always 0.
    size_t Push(const std::wstring& value);
    // The first exactly equal entry, or -1.
    int IndexOf(const std::wstring& value) const;
    // Removes entries from the end, or appends empty ones.
    void Resize(size_t count) { entries.resize(count); }

    const std::wstring& Front() const { return entries.front(); }
    bool Empty() const { return entries.empty(); }
    size_t Size() const { return entries.size(); }
    size_t MaxCount() const { return maxCount; }
    const std::wstring& operator[](size_t index) const { return entries[index]; }
    std::wstring& operator[](size_t index) { return entries[index]; }

    const_iterator begin() const { return entries.begin(); }
    const_iterator end() const { return entries.end(); }

private:
    std::vector<std::wstring> entries;
    size_t maxCount;
};

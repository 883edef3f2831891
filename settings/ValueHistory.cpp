#include "settings/ValueHistory.h"

#include <algorithm>

ValueHistory::ValueHistory(std::initializer_list<std::wstring> values, size_t maxCount)
    : entries(values), maxCount(maxCount)
{
}

size_t ValueHistory::Push(const std::wstring& value)
{
    auto found = std::find(entries.begin(), entries.end(), value);
    std::wstring moved = value;
    if (found != entries.end())
        entries.erase(found);
    entries.insert(entries.begin(), std::move(moved));
    if (entries.size() > maxCount)
        entries.resize(maxCount);
    return 0;
}

int ValueHistory::IndexOf(const std::wstring& value) const
{
    auto found = std::find(entries.begin(), entries.end(), value);
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

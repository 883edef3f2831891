// The settings record in the registry: one key for the numbers and the extension, one for the
// placement and one per history, each history entry in a subkey of its own.
#include "settings/CaptureSettings.h"

#include "res/resource.h"
#include "settings/SettingsLocation.h"

#include <algorithm>

namespace {

const wchar_t* const kCount = L"Count";

// "%s\%02d": 00 for the most recent entry.
std::wstring EntryPath(const std::wstring& historyPath, size_t position)
{
    return historyPath + (position < 10 ? L"\\0" : L"\\") + std::to_wstring(position);
}

// Signed numbers are stored in two's complement.
bool ReadNumber(const RegistryKey& key, const wchar_t* name, int& field)
{
    DWORD number = 0;
    if (!key.QueryDwordValue(name, number))
        return false;
    field = static_cast<int>(number);
    return true;
}

bool WriteNumber(RegistryKey& key, const wchar_t* name, int field)
{
    return key.SetDwordValue(name, static_cast<DWORD>(field)) == ERROR_SUCCESS;
}

bool LoadHistory(HKEY root, const std::wstring& path, ValueHistory& history)
{
    RegistryKey key;
    if (key.Open(root, path) != ERROR_SUCCESS)
        return false;
    DWORD count = 0;
    key.QueryDwordValue(kCount, count);
    // A damaged count must not make us allocate billions of entries.
    const size_t entries = std::min<size_t>(count, history.MaxCount());
    history.Resize(entries);
    bool result = true;
    for (size_t i = 0; i < entries; ++i) {
        if (!ReadDefaultString(root, EntryPath(path, i), history[i]))
            result = false;
    }
    return result;
}

bool SaveHistory(HKEY root, const std::wstring& path, const ValueHistory& history)
{
    RegistryKey key;
    if (key.Create(root, path) != ERROR_SUCCESS)
        return false;
    key.SetDwordValue(kCount, static_cast<DWORD>(history.Size()));
    // Subkeys beyond the count, left by a longer history, stay: the count hides them.
    bool result = true;
    size_t position = 0;
    for (const std::wstring& entry : history) {
        if (!WriteDefaultString(root, EntryPath(path, position++), entry))
            result = false;
    }
    return result;
}

}  // namespace

bool CaptureSettings::Load()
{
    if (folderHistory.Empty())
        folderHistory.Push(DefaultOutputFolder());
    SettingsLocation location;
    if (location.Open(HKEY_CURRENT_USER, IDS_MAKER_NAME, IDS_PRODUCT_NAME) != ERROR_SUCCESS)
        return false;
    const std::wstring path = location.SectionPath(L"Setting");
    RegistryKey key;
    if (key.Open(location.Root(), path) != ERROR_SUCCESS)
        return false;

    bool result = true;
    result &= ReadNumber(key, L"SeqWidth", seqWidth);
    result &= ReadString(key, L"Ext", ext);
    result &= ReadNumber(key, L"Start", startNumber);
    result &= ReadNumber(key, L"RefreshRate", refreshRate);
    result &= placement.Load(location.Root(), path + L"\\Window", L"");
    result &= LoadHistory(location.Root(), path + L"\\Folder", folderHistory);
    result &= LoadHistory(location.Root(), path + L"\\Spec", specHistory);

    if (extensions.IndexOf(ext) < 0)
        ext = extensions.Front();
    seqWidth = std::clamp(seqWidth, kMinSeqWidth, kMaxSeqWidth);
    startNumber = std::max(startNumber, 0);
    refreshRate = std::clamp(refreshRate, kMinRefreshRate, kMaxRefreshRate);
    return result;
}

bool CaptureSettings::Save() const
{
    SettingsLocation location;
    if (location.Open(HKEY_CURRENT_USER, IDS_MAKER_NAME, IDS_PRODUCT_NAME) != ERROR_SUCCESS)
        return false;
    const std::wstring path = location.SectionPath(L"Setting");
    RegistryKey key;
    if (key.Create(location.Root(), path) != ERROR_SUCCESS)
        return false;

    bool result = true;
    result &= WriteNumber(key, L"SeqWidth", seqWidth);
    result &= key.SetStringValue(L"Ext", ext) == ERROR_SUCCESS;
    result &= WriteNumber(key, L"Start", startNumber);
    result &= WriteNumber(key, L"RefreshRate", refreshRate);
    result &= placement.Save(location.Root(), path + L"\\Window", L"");
    result &= SaveHistory(location.Root(), path + L"\\Folder", folderHistory);
    result &= SaveHistory(location.Root(), path + L"\\Spec", specHistory);
    return result;
}

#include "capture/FileScan.h"

#include "app/MainDlg.h"
#include "capture/OutputNaming.h"
#include "capture/OutputPath.h"

#include <boost/regex.hpp>

#include <windows.h>

namespace {

constexpr size_t kMaxMaskLength = 260;

class CFindHandle {
public:
    CFindHandle(const std::wstring& mask, WIN32_FIND_DATAW& entry) : handle(FindFirstFileW(mask.c_str(), &entry)) {}
    ~CFindHandle()
    {
        if (IsValid())
            FindClose(handle);
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;

    bool IsValid() const { return handle != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& entry) const { return FindNextFileW(handle, &entry) != FALSE; }

private:
    HANDLE handle;
};

// Windows and Wine compare file names without letter case, beyond ASCII too: so does the scan.
bool StartsWithPrefix(const std::wstring& name, const std::wstring& prefix)
{
    if (prefix.empty())
        return true;
    return name.size() >= prefix.size()
        && CompareStringOrdinal(name.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool ListFolderFiles(const std::wstring& folder, const std::wstring& prefix, const std::wstring& pattern,
                     std::vector<std::wstring>& names)
{
    names.clear();
    try {
        const boost::wregex expression(pattern);
        const std::wstring mask = JoinPath(folder, L"*.*");
        if (mask.size() >= kMaxMaskLength)
            return true;
        WIN32_FIND_DATAW entry = {};
        CFindHandle find(mask, entry);
        if (!find.IsValid())
            return true;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            const std::wstring name = entry.cFileName;
            if (StartsWithPrefix(name, prefix) && boost::regex_search(name.substr(prefix.size()), expression))
                names.push_back(name);
        } while (find.Next(entry));
        return true;
    } catch (const std::exception&) {
        names.clear();
        return false;
    }
}

namespace ts {

bool CMainDlg::FindFilesToOverwrite(const CaptureSettings& settings, std::vector<std::wstring>& names)
{
    names.clear();
    const std::wstring prefix = OutputPrefix(settings);
    const std::wstring pattern = BuildSearchPattern(settings.seqWidth, settings.ext);
    if (!ListFolderFiles(OutputFolder(settings), prefix, pattern, names)) {
        ShowMessage(IDS_ERR_ACCESS_FOLDER, MB_ICONERROR);
        return false;
    }
    if (names.empty())
        return true;

    boost::wregex expression;
    try {
        expression.assign(pattern);
    } catch (const std::exception&) {
        ShowMessage(IDS_ERR_REGEX_INVALID, MB_ICONERROR);
        return false;
    }

    std::vector<std::wstring> kept;
    for (const std::wstring& name : names) {
        // The match points into rest: it lives as long as the match is read.
        const std::wstring rest = name.substr(prefix.size());
        boost::wsmatch match;
        bool found = false;
        try {
            found = boost::regex_search(rest, match, expression);
        } catch (const std::exception&) {
            found = false;
        }
        if (!found) {
            ShowMessage(IDS_ERR_REGEX_SEARCH, MB_ICONERROR);
            return false;
        }
        const std::optional<int32_t> number = SequenceNumberValue(match[1].str(), settings.seqWidth);
        if (number && *number >= settings.startNumber)
            kept.push_back(name);
    }
    names.swap(kept);
    return true;
}

}  // namespace ts

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

}  // namespace

bool ListFolderFiles(const std::wstring& folder, const std::wstring& pattern, std::vector<std::wstring>& names)
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
            if (boost::regex_search(entry.cFileName, expression))
                names.push_back(entry.cFileName);
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
    const std::wstring pattern =
        BuildSearchPattern(EscapeRegex(OutputPrefix(settings)), settings.seqWidth, settings.ext);
    if (!ListFolderFiles(OutputFolder(settings), pattern, names)) {
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
        boost::wsmatch match;
        bool found = false;
        try {
            found = boost::regex_search(name, match, expression);
        } catch (const std::exception&) {
            found = false;
        }
        if (!found) {
            ShowMessage(IDS_ERR_REGEX_SEARCH, MB_ICONERROR);
            return false;
        }
        if (SequenceNumberValue(match[1].str()) >= settings.startNumber)
            kept.push_back(name);
    }
    names.swap(kept);
    return true;
}

}  // namespace ts

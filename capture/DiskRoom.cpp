// A capture never fills the disk of its output folder: Start wants room for one screen picture
// above the reserve, and each file one more above it (CCaptureFiles). A disk that fills anyway
// (another program writing, a quota Windows does not report) still ends with the save's own failure.
#include "capture/DiskRoom.h"

#include "app/MainDlg.h"
#include "capture/DiskReserve.h"
#include "capture/OutputNaming.h"
#include "capture/OutputPath.h"
#include "image/ScreenDib.h"
#include "ui/ByteSize.h"

#include <limits>

bool FreeBytesOf(const std::wstring& folder, uint64_t& bytes)
{
    // A share's name works only with its final backslash; any other folder takes one as well.
    std::wstring directory = folder;
    if (directory.empty() || (directory.back() != L'\\' && directory.back() != L'/'))
        directory += L'\\';
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(directory.c_str(), &available, nullptr, nullptr))
        return false;
    bytes = available.QuadPart;
    return true;
}

namespace ts {

namespace {

uint64_t AddWithoutWrap(uint64_t left, uint64_t right)
{
    return left > std::numeric_limits<uint64_t>::max() - right ? std::numeric_limits<uint64_t>::max() : left + right;
}

// What deleting the files that the overwrite question names would free: what they take on the
// disk, not their length. A sparse or compressed file, or a cloud placeholder, frees little.
uint64_t RoomOfFiles(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    uint64_t total = 0;
    for (const std::wstring& name : names) {
        DWORD high = 0;
        // INVALID_FILE_SIZE is also the low half of a size: only the error code tells.
        SetLastError(NO_ERROR);
        const DWORD low = GetCompressedFileSizeW(JoinPath(folder, name).c_str(), &high);
        if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR)
            total = AddWithoutWrap(total, (static_cast<uint64_t>(high) << 32) | low);
    }
    return total;
}

}  // namespace

bool CMainDlg::HasRoomToStart(const std::wstring& folder, const std::vector<std::wstring>& replaced)
{
    uint64_t free = 0;
    if (!FreeBytesOf(folder, free))
        return true;
    // No picture exists yet: the whole screen as a BMP, the most PrtSc gives, stands for one.
    const uint64_t file =
        screendib::FileSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    if (disk::LeavesReserve(AddWithoutWrap(free, RoomOfFiles(folder, replaced)), file))
        return true;
    ShowMessageFormat(IDS_ERR_DISK_TOO_FULL, MB_ICONERROR, ByteSizeText(free).c_str(),
                      ByteSizeText(AddWithoutWrap(disk::Reserve(file), file)).c_str());
    return false;
}

}  // namespace ts

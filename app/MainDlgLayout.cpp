// How the main dialog follows a change of its width: the group boxes and the folder box
// stretch, Start and About share the extra width, and the height never changes.
#include "app/MainDlg.h"

namespace ts {

const resize::Entry* CMainDlg::GetResizeMap()
{
    static const resize::Entry map[] = {
        {IDC_FOLDER_GROUP, resize::StretchX},
        {IDC_FOLDER, resize::StretchX},
        {IDC_FILENAME_GROUP, resize::StretchX},
        {IDC_OTHER_GROUP, resize::StretchX},
        {resize::kMarker, resize::GroupBegin},
        {IDOK, resize::StretchX},
        {ID_APP_ABOUT, resize::StretchX},
        {resize::kMarker, resize::GroupEnd},
        {resize::kMarker, 0},
    };
    return map;
}

// Until the layout is armed the system's limits stand.
void CMainDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (minTrackSize.x == -1 && minTrackSize.y == -1)
        return;
    info->ptMinTrackSize = minTrackSize;
    info->ptMaxTrackSize.y = minTrackSize.y;
}

}  // namespace ts

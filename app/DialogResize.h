// Moves and sizes a dialog's controls when the dialog is resized, from a layout table that the
// class T gives with GetResizeMap(): pairs of (control id, flags), ended by {-1, 0}.
#pragma once

#include "app/AppModule.h"
#include "res/resource.h"

#include <windows.h>

#include <vector>

namespace resize {

constexpr DWORD StretchX = 0x0001;    // the right edge follows the width change
constexpr DWORD StretchY = 0x0002;    // the bottom edge follows the height change
constexpr DWORD MoveX = 0x0004;       // both horizontal edges follow the width change
constexpr DWORD MoveY = 0x0008;       // both vertical edges follow the height change
constexpr DWORD Repaint = 0x0010;     // invalidate the control before moving it
constexpr DWORD GroupBegin = 0x1000;  // in the table: the members up to GroupEnd share the width change
constexpr DWORD GroupEnd = 0x2000;
constexpr DWORD Grip = 0x4000;        // the size grip that the mix-in made itself

struct Entry {
    int id;
    DWORD flags;
};

constexpr int kMarker = -1;

}  // namespace resize

template <class T>
class CDialogResize {
public:
    // The outer size of the window when the layout was armed; -1 and -1 until then.
    POINT minTrackSize = {-1, -1};

    void InitResize(bool addGrip, bool useMinTrackSize, DWORD forceStyle)
    {
        HWND dialog = Window();
        const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
        if ((style & forceStyle) != forceStyle)
            ::SetWindowLongW(dialog, GWL_STYLE, style | static_cast<LONG>(forceStyle));
        if (!(style & WS_CHILD)) {
            ::SetWindowLongW(dialog, GWL_EXSTYLE, ::GetWindowLongW(dialog, GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
            if (!::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0))
                ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
        }

        RECT client = {};
        ::GetClientRect(dialog, &client);
        armedClient = {client.right, client.bottom};

        controls.clear();
        if (addGrip) {
            if (!::GetDlgItem(dialog, IDC_SIZE_GRIP)) {
                // Sized over the whole client area, the grip settles in the lower right corner.
                ::CreateWindowExW(0, L"SCROLLBAR", nullptr, kGripStyle, 0, 0, client.right, client.bottom, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SIZE_GRIP)),
                                  g_module.GetResourceInstance(), nullptr);
            }
            gripCreated = ::GetDlgItem(dialog, IDC_SIZE_GRIP) != nullptr;
            if (gripCreated)
                controls.push_back(Record(IDC_SIZE_GRIP, resize::Grip | resize::MoveX | resize::MoveY | resize::Repaint));
        }

        if (useMinTrackSize) {
            RECT window = {};
            ::GetWindowRect(dialog, &window);
            minTrackSize = {window.right - window.left, window.bottom - window.top};
        }

        size_t groupFirst = 0;
        bool firstInGroup = false;
        for (const resize::Entry* entry = T::GetResizeMap(); entry->id != resize::kMarker || entry->flags; ++entry) {
            if (entry->id == resize::kMarker) {
                if (entry->flags & resize::GroupBegin) {
                    firstInGroup = true;
                    groupFirst = controls.size();
                } else if ((entry->flags & resize::GroupEnd) && groupFirst < controls.size()) {
                    controls[groupFirst].groupCount = controls.size() - groupFirst;
                }
                continue;
            }
            controls.push_back(Record(entry->id, entry->flags | (firstInGroup ? resize::GroupBegin : 0)));
            firstInGroup = false;
        }
    }

    // Places every control for a client area of this size.
    void UpdateLayout(int width, int height)
    {
        HWND dialog = Window();
        const bool visible = ::IsWindowVisible(dialog) != FALSE;
        if (visible)
            ::SendMessageW(dialog, WM_SETREDRAW, FALSE, 0);

        const int dx = width - armedClient.cx;
        const int dy = height - armedClient.cy;
        for (size_t i = 0; i < controls.size();) {
            if ((controls[i].flags & resize::GroupBegin) && controls[i].groupCount > 0) {
                PlaceGroup(i, controls[i].groupCount, dx);
                i += controls[i].groupCount;
            } else {
                Move(controls[i], Placed(controls[i], dx, dy));
                ++i;
            }
        }

        if (visible) {
            ::SendMessageW(dialog, WM_SETREDRAW, TRUE, 0);
            ::RedrawWindow(dialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }

    // Chained last from the dialog's table.
    BOOL ProcessWindowMessage(HWND /*window*/, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD mapId)
    {
        if (mapId != 0 || message != WM_SIZE)
            return FALSE;
        OnSize(static_cast<UINT>(wParam), SIZE{LOWORD(lParam), HIWORD(lParam)});
        result = 0;
        return TRUE;
    }

    void OnSize(UINT type, SIZE size)
    {
        // A maximised window has no border to drag.
        if (gripCreated && (type == SIZE_MAXIMIZED || type == SIZE_RESTORED))
            ::ShowWindow(::GetDlgItem(Window(), IDC_SIZE_GRIP), type == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
        if (type != SIZE_MINIMIZED)
            UpdateLayout(size.cx, size.cy);
    }

private:
    static constexpr DWORD kGripStyle =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN | SBS_SIZEGRIP;

    struct Control {
        int id;
        DWORD flags;
        size_t groupCount;  // on the first member of a group: how many members it has
        RECT rect;          // in client coordinates, as it was when the layout was armed
    };

    HWND Window() const { return static_cast<const T*>(this)->m_hWnd; }

    Control Record(int id, DWORD flags) const
    {
        RECT rect = {};
        if (HWND control = ::GetDlgItem(Window(), id)) {
            ::GetWindowRect(control, &rect);
            ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
        }
        return Control{id, flags, 0, rect};
    }

    static RECT Placed(const Control& control, int dx, int dy)
    {
        RECT rect = control.rect;
        if (control.flags & resize::MoveX) {
            rect.left += dx;
            rect.right += dx;
        } else if (control.flags & resize::StretchX) {
            rect.right += dx;
        }
        if (control.flags & resize::MoveY) {
            rect.top += dy;
            rect.bottom += dy;
        } else if (control.flags & resize::StretchY) {
            rect.bottom += dy;
        }
        return rect;
    }

    // The members share the group's width change in proportion to where they stand in it; the
    // gaps between neighbours keep their width.
    void PlaceGroup(size_t first, size_t count, int dx)
    {
        RECT group = controls[first].rect;
        for (size_t i = first + 1; i < first + count; ++i)
            ::UnionRect(&group, &group, &controls[i].rect);
        const int width = group.right - group.left;

        std::vector<RECT> placed;
        for (size_t i = first; i < first + count; ++i) {
            RECT rect = controls[i].rect;
            if ((controls[i].flags & resize::StretchX) && width > 0) {
                rect.left = group.left + ::MulDiv(rect.left - group.left, width + dx, width);
                rect.right = group.left + ::MulDiv(rect.right - group.left, width + dx, width);
            }
            if (!placed.empty()) {
                const RECT& previous = controls[i - 1].rect;
                placed.back().right = previous.right + (rect.left - controls[i].rect.left);
            }
            placed.push_back(rect);
        }
        for (size_t i = 0; i < count; ++i)
            Move(controls[first + i], placed[i]);
    }

    void Move(const Control& control, const RECT& rect) const
    {
        HWND window = ::GetDlgItem(Window(), control.id);
        if (!window)
            return;
        if (control.flags & resize::Repaint)
            ::InvalidateRect(window, nullptr, TRUE);
        ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    SIZE armedClient = {0, 0};
    bool gripCreated = false;
    std::vector<Control> controls;
};

// Message boxes owned by the dialog, with the error caption for MB_ICONERROR and the
// confirmation caption for everything else.
#pragma once

#include "app/ResourceString.h"

#include <windows.h>

#include <string>

template <class T, UINT ErrorCaptionId, UINT ConfirmCaptionId>
class CSimpleMsgImpl {
public:
    // Returns the button pressed (IDYES, IDNO, IDOK ...).
    int ShowMessage(const std::wstring& text, UINT flags)
    {
        const T* self = static_cast<const T*>(this);
        return ::MessageBoxW(self->m_hWnd, text.c_str(), Caption(flags).c_str(), flags);
    }

    // A text whose resource cannot be loaded is shown empty.
    int ShowMessage(UINT textId, UINT flags)
    {
        return ShowMessage(ResourceString(textId), flags);
    }

    template <class... Args>
    int ShowMessageFormat(UINT formatId, UINT flags, Args... args)
    {
        std::wstring text;
        FormatResourceString(text, formatId, args...);
        return ShowMessage(text, flags);
    }

private:
    // Each caption is loaded on its first use and kept until the process ends.
    static const std::wstring& Caption(UINT flags)
    {
        if (flags & MB_ICONERROR) {
            static const std::wstring error = ResourceString(ErrorCaptionId);
            return error;
        }
        static const std::wstring confirm = ResourceString(ConfirmCaptionId);
        return confirm;
    }
};

// Dialogs from templates: CDialogW adds the dialog calls to CWindowW, and CDialogImpl routes
// the dialog's messages to ProcessWindowMessage of the class T that derives from it.
#pragma once

#include "app/AppModule.h"
#include "app/Window.h"

class CDialogW : public CWindowW {
public:
    BOOL EndDialog(INT_PTR result) const { return ::EndDialog(m_hWnd, result); }
    BOOL IsDialogMessage(MSG* msg) const { return ::IsDialogMessageW(m_hWnd, msg); }
};

namespace dialog_detail {

// The object whose dialog is being created on this thread, picked up by its first message.
inline thread_local void* pendingDialog = nullptr;

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
inline bool ReturnsResultDirectly(UINT message)
{
    return message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        || message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM
        || message == WM_QUERYDRAGICON;
}

}  // namespace dialog_detail

template <class T, class TBase = CDialogW>
class CDialogImpl : public TBase {
public:
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) = 0;
    virtual ~CDialogImpl() = default;
    virtual DLGPROC GetDialogProc() { return DialogProc; }
    virtual void OnFinalMessage(HWND /*window*/) {}

    // Modeless; returns the window or null.
    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        dialog_detail::pendingDialog = this;
        HWND window = ::CreateDialogParamW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent,
                                           StartDialogProc, initParam);
        dialog_detail::pendingDialog = nullptr;
        return window;
    }

    // Returns the id given to EndDialog.
    INT_PTR DoModal(HWND owner, LPARAM initParam = 0)
    {
        dialog_detail::pendingDialog = this;
        INT_PTR result = ::DialogBoxParamW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), owner,
                                           StartDialogProc, initParam);
        dialog_detail::pendingDialog = nullptr;
        return result;
    }

private:
    // The first message binds the window to its object, then the object's procedure takes over.
    static INT_PTR CALLBACK StartDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<CDialogImpl*>(dialog_detail::pendingDialog);
        dialog_detail::pendingDialog = nullptr;
        if (!self)
            return FALSE;
        self->m_hWnd = window;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        ::SetWindowLongPtrW(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(self->GetDialogProc()));
        return DialogProc(window, message, wParam, lParam);
    }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (!self)
            return FALSE;

        LRESULT result = 0;
        BOOL consumed = self->ProcessWindowMessage(window, message, wParam, lParam, result, 0);

        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->m_hWnd = nullptr;
            self->OnFinalMessage(window);
        }
        if (!consumed)
            return FALSE;
        if (dialog_detail::ReturnsResultDirectly(message))
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
};

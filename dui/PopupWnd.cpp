#include "dui/PopupWnd.h"

namespace dui {

bool CPopupWnd::Popup(HWND owner, POINT topLeft)
{
    if (!Create(owner, GetWindowClassName(), WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, topLeft.x,
                topLeft.y))
        return false;
    ShowWindow(true);
    return true;
}

LRESULT CPopupWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled)
{
    if (msg == WM_ACTIVATE) {
        if (wParam != 0)
            m_bWasActive = true;
        else if (m_bWasActive)
            Close(0);
    } else if (msg == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE)) {
        Close(0);
        handled = true;
    }
    return 0;
}

void CPopupWnd::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

} // namespace dui

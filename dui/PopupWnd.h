#pragma once
// CPopupWnd: a pop-up window of the skin library (menus, drop lists). It is a frameless tool window that
// stays above the others, closes itself when it loses activation after having had it or on Escape, and
// deletes itself when destroyed: keep its HWND, not the pointer (WindowFromHandle answers it while it
// lives).

#include "dui/WindowImplBase.h"

namespace dui {

class CPopupWnd : public WindowImplBase
{
public:
    // Creates the window above `owner` with the top-left corner at the screen point and shows it.
    bool Popup(HWND owner, POINT topLeft);
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    void OnFinalMessage(HWND hWnd) override;

private:
    bool m_bWasActive = false;
};

} // namespace dui

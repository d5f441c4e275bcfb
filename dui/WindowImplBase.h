#pragma once
// WindowImplBase: a skinned window built from a layout. On creation it binds its paint manager, builds
// the layout that GetSkinFile names (a resource name of the resource map, such as "XML_MAIN", or a layout
// file relative to the resource path) with itself as the builder callback, and calls InitWindow. The
// caption buttons "closebtn" (close with result 0), "minbtn", "maxbtn" and "restorebtn" (the system
// commands) work without code; maximising and restoring swap the visibility of "maxbtn" and
// "restorebtn". Messages go to HandleCustomMessage first, then to the paint manager, then to the base.
// Notifications not taken by Notify go through the notification map (CNotifyPump).

#include "dui/DialogBuilder.h"
#include "dui/NotifyPump.h"
#include "dui/PaintManager.h"
#include "dui/ResourceManager.h"
#include "dui/WindowWnd.h"

#include <string>
#include <string_view>

namespace dui {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText
{
public:
    WindowImplBase();
    ~WindowImplBase() override;

    CPaintManagerUI& GetPaintManagerUI() { return m_pm; }
    // True when the layout was built (false: the window is empty; the reason went to the debug output).
    bool IsSkinLoaded() const { return m_bSkinLoaded; }

    virtual void InitWindow() {}
    // Caption buttons, then the notification map.
    void Notify(TNotifyUI& msg) override;
    // Elements the library does not know: none by default.
    CControlUI* CreateControl(std::string_view className) override;
    // Texts the language table lacks: none by default.
    std::string QueryControlText(std::string_view id, std::string_view type) override;
    // The paint manager's message filter: not handled by default.
    LRESULT MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Window messages before the paint manager sees them; set handled to keep them.
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    std::string GetWindowClassName() const override = 0;
    // The layout: a resource name or a layout file.
    virtual std::string GetSkinFile() = 0;
    // A folder under the resource path that holds the layout (empty: the resource path itself).
    virtual std::string GetSkinFolder() { return {}; }
    void OnFinalMessage(HWND hWnd) override;
    // WM_CREATE: binds the manager, builds the layout, calls InitWindow.
    virtual LRESULT OnCreate();
    // WM_SYSCOMMAND after the base has run it: keeps "maxbtn" and "restorebtn" in step.
    void OnSysCommand(WPARAM command);

    CPaintManagerUI m_pm;

private:
    bool m_bSkinLoaded = false;
};

} // namespace dui

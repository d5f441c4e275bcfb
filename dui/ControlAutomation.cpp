#include "dui/ControlAutomation.h"

#include "dui/Control.h"
#include "dui/List.h"
#include "dui/PaintManager.h"
#include "dui/TabLayout.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"

namespace dui {
namespace {

// The shown control of that name: several pages may hold controls of one name, one page at a time
// being shown.
CControlUI* FindVisible(HWND window, std::string_view name, CWindowWnd** owner = nullptr)
{
    CWindowWnd* w = WindowFromHandle(window);
    CPaintManagerUI* pm = w ? w->GetPaintManager() : nullptr;
    if (!pm || !pm->GetRoot())
        return nullptr;
    pm->UpdateLayout();
    if (owner)
        *owner = w;
    return pm->GetRoot()->FindControl(
        [](CControlUI* control, void* data) {
            return control->GetName() == *static_cast<std::string_view*>(data) ? control : nullptr;
        },
        &name, UIFIND_VISIBLE | UIFIND_ME_FIRST);
}

} // namespace

bool ClickControl(HWND window, std::string_view name)
{
    CWindowWnd* w = nullptr;
    CControlUI* control = FindVisible(window, name, &w);
    if (!control)
        return false;
    const RECT r = control->GetPos();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    w->SendMessage(WM_MOUSEMOVE, 0, at);
    w->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsWindow(window))
        w->SendMessage(WM_LBUTTONUP, 0, at);
    return true;
}

bool SelectControlItem(HWND window, std::string_view name, int index)
{
    CControlUI* control = FindVisible(window, name);
    if (!control)
        return false;
    if (auto* owner = static_cast<IListOwnerUI*>(control->GetInterface("IListOwner")))
        return owner->SelectItem(index, false, true);
    if (auto* tab = static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")))
        return tab->SelectItem(index);
    return false;
}

bool SetControlText(HWND window, std::string_view name, std::string_view text)
{
    CWindowWnd* w = nullptr;
    CControlUI* control = FindVisible(window, name, &w);
    if (!control)
        return false;
    control->SetText(text);
    if (control->GetInterface("Edit"))
        w->GetPaintManager()->SendNotify(control, DUI_MSGTYPE_KILLFOCUS);
    return true;
}

std::optional<std::string> ControlText(HWND window, std::string_view name)
{
    CControlUI* control = FindVisible(window, name);
    CWindowWnd* w = WindowFromHandle(window);
    if (!control && w && w->GetPaintManager())
        control = w->GetPaintManager()->FindControl(name);
    if (!control)
        return std::nullopt;
    return control->GetText();
}

} // namespace dui

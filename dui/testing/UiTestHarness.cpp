#include "dui/testing/UiTestHarness.h"

#include "dui/ControlAutomation.h"

#include "dui/Combo.h"
#include "dui/Control.h"
#include "dui/List.h"
#include "dui/TabLayout.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "platform/Event.h"

#include <QApplication>

#include <cstdlib>

namespace dui::testing {

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "dui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

bool ClickInWindow(HWND hWnd, std::string_view name)
{
    return ClickControl(hWnd, name);
}

bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    uint32_t start = platform::GetTickCount();
    while (!done()) {
        if (platform::GetTickCount() - start > static_cast<uint32_t>(timeoutMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

CUiTestHarness::CUiTestHarness(SIZE clientSize)
    : m_surface((EnsureApplication(), clientSize.cx), clientSize.cy)
{
    m_pm.Init(nullptr, "test");
    m_pm.SetClientSize(clientSize);
    m_pm.UseManualClock(true);
    m_pm.AddNotifier(this);
}

CUiTestHarness::~CUiTestHarness()
{
    m_pm.RemoveNotifier(this);
}

CControlUI* CUiTestHarness::Load(std::string_view layout, IDialogBuilderCallback* callback)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(layout, {}, callback, &m_pm);
    if (root)
        Attach(root);
    return root;
}

void CUiTestHarness::Attach(CControlUI* root)
{
    m_pm.AttachDialog(root);
    Layout();
}

void CUiTestHarness::Resize(SIZE clientSize)
{
    Send(WM_SIZE, 0, MAKELPARAM(clientSize.cx, clientSize.cy));
    Layout();
}

void CUiTestHarness::Layout()
{
    m_pm.UpdateLayout();
}

CControlUI* CUiTestHarness::Find(std::string_view name) const
{
    return m_pm.FindControl(name);
}

bool CUiTestHarness::CentreOf(std::string_view name, POINT& pt)
{
    Layout();
    CControlUI* c = Find(name);
    if (!c || !c->IsVisible())
        return false;
    const RECT& rc = c->GetPos();
    pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return true;
}

void CUiTestHarness::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    Layout();
    LRESULT result = 0;
    m_pm.MessageHandler(msg, wParam, lParam, result);
}

void CUiTestHarness::MouseMove(POINT pt, uint16_t keys)
{
    Send(WM_MOUSEMOVE, keys, MAKELPARAM(pt.x, pt.y));
}
void CUiTestHarness::MouseDown(POINT pt, uint16_t keys)
{
    Send(WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
}
void CUiTestHarness::MouseUp(POINT pt, uint16_t keys)
{
    Send(WM_LBUTTONUP, keys, MAKELPARAM(pt.x, pt.y));
}

void CUiTestHarness::DoubleClickAt(POINT pt)
{
    MouseMove(pt);
    MouseDown(pt);
    MouseUp(pt);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    MouseUp(pt);
}

void CUiTestHarness::ClickAt(POINT pt, uint16_t keys)
{
    MouseMove(pt, keys);
    MouseDown(pt, keys);
    MouseUp(pt, keys);
}

void CUiTestHarness::Wheel(POINT pt, int delta)
{
    MouseMove(pt);
    Send(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16, MAKELPARAM(pt.x, pt.y));
}

bool CUiTestHarness::Click(std::string_view name, uint16_t keys)
{
    POINT pt;
    if (!CentreOf(name, pt))
        return false;
    ClickAt(pt, keys);
    return true;
}

bool CUiTestHarness::DoubleClick(std::string_view name)
{
    POINT pt;
    if (!CentreOf(name, pt))
        return false;
    DoubleClickAt(pt);
    return true;
}

bool CUiTestHarness::Hover(std::string_view name)
{
    POINT pt;
    if (!CentreOf(name, pt))
        return false;
    MouseMove(pt);
    return true;
}

void CUiTestHarness::Key(int virtualKey)
{
    Send(WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0);
    Send(WM_KEYUP, static_cast<WPARAM>(virtualKey), 0);
}

void CUiTestHarness::Char(char32_t ch)
{
    Send(WM_CHAR, static_cast<WPARAM>(ch), 0);
}

bool CUiTestHarness::Type(std::string_view name, std::string_view text)
{
    if (!Click(name))
        return false;
    CControlUI* c = Find(name);
    if (m_pm.GetFocus() != c)
        return false;
    // Decode UTF-8 one character at a time.
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < len && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        Char(cp);
        i += len;
    }
    return true;
}

bool CUiTestHarness::SelectItem(std::string_view name, int index)
{
    CControlUI* c = Find(name);
    if (!c)
        return false;
    bool ok = false;
    if (auto* owner = static_cast<IListOwnerUI*>(c->GetInterface("IListOwner")))
        ok = owner->SelectItem(index, false, true);
    else if (auto* tab = static_cast<CTabLayoutUI*>(c->GetInterface("TabLayout")))
        ok = tab->SelectItem(index);
    m_pm.ProcessAsyncNotify();
    Layout();
    return ok;
}

bool CUiTestHarness::RenderPng(const std::string& path)
{
    m_pm.Paint(m_surface);
    return m_surface.SavePng(path);
}

DWORD CUiTestHarness::PixelAt(int x, int y)
{
    m_pm.Paint(m_surface);
    return m_surface.PixelAt(x, y);
}

int CUiTestHarness::Count(std::string_view type, std::string_view sender) const
{
    int n = 0;
    for (const TRecordedNotify& note : m_notes) {
        if (note.sType == type && (sender.empty() || note.sSender == sender))
            ++n;
    }
    return n;
}

void CUiTestHarness::Notify(TNotifyUI& msg)
{
    m_notes.push_back(
        {msg.sType, msg.pSender ? msg.pSender->GetName() : std::string(), msg.wParam, msg.lParam});
}

} // namespace dui::testing

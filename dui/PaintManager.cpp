#include "dui/PaintManager.h"

#include "dui/Control.h"
#include "dui/RenderEngine.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"
#include "platform/Folders.h"

#include <algorithm>
#include <mutex>

namespace dui {

namespace {

std::mutex g_pathLock; // owner: the static path setters and getters below
std::string g_instancePath;
std::string g_resourcePath;
int g_resourceType = CPaintManagerUI::UILIB_FILE;
void* g_instance = nullptr;

std::string WithSlash(std::string_view path)
{
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    if (!p.empty() && p.back() != '/')
        p += '/';
    return p;
}

// A window larger than any screen is a broken layout; keep the back buffer sane.
constexpr int kMaxClient = 16384;

// value * to / from, rounded to the nearest integer (halves away from zero).
int Rescale(int value, int from, int to)
{
    int64_t scaled = static_cast<int64_t>(value) * to;
    int64_t half = from / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / from : -((-scaled + half) / from));
}

CControlUI* CollectControl(CControlUI* control, void* data)
{
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

CControlUI* FindFromPoint(CControlUI* control, void* data)
{
    return PtInRect(control->GetPos(), *static_cast<POINT*>(data)) ? control : nullptr;
}

struct ClassSearch
{
    std::string_view className;
    int index;
};

CControlUI* FindFromClass(CControlUI* control, void* data)
{
    auto* search = static_cast<ClassSearch*>(data);
    if (control->GetInterface(search->className) == nullptr && control->GetClass() != search->className)
        return nullptr;
    return search->index-- == 0 ? control : nullptr;
}

} // namespace

// The scale new managers start with (SetAllDPI). UI thread only.
static int g_allDpi = 96;

// Live managers, for the process-wide operations (language reload, scale). UI thread only.
static std::vector<CPaintManagerUI*>& LiveManagers()
{
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

CPaintManagerUI::CPaintManagerUI() : m_nDPI(g_allDpi)
{
    m_defaultFont.sFontName = "Sans Serif";
    m_defaultFont.iSize = 12;
    LiveManagers().push_back(this);
}

void CPaintManagerUI::ForEachManager(const std::function<void(CPaintManagerUI&)>& fn)
{
    for (CPaintManagerUI* pm : std::vector<CPaintManagerUI*>(LiveManagers()))
        fn(*pm);
}

bool CPaintManagerUI::SetAllDPI(int dpi)
{
    if (!IsSupportedDPI(dpi))
        return false;
    g_allDpi = dpi;
    ForEachManager([dpi](CPaintManagerUI& pm) { pm.SetDPI(dpi); });
    return true;
}

int CPaintManagerUI::GetAllDPI()
{
    return g_allDpi;
}

CPaintManagerUI::~CPaintManagerUI()
{
    std::erase(LiveManagers(), this);
    if (CWindowWnd* window = WindowFromHandle(m_hWnd)) {
        if (window->GetPaintManager() == this)
            window->AttachPaintManager(nullptr);
    }
    m_timers.clear();
    m_asyncNotify.clear();
    ProcessDelayedCleanup();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
    ProcessDelayedCleanup();
}

void CPaintManagerUI::Init(HWND hWnd, std::string_view name)
{
    m_hWnd = hWnd;
    m_sName = name;
    if (CWindowWnd* window = WindowFromHandle(hWnd))
        window->AttachPaintManager(this);
}

void CPaintManagerUI::SetHost(IPaintHost* host)
{
    m_pHost = host;
    if (m_pHost) {
        ScheduleTimers();
        m_pHost->HostInvalidate();
    }
}

void CPaintManagerUI::SetInstancePath(std::string_view path)
{
    std::lock_guard lock(g_pathLock);
    g_instancePath = WithSlash(path);
}

std::string CPaintManagerUI::GetInstancePath()
{
    std::lock_guard lock(g_pathLock);
    if (g_instancePath.empty())
        g_instancePath = WithSlash(platform::ExecutableFolder());
    return g_instancePath;
}

void CPaintManagerUI::SetResourcePath(std::string_view path)
{
    std::lock_guard lock(g_pathLock);
    g_resourcePath = WithSlash(path);
}

std::string CPaintManagerUI::GetResourcePath()
{
    std::lock_guard lock(g_pathLock);
    return g_resourcePath;
}

void CPaintManagerUI::SetInstance(void* instance)
{
    g_instance = instance;
}

void* CPaintManagerUI::GetInstance()
{
    return g_instance;
}

void CPaintManagerUI::SetResourceType(int type)
{
    g_resourceType = type;
}

int CPaintManagerUI::GetResourceType()
{
    return g_resourceType;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root)
{
    if (!root)
        return false;
    SetFocus(nullptr);
    m_pEventKey = m_pEventHover = m_pEventClick = nullptr;
    if (m_pRoot && m_pRoot != root)
        AddDelayedCleanup(m_pRoot);
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    Invalidate();
    return InitControls(root);
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent)
{
    if (!control)
        return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    if (!control->GetParent())
        control->Init();
    std::vector<CControlUI*> all;
    control->FindControl(CollectControl, &all, UIFIND_ALL);
    for (CControlUI* c : all) {
        const std::string name = c->GetName();
        if (name.empty())
            continue;
        bool known = false;
        auto range = m_nameMap.equal_range(name);
        for (auto it = range.first; it != range.second; ++it)
            known = known || it->second == c;
        if (!known)
            m_nameMap.emplace(name, c);
    }
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control)
{
    std::vector<CControlUI*> all;
    control->FindControl(CollectControl, &all, UIFIND_ALL);
    if (std::find(all.begin(), all.end(), control) == all.end())
        all.push_back(control);
    for (CControlUI* c : all) {
        if (c == m_pEventKey)
            m_pEventKey = nullptr;
        if (c == m_pEventHover)
            m_pEventHover = nullptr;
        if (c == m_pEventClick)
            m_pEventClick = nullptr;
        if (c == m_pFocus)
            m_pFocus = nullptr;
        for (auto it = m_nameMap.begin(); it != m_nameMap.end();)
            it = it->second == c ? m_nameMap.erase(it) : std::next(it);
        for (Timer& t : m_timers) {
            if (t.control == c)
                t.killed = true;
        }
        std::erase_if(m_asyncNotify, [c](const TNotifyUI& n) { return n.pSender == c; });
        for (auto& [group, members] : m_optionGroups)
            std::erase(members, c);
    }
}

void CPaintManagerUI::RenameControl(CControlUI* control, std::string_view oldName)
{
    auto range = m_nameMap.equal_range(oldName);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == control) {
            m_nameMap.erase(it);
            break;
        }
    }
    if (!control->GetName().empty())
        m_nameMap.emplace(control->GetName(), control);
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* control)
{
    if (!control)
        return;
    ReapObjects(control);
    control->SetManager(this, nullptr, false);
    m_delayedCleanup.push_back(control);
}

void CPaintManagerUI::ProcessDelayedCleanup()
{
    while (!m_delayedCleanup.empty()) {
        std::vector<CControlUI*> batch;
        batch.swap(m_delayedCleanup);
        for (CControlUI* c : batch)
            delete c;
    }
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const
{
    // With several controls of one name, the one registered first.
    auto range = m_nameMap.equal_range(name);
    return range.first == range.second ? nullptr : range.first->second;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    return m_pRoot ? FindSubControlByPoint(m_pRoot, pt) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const
{
    if (!parent)
        parent = m_pRoot;
    if (!parent)
        return nullptr;
    return parent->FindSubControl(name);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, std::string_view className,
                                                   int index) const
{
    if (!parent)
        parent = m_pRoot;
    if (!parent)
        return nullptr;
    ClassSearch search{className, index};
    return parent->FindControl(FindFromClass, &search, UIFIND_ALL);
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* parent, POINT pt) const
{
    if (!parent)
        return nullptr;
    return parent->FindControl(FindFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

SIZE CPaintManagerUI::GetClientSize() const
{
    return m_pHost ? m_pHost->HostClientSize() : m_szClient;
}

void CPaintManagerUI::SetClientSize(SIZE size)
{
    m_szClient = size;
    NeedUpdate();
}

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize = {std::clamp(cx, 0, kMaxClient), std::clamp(cy, 0, kMaxClient)};
    if (m_pHost)
        m_pHost->HostResize(ClientSizeFor(m_szInitWindowSize));
    else
        m_szClient = ClientSizeFor(m_szInitWindowSize);
    NeedUpdate();
}

SIZE CPaintManagerUI::ClientSizeFor(SIZE layoutSize) const
{
    SIZE s = ScaleSize(layoutSize);
    return {std::clamp(s.cx, 0, kMaxClient), std::clamp(s.cy, 0, kMaxClient)};
}

bool CPaintManagerUI::IsCaptionPoint(POINT pt) const
{
    RECT caption = ScaleRect(m_rcCaption);
    SIZE client = GetClientSize();
    if (caption.bottom <= 0)
        return false;
    RECT area{caption.left, caption.top, client.cx - caption.right, caption.bottom};
    if (!PtInRect(area, pt))
        return false;
    CControlUI* control = FindControl(pt);
    static const char* kActive[] = {"Button", "Option", "Edit",     "RichEdit", "Slider",
                                    "List",   "Combo",  "ListItem", "ScrollBar"};
    for (const char* name : kActive) {
        if (control && control->GetInterface(name))
            return false;
    }
    return true;
}

void CPaintManagerUI::Invalidate()
{
    m_bInvalid = true;
    if (m_pHost)
        m_pHost->HostInvalidate();
}

void CPaintManagerUI::Invalidate(const RECT& rc)
{
    (void)rc; // the window repaints its whole back buffer
    Invalidate();
}

void CPaintManagerUI::UpdateLayout()
{
    if (!m_pRoot)
        return;
    SIZE size = GetClientSize();
    RECT rc{0, 0, size.cx, size.cy};
    if (m_bUpdateNeeded || m_pRoot->IsUpdateNeeded() || !(m_pRoot->GetPos() == rc)) {
        m_bUpdateNeeded = false;
        m_pRoot->SetPos(rc, false);
    }
}

void CPaintManagerUI::PaintTo(HDC hDC)
{
    UpdateLayout();
    m_bInvalid = false;
    if (!m_pRoot)
        return;
    SIZE size = GetClientSize();
    RECT rc{0, 0, size.cx, size.cy};
    m_pRoot->DoPaint(hDC, rc);
    m_pRoot->DoPostPaint(hDC, rc);
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
        ProcessAsyncNotify();
    }
}

void CPaintManagerUI::Paint(CRenderSurface& surface)
{
    SIZE size = GetClientSize();
    if (surface.Width() != size.cx || surface.Height() != size.cy)
        surface.Resize(size.cx, size.cy);
    PaintTo(&surface.Painter());
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    (void)uMsg;
    (void)wParam;
    (void)lParam;
    (void)lRes;
    return false;
}

void CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter)
{
    if (std::find(m_messageFilters.begin(), m_messageFilters.end(), filter) == m_messageFilters.end())
        m_messageFilters.push_back(filter);
}

void CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter)
{
    std::erase(m_messageFilters, filter);
}

void CPaintManagerUI::SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam, LPARAM lParam,
                                uint16_t keyState, char32_t key)
{
    if (!control)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = pt;
    event.wParam = wParam;
    event.lParam = lParam;
    event.wKeyState = keyState;
    event.chKey = key;
    event.dwTimestamp = Now();
    control->Event(event);
}

void CPaintManagerUI::SetHover(CControlUI* control, POINT pt, DWORD timestamp)
{
    (void)timestamp;
    if (control == m_pEventHover)
        return;
    CControlUI* old = m_pEventHover;
    m_pEventHover = control;
    HideToolTip();
    if (old)
        KillTimer(old, kToolTipTimerId);
    if (old)
        SendEvent(old, UIEVENT_MOUSELEAVE, pt, 0, 0, 0);
    if (m_pEventHover)
        SendEvent(m_pEventHover, UIEVENT_MOUSEENTER, pt, 0, 0, 0);
    // The enter handler may have removed the control.
    if (m_pEventHover && !m_pEventHover->GetToolTip().empty())
        SetTimer(m_pEventHover, kToolTipTimerId, kToolTipDelayMs);
    UpdateCursor();
}

void CPaintManagerUI::ShowToolTip(CControlUI* control)
{
    if (control != m_pEventHover)
        return;
    m_sShownToolTip = control->GetToolTip();
    if (m_pHost && !m_sShownToolTip.empty())
        m_pHost->HostShowToolTip(m_sShownToolTip, m_ptLastMousePos);
}

void CPaintManagerUI::HideToolTip()
{
    if (m_sShownToolTip.empty())
        return;
    m_sShownToolTip.clear();
    if (m_pHost)
        m_pHost->HostShowToolTip({}, m_ptLastMousePos);
}

void CPaintManagerUI::UpdateCursor()
{
    int cursor = m_pEventHover && m_pEventHover->IsEnabled() ? m_pEventHover->GetCursor() : UICURSOR_ARROW;
    if (cursor == m_nCursor)
        return;
    m_nCursor = cursor;
    if (m_pHost)
        m_pHost->HostSetCursor(cursor);
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    lRes = 0;
    for (IMessageFilterUI* filter : std::vector<IMessageFilterUI*>(m_messageFilters)) {
        bool handled = false;
        LRESULT r = filter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = r;
            return true;
        }
    }
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    uint16_t keys = static_cast<uint16_t>(wParam & 0xFFFF);
    bool handled = true;
    switch (uMsg) {
    case WM_MOUSEMOVE: {
        m_ptLastMousePos = pt;
        CControlUI* control = FindControl(pt);
        if (control && control->GetManager() != this)
            control = nullptr;
        SetHover(control, pt, 0);
        if (m_pEventClick)
            SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE, pt, wParam, lParam, keys);
        else if (control)
            SendEvent(control, UIEVENT_MOUSEMOVE, pt, wParam, lParam, keys);
        break;
    }
    case WM_MOUSELEAVE:
        if (!m_pEventClick)
            SetHover(nullptr, pt, 0);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        m_ptLastMousePos = pt;
        HideToolTip();
        if (m_pEventHover)
            KillTimer(m_pEventHover, kToolTipTimerId);
        CControlUI* control = FindControl(pt);
        if (!control || control->GetManager() != this)
            break;
        m_pEventClick = control;
        SetCapture();
        control->SetFocus();
        SendEvent(control, uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK, pt, wParam, lParam,
                  keys);
        break;
    }
    case WM_LBUTTONUP: {
        m_ptLastMousePos = pt;
        ReleaseCapture();
        CControlUI* control = m_pEventClick;
        m_pEventClick = nullptr;
        if (control)
            SendEvent(control, UIEVENT_BUTTONUP, pt, wParam, lParam, keys);
        // The pointer may have moved to another control while the button was held.
        SetHover(FindControl(pt), pt, 0);
        break;
    }
    case WM_RBUTTONDOWN: {
        CControlUI* control = FindControl(pt);
        if (!control || control->GetManager() != this)
            break;
        control->SetFocus();
        SendEvent(control, UIEVENT_RBUTTONDOWN, pt, wParam, lParam, keys);
        break;
    }
    case WM_RBUTTONUP: {
        CControlUI* control = FindControl(pt);
        if (control && control->GetManager() == this) {
            SendEvent(control, UIEVENT_RBUTTONUP, pt, wParam, lParam, keys);
            SendEvent(control, UIEVENT_CONTEXTMENU, pt, wParam, lParam, keys);
        }
        break;
    }
    case WM_MOUSEWHEEL: {
        CControlUI* control = FindControl(m_ptLastMousePos);
        if (!control || control->GetManager() != this)
            break;
        int delta = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
        SendEvent(control, UIEVENT_SCROLLWHEEL, m_ptLastMousePos, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0,
                  keys);
        break;
    }
    case WM_CHAR:
        if (m_pFocus)
            SendEvent(m_pFocus, UIEVENT_CHAR, m_ptLastMousePos, wParam, lParam, 0,
                      static_cast<char32_t>(wParam));
        break;
    case WM_KEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_TAB) &&
            (!m_pFocus || !(m_pFocus->GetControlFlags() & UIFLAG_WANTRETURN))) {
            SetNextTabControl(true);
            break;
        }
        m_pEventKey = m_pFocus;
        if (m_pFocus)
            SendEvent(m_pFocus, UIEVENT_KEYDOWN, m_ptLastMousePos, wParam, lParam, 0,
                      static_cast<char32_t>(wParam));
        break;
    case WM_KEYUP:
        if (m_pEventKey)
            SendEvent(m_pEventKey, UIEVENT_KEYUP, m_ptLastMousePos, wParam, lParam, 0,
                      static_cast<char32_t>(wParam));
        m_pEventKey = nullptr;
        break;
    case WM_KILLFOCUS:
        if (m_pEventClick) {
            ReleaseCapture();
            SendEvent(m_pEventClick, UIEVENT_BUTTONUP, m_ptLastMousePos, 0, 0, 0);
            m_pEventClick = nullptr;
        }
        handled = false;
        break;
    case WM_SIZE:
        if (!m_pHost)
            m_szClient = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        NeedUpdate();
        if (m_pRoot)
            SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWSIZE, wParam, lParam, true);
        handled = false;
        break;
    case WM_TIMER:
        handled = false;
        break;
    default:
        handled = false;
        break;
    }
    ProcessAsyncNotify();
    ProcessDelayedCleanup();
    return handled && uMsg != WM_SIZE;
}

void CPaintManagerUI::SetFocus(CControlUI* control)
{
    if (control == m_pFocus)
        return;
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        m_pFocus = nullptr;
        SendEvent(old, UIEVENT_KILLFOCUS, m_ptLastMousePos, 0, 0, 0);
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        SendEvent(control, UIEVENT_SETFOCUS, m_ptLastMousePos, 0, 0, 0);
        SendNotify(control, DUI_MSGTYPE_SETFOCUS);
    }
}

void CPaintManagerUI::SetCapture()
{
    m_bMouseCapture = true;
    if (m_pHost)
        m_pHost->HostSetCapture(true);
}

void CPaintManagerUI::ReleaseCapture()
{
    m_bMouseCapture = false;
    if (m_pHost)
        m_pHost->HostSetCapture(false);
}

bool CPaintManagerUI::SetNextTabControl(bool forward)
{
    if (!m_pRoot)
        return false;
    std::vector<CControlUI*> all;
    m_pRoot->FindControl(CollectControl, &all, UIFIND_VISIBLE | UIFIND_ENABLED);
    std::erase_if(all, [](CControlUI* c) {
        return !(c->GetControlFlags() & UIFLAG_TABSTOP) || !c->IsKeyboardEnabled();
    });
    if (all.empty())
        return false;
    auto it = std::find(all.begin(), all.end(), m_pFocus);
    if (it == all.end()) {
        if (m_pFocus == nullptr)
            return false; // nothing focused: leave it so
        SetFocus(forward ? all.front() : all.back());
        return true;
    }
    size_t i = static_cast<size_t>(it - all.begin());
    size_t next = forward ? (i + 1) % all.size() : (i + all.size() - 1) % all.size();
    SetFocus(all[next]);
    return true;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (!notifier || std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end())
        return false;
    m_notifiers.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (it == m_notifiers.end())
        return false;
    m_notifiers.erase(it);
    return true;
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async)
{
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = Now();
    if (async) {
        m_asyncNotify.push_back(msg);
        if (m_pHost)
            m_pHost->HostInvalidate();
        return;
    }
    // A receiver may remove itself or others while being told.
    std::vector<INotifyUI*> receivers = m_notifiers;
    for (INotifyUI* n : receivers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end())
            n->Notify(msg);
    }
}

void CPaintManagerUI::SendNotify(CControlUI* control, std::string_view type, WPARAM wParam, LPARAM lParam,
                                 bool async)
{
    TNotifyUI msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::ProcessAsyncNotify()
{
    while (!m_asyncNotify.empty()) {
        TNotifyUI msg = m_asyncNotify.front();
        m_asyncNotify.pop_front();
        std::vector<INotifyUI*> receivers = m_notifiers;
        for (INotifyUI* n : receivers) {
            if (std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end())
                n->Notify(msg);
        }
    }
}

uint32_t CPaintManagerUI::Now() const
{
    return m_manualClock ? m_manualNow : platform::GetTickCount();
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapseMs)
{
    if (!control)
        return false;
    uint32_t due = Now() + std::max<UINT>(elapseMs, 1);
    for (Timer& t : m_timers) {
        if (t.control == control && t.id == id && !t.killed) {
            t.elapse = std::max<UINT>(elapseMs, 1);
            t.due = due;
            ScheduleTimers();
            return true;
        }
    }
    m_timers.push_back({control, id, std::max<UINT>(elapseMs, 1), due, false});
    ScheduleTimers();
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id)
{
    bool found = false;
    for (Timer& t : m_timers) {
        if (t.control == control && t.id == id && !t.killed) {
            t.killed = true;
            found = true;
        }
    }
    ScheduleTimers();
    return found;
}

void CPaintManagerUI::KillTimer(CControlUI* control)
{
    for (Timer& t : m_timers) {
        if (t.control == control)
            t.killed = true;
    }
    ScheduleTimers();
}

void CPaintManagerUI::RemoveAllTimers()
{
    for (Timer& t : m_timers)
        t.killed = true;
    ScheduleTimers();
}

uint32_t CPaintManagerUI::NextTimerDue() const
{
    uint32_t now = Now();
    uint32_t best = kNoTimer;
    for (const Timer& t : m_timers) {
        if (t.killed)
            continue;
        int32_t left = static_cast<int32_t>(t.due - now);
        best = std::min<uint32_t>(best, left < 0 ? 0u : static_cast<uint32_t>(left));
    }
    return best;
}

void CPaintManagerUI::ScheduleTimers()
{
    if (m_pHost && !m_manualClock)
        m_pHost->HostScheduleTimers(NextTimerDue());
}

int CPaintManagerUI::FireDueTimers()
{
    int fired = 0;
    uint32_t now = Now();
    // Timers set by a handler wait for the next round; killed ones are dropped afterwards.
    size_t count = m_timers.size();
    for (size_t i = 0; i < count && i < m_timers.size(); ++i) {
        Timer t = m_timers[i];
        if (t.killed || static_cast<int32_t>(now - t.due) < 0)
            continue;
        m_timers[i].due = now + t.elapse;
        if (t.id == kToolTipTimerId) {
            m_timers[i].killed = true;
            ShowToolTip(t.control);
            ++fired;
            continue;
        }
        TEventUI event;
        event.Type = UIEVENT_TIMER;
        event.pSender = t.control;
        event.wParam = t.id;
        event.dwTimestamp = now;
        t.control->Event(event);
        ++fired;
    }
    std::erase_if(m_timers, [](const Timer& t) { return t.killed; });
    ProcessAsyncNotify();
    ProcessDelayedCleanup();
    ScheduleTimers();
    return fired;
}

void CPaintManagerUI::UseManualClock(bool manual)
{
    if (manual == m_manualClock)
        return;
    uint32_t now = Now();
    m_manualClock = manual;
    uint32_t newNow = Now();
    for (Timer& t : m_timers)
        t.due = t.due - now + newNow;
    ScheduleTimers();
}

void CPaintManagerUI::AdvanceClock(uint32_t ms)
{
    uint32_t target = m_manualNow + ms;
    for (;;) {
        uint32_t next = NextTimerDue();
        if (next == kNoTimer || static_cast<int32_t>(m_manualNow + next - target) > 0)
            break;
        m_manualNow += next;
        FireDueTimers();
    }
    m_manualNow = target;
}

bool CPaintManagerUI::AddOptionGroup(std::string_view group, CControlUI* control)
{
    auto it = m_optionGroups.find(group);
    if (it == m_optionGroups.end())
        it = m_optionGroups.emplace(std::string(group), std::vector<CControlUI*>{}).first;
    if (std::find(it->second.begin(), it->second.end(), control) != it->second.end())
        return false;
    it->second.push_back(control);
    return true;
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(std::string_view group) const
{
    auto it = m_optionGroups.find(group);
    return it == m_optionGroups.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(std::string_view group, CControlUI* control)
{
    auto it = m_optionGroups.find(group);
    if (it == m_optionGroups.end())
        return;
    std::erase(it->second, control);
    if (it->second.empty())
        m_optionGroups.erase(it);
}

void CPaintManagerUI::AddDefaultAttributeList(std::string_view name, std::string_view list)
{
    m_defaultAttributes[ToLower(name)] = std::string(list);
}

std::string CPaintManagerUI::GetDefaultAttributeList(std::string_view name) const
{
    auto it = m_defaultAttributes.find(ToLower(name));
    return it == m_defaultAttributes.end() ? std::string() : it->second;
}

// The fonts shared by every window. UI thread only.
struct SharedFonts
{
    std::map<int, TFontInfo> fonts;
    TFontInfo defaultFont;
    bool hasDefault = false;
};
static SharedFonts& Shared()
{
    static SharedFonts shared;
    return shared;
}

void CPaintManagerUI::AddFont(int id, std::string_view name, int size, bool bold, bool underline, bool italic,
                              bool shared)
{
    TFontInfo info{std::string(name), size, bold, underline, italic};
    if (!shared) {
        m_fonts[id] = info;
        NeedUpdate();
        return;
    }
    Shared().fonts[id] = info;
    ForEachManager([](CPaintManagerUI& pm) { pm.NeedUpdate(); });
}

const TFontInfo& CPaintManagerUI::GetFontInfo(int id) const
{
    if (auto it = m_fonts.find(id); it != m_fonts.end())
        return it->second;
    if (auto it = Shared().fonts.find(id); it != Shared().fonts.end())
        return it->second;
    return GetDefaultFontInfo();
}

const TFontInfo& CPaintManagerUI::GetDefaultFontInfo() const
{
    return m_bOwnDefaultFont || !Shared().hasDefault ? m_defaultFont : Shared().defaultFont;
}

void CPaintManagerUI::SetDefaultFont(std::string_view name, int size, bool bold, bool underline, bool italic,
                                     bool shared)
{
    TFontInfo info{std::string(name), size, bold, underline, italic};
    if (!shared) {
        m_defaultFont = info;
        m_bOwnDefaultFont = true;
        NeedUpdate();
        return;
    }
    Shared().defaultFont = info;
    Shared().hasDefault = true;
    ForEachManager([](CPaintManagerUI& pm) { pm.NeedUpdate(); });
}

void CPaintManagerUI::RemoveAllFonts(bool shared)
{
    if (!shared) {
        m_fonts.clear();
        NeedUpdate();
        return;
    }
    Shared() = SharedFonts{};
    ForEachManager([](CPaintManagerUI& pm) { pm.NeedUpdate(); });
}

bool CPaintManagerUI::IsSupportedDPI(int dpi)
{
    static constexpr int kSupported[] = {48, 72, 96, 120, 144, 168, 192};
    return std::find(std::begin(kSupported), std::end(kSupported), dpi) != std::end(kSupported);
}

bool CPaintManagerUI::SetDPI(int dpi)
{
    if (!IsSupportedDPI(dpi))
        return false;
    if (dpi == m_nDPI)
        return true;
    // A window at its layout size keeps it exactly; one the user resized keeps its proportion.
    SIZE client = GetClientSize();
    bool atLayoutSize = m_szInitWindowSize.cx > 0 && client == ClientSizeFor(m_szInitWindowSize);
    int old = m_nDPI;
    m_nDPI = dpi;
    SIZE resized = atLayoutSize ? ClientSizeFor(m_szInitWindowSize)
                                : SIZE{std::clamp(Rescale(client.cx, old, dpi), 0, kMaxClient),
                                       std::clamp(Rescale(client.cy, old, dpi), 0, kMaxClient)};
    if (m_pHost)
        m_pHost->HostResize(resized);
    else
        m_szClient = resized;
    NeedUpdate();
    return true;
}

int CPaintManagerUI::ScaleValue(int value) const
{
    return Rescale(value, 96, m_nDPI);
}

int CPaintManagerUI::UnscaleValue(int pixels) const
{
    return Rescale(pixels, m_nDPI, 96);
}

RECT CPaintManagerUI::ScaleRect(const RECT& rc) const
{
    return {ScaleValue(rc.left), ScaleValue(rc.top), ScaleValue(rc.right), ScaleValue(rc.bottom)};
}

SIZE CPaintManagerUI::ScaleSize(SIZE size) const
{
    return {ScaleValue(size.cx), ScaleValue(size.cy)};
}

TFontInfo CPaintManagerUI::GetScaledFontInfo(int id) const
{
    TFontInfo info = GetFontInfo(id);
    info.iSize = std::max(1, ScaleValue(info.iSize));
    return info;
}

} // namespace dui

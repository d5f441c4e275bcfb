#include "dui/Container.h"

#include "dui/PaintManager.h"
#include "dui/ScrollBar.h"

#include <algorithm>
#include <charconv>

namespace dui {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

std::string CContainerUI::GetClass() const
{
    return "Container";
}

void* CContainerUI::GetInterface(std::string_view name)
{
    if (name == "IContainer")
        return static_cast<IContainerUI*>(this);
    if (name == "Container")
        return this;
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    int current = GetItemIndex(control);
    if (current < 0 || index < 0 || index >= GetCount())
        return false;
    m_items.erase(m_items.begin() + current);
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

bool CContainerUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (!control || index < 0 || index > GetCount() || GetItemIndex(control) >= 0)
        return false;
    m_items.insert(m_items.begin() + index, control);
    if (m_pManager)
        m_pManager->InitControls(control, this);
    else
        control->SetManager(nullptr, this, false);
    if (IsVisible())
        NeedUpdate();
    else
        control->SetInternVisible(false);
    return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy)
{
    return RemoveAt(GetItemIndex(control), doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy)
{
    CControlUI* control = GetItemAt(index);
    if (!control)
        return false;
    m_items.erase(m_items.begin() + index);
    if (m_pManager)
        m_pManager->ReapObjects(control);
    if (doNotDestroy || !m_bAutoDestroy) {
        control->SetManager(nullptr, nullptr, false);
    } else if (m_pManager) {
        m_pManager->AddDelayedCleanup(control);
    } else {
        delete control;
    }
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll()
{
    while (!m_items.empty())
        RemoveAt(GetCount() - 1);
}

void CContainerUI::SetInset(RECT rc)
{
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_iChildPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    CControlUI::SetVisible(visible);
    for (CControlUI* item : m_items)
        item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    for (CControlUI* item : m_items)
        item->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    CControlUI::SetManager(manager, parent, false);
    for (CControlUI* item : m_items)
        item->SetManager(manager, this, init);
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetManager(manager, this, init);
    if (m_pHorizontalScrollBar)
        m_pHorizontalScrollBar->SetManager(manager, this, init);
    if (init && parent)
        Init();
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if ((flags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) && !PtInRect(m_rcItem, *static_cast<POINT*>(data)))
        return nullptr;
    if ((flags & UIFIND_HITTEST) && !m_bMouseChildEnabled) {
        return m_bMouseEnabled ? proc(this, data) : nullptr;
    }
    if (flags & UIFIND_ME_FIRST) {
        if (CControlUI* found = CControlUI::FindControl(proc, data, flags))
            return found;
    }
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (!bar)
            continue;
        if (CControlUI* found = bar->FindControl(proc, data, flags))
            return found;
    }
    if (flags & UIFIND_HITTEST) {
        // Only children inside the client area are hit; floating children anywhere in the item.
        POINT pt = *static_cast<POINT*>(data);
        RECT client = ClientRect();
        for (int i = GetCount() - 1; i >= 0; --i) {
            CControlUI* item = m_items[i];
            if (!item->IsFloat() && !PtInRect(client, pt))
                continue;
            if (CControlUI* found = item->FindControl(proc, data, flags))
                return found;
        }
    } else if (flags & UIFIND_TOP_FIRST) {
        for (int i = GetCount() - 1; i >= 0; --i) {
            if (CControlUI* found = m_items[i]->FindControl(proc, data, flags))
                return found;
        }
    } else {
        for (CControlUI* item : m_items) {
            if (CControlUI* found = item->FindControl(proc, data, flags))
                return found;
        }
    }
    if (!(flags & UIFIND_ME_FIRST))
        return CControlUI::FindControl(proc, data, flags);
    return nullptr;
}

RECT CContainerUI::ClientRect() const
{
    RECT rc = DeflateRect(m_rcItem, ToPixels(m_rcInset));
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
        rc.right -= ToPixels(m_pVerticalScrollBar->GetFixedWidth());
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        rc.bottom -= ToPixels(m_pHorizontalScrollBar->GetFixedHeight());
    return rc;
}

int CContainerUI::Clamp(int value, int minValue, int maxValue)
{
    return std::max(minValue, std::min(value, maxValue));
}

void CContainerUI::SetPos(RECT rc, bool needInvalidate)
{
    CControlUI::SetPos(rc, needInvalidate);
    if (m_items.empty())
        return;
    RECT client = ClientRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = m_items[i];
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        item->SetPos(DeflateRect(client, ToPixels(item->GetPadding())), false);
    }
}

void CContainerUI::SetFloatPos(int index)
{
    CControlUI* item = GetItemAt(index);
    if (!item || !item->IsVisible())
        return;
    SIZE xy = ToPixels(item->GetFixedXY());
    int cx = ToPixels(item->GetFixedWidth());
    int cy = ToPixels(item->GetFixedHeight());
    int left = xy.cx >= 0 ? m_rcItem.left + xy.cx : m_rcItem.right + xy.cx - cx;
    int top = xy.cy >= 0 ? m_rcItem.top + xy.cy : m_rcItem.bottom + xy.cy - cy;
    item->SetPos({left, top, left + cx, top + cy}, false);
}

void CContainerUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SCROLLWHEEL && m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        if ((event.wParam & 0xFFFF) == SB_LINEUP)
            LineUp();
        else
            LineDown();
        return;
    }
    if (event.Type == UIEVENT_SCROLLWHEEL && m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        if ((event.wParam & 0xFFFF) == SB_LINEUP)
            LineLeft();
        else
            LineRight();
        return;
    }
    CControlUI::DoEvent(event);
}

SIZE CContainerUI::GetScrollPos() const
{
    return {
        m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() ? m_pHorizontalScrollBar->GetScrollPos()
                                                                      : 0,
        m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() ? m_pVerticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const
{
    return {m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()
                ? m_pHorizontalScrollBar->GetScrollRange()
                : 0,
            m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() ? m_pVerticalScrollBar->GetScrollRange()
                                                                      : 0};
}

void CContainerUI::SetScrollPos(SIZE pos)
{
    SIZE range = GetScrollRange();
    pos.cx = Clamp(pos.cx, 0, range.cx);
    pos.cy = Clamp(pos.cy, 0, range.cy);
    SIZE old = GetScrollPos();
    if (pos.cx == old.cx && pos.cy == old.cy)
        return;
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetScrollPos(pos.cy);
    if (m_pHorizontalScrollBar)
        m_pHorizontalScrollBar->SetScrollPos(pos.cx);
    int dx = old.cx - pos.cx;
    int dy = old.cy - pos.cy;
    for (CControlUI* item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        item->SetPos(OffsetRect(item->GetPos(), dx, dy), false);
    }
    Invalidate();
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_SCROLL);
}

void CContainerUI::ScrollBy(int dx, int dy)
{
    SIZE pos = GetScrollPos();
    pos.cx += dx;
    pos.cy += dy;
    SetScrollPos(pos);
}

int CContainerUI::LineSizeOf(const CScrollBarUI* bar) const
{
    return ToPixels(bar ? bar->GetLineSize() : 8);
}

int CContainerUI::PageSize() const
{
    return std::max(1, ClientRect().Height());
}

void CContainerUI::LineUp()
{
    ScrollBy(0, -LineSizeOf(m_pVerticalScrollBar));
}
void CContainerUI::LineDown()
{
    ScrollBy(0, LineSizeOf(m_pVerticalScrollBar));
}
void CContainerUI::PageUp()
{
    ScrollBy(0, -PageSize());
}
void CContainerUI::PageDown()
{
    ScrollBy(0, PageSize());
}
void CContainerUI::LineLeft()
{
    ScrollBy(-LineSizeOf(m_pHorizontalScrollBar), 0);
}
void CContainerUI::LineRight()
{
    ScrollBy(LineSizeOf(m_pHorizontalScrollBar), 0);
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal)
{
    if (vertical && !m_pVerticalScrollBar) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, this, false);
        m_pVerticalScrollBar->SetVisible(false);
    } else if (!vertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (horizontal && !m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar = new CScrollBarUI;
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, this, false);
        m_pHorizontalScrollBar->SetVisible(false);
    } else if (!horizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

bool CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired)
{
    bool changed = false;
    if (m_pVerticalScrollBar) {
        bool need = cyRequired > rc.Height();
        if (need != m_pVerticalScrollBar->IsVisible()) {
            m_pVerticalScrollBar->SetVisible(need);
            changed = true;
        }
        if (need) {
            m_pVerticalScrollBar->SetScrollRange(cyRequired - rc.Height());
            int w = ToPixels(m_pVerticalScrollBar->GetFixedWidth());
            m_pVerticalScrollBar->SetPos({rc.right - w, rc.top, rc.right, rc.bottom}, false);
        } else {
            m_pVerticalScrollBar->SetScrollRange(0);
            m_pVerticalScrollBar->SetScrollPos(0);
        }
    }
    if (m_pHorizontalScrollBar) {
        bool need = cxRequired > rc.Width();
        if (need != m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(need);
            changed = true;
        }
        if (need) {
            m_pHorizontalScrollBar->SetScrollRange(cxRequired - rc.Width());
            int h = ToPixels(m_pHorizontalScrollBar->GetFixedHeight());
            int right = rc.right;
            if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
                right -= ToPixels(m_pVerticalScrollBar->GetFixedWidth());
            m_pHorizontalScrollBar->SetPos({rc.left, rc.bottom - h, right, rc.bottom}, false);
        } else {
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
        }
    }
    return changed;
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value)
{
    int v = 0;
    if (name == "inset") {
        RECT rc;
        ParseRect(value, rc);
        SetInset(rc);
    } else if (name == "childpadding") {
        std::from_chars(value.data(), value.data() + value.size(), v);
        SetChildPadding(v);
    } else if (name == "mousechild") {
        SetMouseChildEnabled(ParseBool(value));
    } else if (name == "vscrollbar") {
        EnableScrollBar(ParseBool(value), m_pHorizontalScrollBar != nullptr);
    } else if (name == "hscrollbar") {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, ParseBool(value));
    } else if (name == "vscrollbarstyle") {
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        m_pVerticalScrollBar->ApplyAttributeList(value);
    } else if (name == "hscrollbarstyle") {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        m_pHorizontalScrollBar->ApplyAttributeList(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp;
    if (!IntersectRect(rcTemp, rcPaint, m_rcItem))
        return;
    CControlUI::DoPaint(hDC, rcPaint);
    if (!m_items.empty()) {
        RECT client = ClientRect();
        RECT clip;
        hDC->Save();
        hDC->ClipRect(rcTemp);
        if (IntersectRect(clip, rcTemp, client)) {
            hDC->Save();
            hDC->ClipRect(clip);
            for (CControlUI* item : m_items) {
                if (!item->IsVisible() || item->IsFloat())
                    continue;
                RECT itemClip;
                if (!IntersectRect(itemClip, clip, item->GetPos()))
                    continue;
                item->DoPaint(hDC, clip);
            }
            hDC->Restore();
        }
        for (CControlUI* item : m_items) {
            if (!item->IsVisible() || !item->IsFloat())
                continue;
            RECT itemClip;
            if (!IntersectRect(itemClip, rcTemp, item->GetPos()))
                continue;
            item->DoPaint(hDC, rcTemp);
        }
        hDC->Restore();
    }
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar && bar->IsVisible())
            bar->DoPaint(hDC, rcPaint);
    }
}

} // namespace dui

namespace dui {

namespace {

// Reads and writes a size along the line (main) or across it (cross); limits in pixels of the owner's scale.
struct Axis
{
    bool vertical;
    const CControlUI* owner;
    int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    int Before(const RECT& r) const { return vertical ? r.top : r.left; }
    int After(const RECT& r) const { return vertical ? r.bottom : r.right; }
    int CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    int CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    int MinMain(const CControlUI* c) const
    {
        return owner->ToPixels(vertical ? c->GetMinHeight() : c->GetMinWidth());
    }
    int MaxMain(const CControlUI* c) const
    {
        return owner->ToPixels(vertical ? c->GetMaxHeight() : c->GetMaxWidth());
    }
    int MinCross(const CControlUI* c) const
    {
        return owner->ToPixels(vertical ? c->GetMinWidth() : c->GetMinHeight());
    }
    int MaxCross(const CControlUI* c) const
    {
        return owner->ToPixels(vertical ? c->GetMaxWidth() : c->GetMaxHeight());
    }
    SIZE Make(int main, int cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    RECT MakeRect(int mainPos, int crossPos, int main, int cross) const
    {
        return vertical ? RECT{crossPos, mainPos, crossPos + cross, mainPos + main}
                        : RECT{mainPos, crossPos, mainPos + main, crossPos + cross};
    }
};

} // namespace

int CContainerUI::LayoutLine(RECT rc, bool vertical)
{
    Axis ax{vertical, this};
    const int childPadding = ToPixels(m_iChildPadding);
    SIZE available{rc.Width(), rc.Height()};
    int room = ax.Main(available);
    int crossRoom = ax.Cross(available);

    int adjustables = 0, fixedTotal = 0, estimated = 0;
    for (CControlUI* item : m_items) {
        if (!item->IsVisible() || item->IsFloat())
            continue;
        SIZE sz = item->EstimateSize(available);
        RECT pad = ToPixels(item->GetPadding());
        int main = ax.Main(sz);
        if (main == 0)
            ++adjustables;
        else
            main = Clamp(main, ax.MinMain(item), ax.MaxMain(item));
        fixedTotal += main + ax.Before(pad) + ax.After(pad);
        ++estimated;
    }
    if (estimated > 1)
        fixedTotal += (estimated - 1) * childPadding;
    int expand = adjustables > 0 ? std::max(0, (room - fixedTotal) / adjustables) : 0;

    SIZE scroll = GetScrollPos();
    int pos = ax.Before(rc) - ax.Main(scroll);
    int crossPos = ax.CrossBefore(rc) - ax.Cross(scroll);
    int needed = 0;
    int adjustable = 0;
    int remainingFixed = fixedTotal;
    int remaining = room;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = m_items[i];
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = ToPixels(item->GetPadding());
        SIZE sz = item->EstimateSize(available);
        int main = ax.Main(sz);
        if (main == 0) {
            ++adjustable;
            main = expand;
            if (adjustable == adjustables)
                main = std::max(0, remaining - remainingFixed);
            main = Clamp(main, ax.MinMain(item), ax.MaxMain(item));
        } else {
            main = Clamp(main, ax.MinMain(item), ax.MaxMain(item));
            remainingFixed -= main + ax.Before(pad) + ax.After(pad) + childPadding;
        }
        int cross = ax.Cross(sz);
        if (cross == 0)
            cross = crossRoom - ax.CrossBefore(pad) - ax.CrossAfter(pad);
        cross = Clamp(cross, ax.MinCross(item), ax.MaxCross(item));
        cross = std::max(0, cross);
        item->SetPos(ax.MakeRect(pos + ax.Before(pad), crossPos + ax.CrossBefore(pad), main, cross), false);
        int step = main + ax.Before(pad) + ax.After(pad);
        pos += step + childPadding;
        needed += step + childPadding;
        remaining -= step + childPadding;
    }
    if (needed > 0)
        needed -= childPadding;
    return needed;
}

void CContainerUI::SetLinePos(RECT rc, bool needInvalidate, bool vertical)
{
    CControlUI::SetPos(rc, needInvalidate);
    for (int pass = 0; pass < 2; ++pass) {
        int needed = LayoutLine(ClientRect(), vertical);
        RECT full = DeflateRect(m_rcItem, ToPixels(m_rcInset));
        if (!ProcessScrollBar(full, vertical ? 0 : needed, vertical ? needed : 0))
            break;
    }
}

} // namespace dui

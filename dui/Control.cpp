#include "dui/Control.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"
#include "dui/ResourceManager.h"

#include <algorithm>
#include <charconv>

namespace dui {

namespace {

// Sizes and offsets beyond this are cut, so layout sums of hostile layouts cannot overflow.
constexpr int kMaxExtent = 1 << 20;

int Limit(int v)
{
    return std::clamp(v, -kMaxExtent, kMaxExtent);
}

int ToInt(std::string_view text)
{
    int v = 0;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

} // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (m_pManager)
        m_pManager->ReapObjects(this);
}

void CControlUI::SetName(std::string_view name)
{
    if (name == m_sName)
        return;
    std::string old = m_sName;
    m_sName = name;
    if (m_pManager)
        m_pManager->RenameControl(this, old);
}

std::string CControlUI::GetClass() const
{
    return "Control";
}

void* CControlUI::GetInterface(std::string_view name)
{
    return name == "Control" ? this : nullptr;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent)
        Init();
}

std::string CControlUI::GetText() const
{
    return m_bResourceText ? CResourceManager::GetInstance()->GetText(m_sText, "text") : m_sText;
}

std::string CControlUI::GetToolTip() const
{
    return m_bResourceText ? CResourceManager::GetInstance()->GetText(m_sToolTip, "tooltip") : m_sToolTip;
}

void CControlUI::SetResourceText(bool resourceText)
{
    if (m_bResourceText == resourceText)
        return;
    m_bResourceText = resourceText;
    NeedUpdate();
}

void CControlUI::SetText(std::string_view text)
{
    if (m_sText == text)
        return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

void CControlUI::SetTextColor(DWORD color)
{
    m_dwTextColor = color;
    Invalidate();
}

void CControlUI::SetDisabledTextColor(DWORD color)
{
    m_dwDisabledTextColor = color;
    Invalidate();
}

void CControlUI::SetTextStyle(UINT style)
{
    m_uTextStyle = style;
    Invalidate();
}

void CControlUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD color)
{
    m_dwBackColor = color;
    Invalidate();
}

void CControlUI::SetBkColor2(DWORD color)
{
    m_dwBackColor2 = color;
    Invalidate();
}

void CControlUI::SetBkImage(std::string_view image)
{
    m_sBkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(std::string_view image)
{
    m_sForeImage = image;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color)
{
    m_dwBorderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD color)
{
    m_dwFocusBorderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round)
{
    m_cxyBorderRound = round;
    Invalidate();
}

bool CControlUI::DrawImage(HDC hDC, std::string_view image, std::string_view modify)
{
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, image, modify);
}

void CControlUI::SetPos(RECT rc, bool needInvalidate)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (needInvalidate && !(rc == m_rcItem))
        Invalidate();
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (needInvalidate)
        Invalidate();
}

void CControlUI::SetPadding(RECT rc)
{
    m_rcPadding = {Limit(rc.left), Limit(rc.top), Limit(rc.right), Limit(rc.bottom)};
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE xy)
{
    m_cXY = {Limit(xy.cx), Limit(xy.cy)};
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyFixed.cx = Limit(cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyFixed.cy = Limit(cy);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMin.cx = Limit(cx);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMax.cx = Limit(cx);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMin.cy = Limit(cy);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMax.cy = Limit(cy);
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return ToPixels(m_cxyFixed);
}

int CControlUI::ToPixels(int value) const
{
    return m_pManager ? m_pManager->ScaleValue(value) : value;
}

RECT CControlUI::ToPixels(const RECT& rc) const
{
    return m_pManager ? m_pManager->ScaleRect(rc) : rc;
}

SIZE CControlUI::ToPixels(SIZE size) const
{
    return m_pManager ? m_pManager->ScaleSize(size) : size;
}

int CControlUI::FromPixels(int pixels) const
{
    return m_pManager ? m_pManager->UnscaleValue(pixels) : pixels;
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    bool wasVisible = IsVisible();
    m_bVisible = visible;
    if (m_bFocused && !visible)
        m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible)
{
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    if (!enabled && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    Invalidate();
}

void CControlUI::SetMouseEnabled(bool enabled)
{
    m_bMouseEnabled = enabled;
}

void CControlUI::SetKeyboardEnabled(bool enabled)
{
    m_bKeyboardEnabled = enabled;
}

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

void CControlUI::SetFloat(bool isFloat)
{
    if (m_bFloat == isFloat)
        return;
    m_bFloat = isFloat;
    NeedParentUpdate();
}

bool CControlUI::SetTimer(UINT id, UINT elapseMs)
{
    return m_pManager && m_pManager->SetTimer(this, id, elapseMs);
}

void CControlUI::KillTimer(UINT id)
{
    if (m_pManager)
        m_pManager->KillTimer(this, id);
}

CControlUI* CControlUI::FindSubControl(std::string_view name)
{
    return FindControl(
        [](CControlUI* control, void* data) {
            return control->GetName() == *static_cast<std::string_view*>(data) ? control : nullptr;
        },
        &name, UIFIND_ALL);
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if ((flags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) && (!m_bMouseEnabled || !PtInRect(m_rcItem, *static_cast<POINT*>(data))))
        return nullptr;
    return proc(this, data);
}

void CControlUI::Invalidate()
{
    if (!IsVisible() || !m_pManager)
        return;
    m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::Init()
{
    DoInit();
}

void CControlUI::Event(TEventUI& event)
{
    if (OnEvent && !OnEvent(event))
        return;
    DoEvent(event);
}

bool CControlUI::TrackHot(const TEventUI& event, UINT& state)
{
    if (event.Type != UIEVENT_MOUSEENTER && event.Type != UIEVENT_MOUSELEAVE)
        return false;
    if (IsEnabled()) {
        if (event.Type == UIEVENT_MOUSEENTER)
            state |= UISTATE_HOT;
        else
            state &= ~UISTATE_HOT;
        Invalidate();
    }
    return true;
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (m_pManager)
            m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    default:
        break;
    }
    if (m_pParent)
        m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(std::string_view name, std::string_view value)
{
    RECT rc;
    SIZE sz;
    if (name == "pos") {
        ParseRect(value, rc);
        SetFixedXY({rc.left, rc.top});
        SetFixedWidth(std::max(0, rc.right - rc.left));
        SetFixedHeight(std::max(0, rc.bottom - rc.top));
    } else if (name == "padding") {
        ParseRect(value, rc);
        SetPadding(rc);
    } else if (name == "bkcolor" || name == "bkcolor1") {
        SetBkColor(ParseColor(value));
    } else if (name == "bkcolor2") {
        SetBkColor2(ParseColor(value));
    } else if (name == "bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (name == "focusbordercolor") {
        SetFocusBorderColor(ParseColor(value));
    } else if (name == "bordersize") {
        SetBorderSize(ToInt(value));
    } else if (name == "borderround") {
        ParseSize(value, sz);
        SetBorderRound(sz);
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "width") {
        SetFixedWidth(ToInt(value));
    } else if (name == "height") {
        SetFixedHeight(ToInt(value));
    } else if (name == "minwidth") {
        SetMinWidth(ToInt(value));
    } else if (name == "minheight") {
        SetMinHeight(ToInt(value));
    } else if (name == "maxwidth") {
        SetMaxWidth(ToInt(value));
    } else if (name == "maxheight") {
        SetMaxHeight(ToInt(value));
    } else if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "cursor") {
        int cursor = UICURSOR_ARROW;
        ParseCursor(value, cursor);
        SetCursor(cursor);
    } else if (name == "resourcetext") {
        SetResourceText(ParseBool(value));
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == "keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (name == "visible") {
        SetVisible(ParseBool(value));
    } else if (name == "float") {
        SetFloat(ParseBool(value));
    } else if (name == "font") {
        SetFont(ToInt(value));
    } else if (name == "textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == "disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == "textpadding") {
        ParseRect(value, rc);
        SetTextPadding(rc);
    } else if (name == "align") {
        UINT style = m_uTextStyle & ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (value.find("center") != std::string_view::npos)
            style |= DT_CENTER;
        else if (value.find("right") != std::string_view::npos)
            style |= DT_RIGHT;
        SetTextStyle(style);
    } else if (name == "valign") {
        UINT style = m_uTextStyle & ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
        if (value.find("vcenter") != std::string_view::npos || value.find("center") != std::string_view::npos)
            style |= DT_VCENTER;
        else if (value.find("bottom") != std::string_view::npos)
            style |= DT_BOTTOM;
        SetTextStyle(style);
    } else if (name == "endellipsis") {
        SetTextStyle(ParseBool(value) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
    } else if (name == "multiline" || name == "wordbreak") {
        SetTextStyle(ParseBool(value) ? ((m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK)
                                      : ((m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE));
    }
}

void CControlUI::ApplyAttributeList(std::string_view list)
{
    size_t pos = 0;
    while (pos < list.size()) {
        while (pos < list.size() &&
               (list[pos] == ' ' || list[pos] == '\t' || list[pos] == '\n' || list[pos] == '\r'))
            ++pos;
        size_t eq = list.find('=', pos);
        if (eq == std::string_view::npos)
            return;
        std::string_view name = list.substr(pos, eq - pos);
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        size_t open = eq + 1;
        while (open < list.size() && list[open] == ' ')
            ++open;
        if (open >= list.size() || (list[open] != '"' && list[open] != '\''))
            return;
        char quote = list[open];
        size_t close = list.find(quote, open + 1);
        if (close == std::string_view::npos)
            return;
        SetAttribute(name, list.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem))
        return;
    bool rounded = m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0;
    if (rounded) {
        SIZE round = ToPixels(m_cxyBorderRound);
        hDC->Save();
        hDC->ClipRoundRect(m_rcItem, round.cx, round.cy);
    }
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    if (rounded)
        hDC->Restore();
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_dwBackColor == 0)
        return;
    if (m_dwBackColor2 != 0)
        CRenderEngine::DrawGradient(hDC, m_rcItem, m_dwBackColor, m_dwBackColor2, true);
    else
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwBackColor);
}

void CControlUI::PaintBkImage(HDC hDC)
{
    if (!m_sBkImage.empty())
        DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintText(HDC hDC)
{
    if (m_sText.empty())
        return;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (color == 0 && m_pManager)
        color = IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    CRenderEngine::DrawText(hDC, m_pManager, DeflateRect(m_rcItem, ToPixels(m_rcTextPadding)), GetText(),
                            color, m_iFont, m_uTextStyle);
}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_nBorderSize <= 0)
        return;
    DWORD color = (IsFocused() && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
    if (color == 0)
        return;
    // A border stays at least one pixel wide at any scale.
    int size = std::max(1, ToPixels(m_nBorderSize));
    SIZE round = ToPixels(m_cxyBorderRound);
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, size, round.cx, round.cy, color);
    else
        CRenderEngine::DrawRect(hDC, m_rcItem, size, color);
}

} // namespace dui

#include "dui/Edit.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

#include <algorithm>
#include <charconv>

namespace dui {

std::u32string Utf8ToUtf32(std::string_view s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool bad = false;
        for (int k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                bad = true;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (bad) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text)
{
    std::string out;
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

CEditUI::CEditUI()
{
    m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    m_rcTextPadding = {4, 2, 4, 2};
    m_dwEditBkColor = 0xFFFFFFFF;
}

std::string CEditUI::GetClass() const
{
    return "Edit";
}

void* CEditUI::GetInterface(std::string_view name)
{
    return name == "Edit" ? this : CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_SETCURSOR | UIFLAG_TABSTOP) : 0;
}

void CEditUI::SetText(std::string_view text)
{
    std::u32string t = Utf8ToUtf32(text);
    if (t.size() > m_uMaxChar)
        t.resize(m_uMaxChar);
    m_text = t;
    m_nCaret = static_cast<int>(m_text.size());
    CLabelUI::SetText(Utf32ToUtf8(m_text));
}

void CEditUI::SetMaxChar(UINT max)
{
    m_uMaxChar = max;
    if (m_text.size() > max)
        SetText(Utf32ToUtf8(m_text.substr(0, max)));
}

void CEditUI::SetReadOnly(bool readOnly)
{
    m_bReadOnly = readOnly;
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password)
{
    m_bPasswordMode = password;
    Invalidate();
}

void CEditUI::SetCaret(int position)
{
    m_nCaret = std::clamp(position, 0, static_cast<int>(m_text.size()));
    Invalidate();
}

void CEditUI::Changed()
{
    m_sText = Utf32ToUtf8(m_text);
    Invalidate();
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

bool CEditUI::InsertChar(char32_t ch)
{
    if (m_bReadOnly || m_text.size() >= m_uMaxChar)
        return false;
    if (m_bNumberOnly && (ch < U'0' || ch > U'9'))
        return false;
    m_text.insert(m_text.begin() + m_nCaret, ch);
    ++m_nCaret;
    Changed();
    return true;
}

bool CEditUI::HandleKey(int key)
{
    int size = static_cast<int>(m_text.size());
    switch (key) {
    case VK_BACK:
        if (!m_bReadOnly && m_nCaret > 0) {
            m_text.erase(m_text.begin() + --m_nCaret);
            Changed();
        }
        return true;
    case VK_DELETE:
        if (!m_bReadOnly && m_nCaret < size) {
            m_text.erase(m_text.begin() + m_nCaret);
            Changed();
        }
        return true;
    case VK_LEFT:
        SetCaret(m_nCaret - 1);
        return true;
    case VK_RIGHT:
        SetCaret(m_nCaret + 1);
        return true;
    case VK_HOME:
        SetCaret(0);
        return true;
    case VK_END:
        SetCaret(size);
        return true;
    case VK_RETURN:
        if (m_bWantReturn && !m_bReadOnly) {
            InsertChar(U'\n');
        } else if (m_pManager) {
            m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
        }
        return true;
    default:
        return false;
    }
}

void CEditUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        CLabelUI::DoEvent(event);
        return;
    }
    if (TrackHot(event, m_uButtonState))
        return;
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        if (IsEnabled())
            m_nCaret = static_cast<int>(m_text.size());
        CLabelUI::DoEvent(event);
        return;
    case UIEVENT_KILLFOCUS:
        CLabelUI::DoEvent(event);
        return;
    case UIEVENT_CHAR:
        if (IsEnabled() && IsFocused() && event.chKey >= 0x20 && event.chKey != 0x7F)
            InsertChar(event.chKey);
        return;
    case UIEVENT_KEYDOWN:
        if (IsEnabled() && IsFocused() && HandleKey(static_cast<int>(event.chKey)))
            return;
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        return;
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEMOVE:
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == "numberonly") {
        SetNumberOnly(ParseBool(value));
    } else if (name == "password") {
        SetPasswordMode(ParseBool(value));
    } else if (name == "maxchar") {
        UINT v = 0;
        std::from_chars(value.data(), value.data() + value.size(), v);
        SetMaxChar(v);
    } else if (name == "normalimage") {
        m_sNormalImage = value;
    } else if (name == "hotimage") {
        m_sHotImage = value;
    } else if (name == "focusedimage") {
        m_sFocusedImage = value;
    } else if (name == "disabledimage") {
        m_sDisabledImage = value;
    } else if (name == "nativebkcolor") {
        m_dwEditBkColor = ParseColor(value);
    } else if (name == "text") {
        SetText(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::PaintStatusImage(HDC hDC)
{
    const std::string* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.empty())
        image = &m_sDisabledImage;
    else if (IsFocused() && !m_sFocusedImage.empty())
        image = &m_sFocusedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotImage.empty())
        image = &m_sHotImage;
    if (!image->empty())
        DrawImage(hDC, *image);
    if (IsFocused() && m_dwEditBkColor && image->empty() && m_dwBackColor == 0)
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwEditBkColor);
}

std::string CEditUI::DisplayText() const
{
    if (m_bPasswordMode)
        return std::string(m_text.size(), '*');
    return m_sText;
}

void CEditUI::PaintText(HDC hDC)
{
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (color == 0 && m_pManager)
        color = IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    RECT rc = DeflateRect(m_rcItem, m_rcTextPadding);
    std::string shown = DisplayText();
    if (!shown.empty())
        CRenderEngine::DrawText(hDC, m_pManager, rc, shown, color, m_iFont, m_uTextStyle & ~DT_END_ELLIPSIS);
    if (IsFocused() && !m_bReadOnly && (m_uTextStyle & DT_SINGLELINE)) {
        std::u32string before = m_bPasswordMode ? std::u32string(m_nCaret, U'*') : m_text.substr(0, m_nCaret);
        int x =
            rc.left + CRenderEngine::GetTextSize(m_pManager, Utf32ToUtf8(before), m_iFont, DT_SINGLELINE).cx;
        CRenderEngine::DrawLine(hDC, {x, rc.top + 2}, {x, rc.bottom - 2}, 1, color);
    }
}

} // namespace dui

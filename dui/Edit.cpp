#include "dui/Edit.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <charconv>
#include <functional>

namespace dui {

// The native window that shows the manager's controls (WindowWnd.cpp); nullptr when it has none.
QWidget* NativeHostWidget(const CPaintManagerUI* manager);

namespace {

// The line edit shown over a focused edit control; it says when it loses the focus.
class CNativeLineEdit final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onFocusLost;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        QLineEdit::keyPressEvent(e);
        // Enter was answered with returnPressed; passed on, the window would send "return" again.
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            e->accept();
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QLineEdit::focusOutEvent(e);
        // Its own context menu takes the focus only for a moment.
        if (e->reason() == Qt::PopupFocusReason)
            return;
        // A copy: the call may remove the editor and this function with it.
        if (auto fn = onFocusLost)
            fn();
    }
};

bool AllDigits(std::u32string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char32_t c) { return c >= U'0' && c <= U'9'; });
}

} // namespace

struct CEditUI::NativeEditor
{
    QObject context; // owns the signal connections: they end with the editor
    QPointer<CNativeLineEdit> edit;
    bool syncing = false; // the control is writing into the editor
};

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
    m_nCursor = UICURSOR_IBEAM;
}

CEditUI::~CEditUI()
{
    HideNativeEditor();
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
    SyncNativeEditor();
}

void CEditUI::SetMaxChar(UINT max)
{
    m_uMaxChar = max;
    if (m_text.size() > max)
        SetText(Utf32ToUtf8(m_text.substr(0, max)));
    SyncNativeEditor();
}

void CEditUI::SetReadOnly(bool readOnly)
{
    m_bReadOnly = readOnly;
    SyncNativeEditor();
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password)
{
    m_bPasswordMode = password;
    SyncNativeEditor();
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly)
{
    m_bNumberOnly = numberOnly;
    SyncNativeEditor();
}

bool CEditUI::HasNativeEditor() const
{
    return m_native && m_native->edit;
}

bool CEditUI::TypeIntoNativeEditor(std::string_view text)
{
    if (!HasNativeEditor())
        return false;
    m_native->edit->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

void CEditUI::ShowNativeEditor()
{
    // Multi-line text has no native one-line editor; the control edits it itself.
    if (m_native || !m_pManager || m_bWantReturn || !(m_uTextStyle & DT_SINGLELINE))
        return;
    QWidget* host = NativeHostWidget(m_pManager);
    if (!host || !host->isVisible())
        return;
    m_native = std::make_unique<NativeEditor>();
    auto* edit = new CNativeLineEdit(host);
    m_native->edit = edit;
    edit->setFrame(false);
    const TFontInfo info = m_pManager->GetScaledFontInfo(m_iFont);
    QFont font(QString::fromStdString(info.sFontName));
    font.setPixelSize(std::max(1, info.iSize));
    font.setBold(info.bBold);
    font.setUnderline(info.bUnderline);
    font.setItalic(info.bItalic);
    edit->setFont(font);
    RECT padding = ToPixels(m_rcTextPadding);
    edit->setTextMargins(padding.left, padding.top, padding.right, padding.bottom);
    PlaceNativeEditor();
    SyncNativeEditor();
    edit->setCursorPosition(m_nCaret);
    QObject::connect(edit, &QLineEdit::textChanged, &m_native->context, [this](const QString& text) {
        if (HasNativeEditor() && !m_native->syncing)
            NativeTextEdited(text.toStdU32String(), m_native->edit->cursorPosition());
    });
    QObject::connect(edit, &QLineEdit::returnPressed, &m_native->context, [this] {
        if (m_pManager)
            m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
    });
    edit->onFocusLost = [this] {
        if (m_pManager && m_pManager->GetFocus() == this)
            m_pManager->SetFocus(nullptr);
    };
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
}

void CEditUI::PlaceNativeEditor()
{
    if (HasNativeEditor())
        m_native->edit->setGeometry(m_rcItem.left, m_rcItem.top, m_rcItem.Width(), m_rcItem.Height());
}

RECT CEditUI::GetNativeEditorPos() const
{
    if (!HasNativeEditor())
        return {};
    QRect r = m_native->edit->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CEditUI::SetPos(RECT rc, bool needInvalidate)
{
    CLabelUI::SetPos(rc, needInvalidate);
    PlaceNativeEditor();
}

void CEditUI::HideNativeEditor()
{
    std::unique_ptr<NativeEditor> native = std::move(m_native);
    if (!native || !native->edit)
        return;
    CNativeLineEdit* edit = native->edit;
    edit->onFocusLost = nullptr;
    native.reset(); // ends the connections before the editor goes
    edit->hide();
    // Removal may be asked from inside one of the editor's own events.
    edit->deleteLater();
}

void CEditUI::SyncNativeEditor()
{
    if (!HasNativeEditor())
        return;
    CNativeLineEdit* edit = m_native->edit;
    m_native->syncing = true;
    edit->setMaxLength(static_cast<int>(std::min<UINT>(m_uMaxChar, 32767)));
    edit->setReadOnly(m_bReadOnly);
    edit->setEchoMode(m_bPasswordMode ? QLineEdit::Password : QLineEdit::Normal);
    if (m_bNumberOnly && !edit->validator())
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    else if (!m_bNumberOnly && edit->validator())
        edit->setValidator(nullptr);
    QString text = QString::fromStdU32String(m_text);
    if (edit->text() != text)
        edit->setText(text);
    m_native->syncing = false;
}

void CEditUI::NativeTextEdited(std::u32string text, int caret)
{
    // The editor enforces the limits for typing; text put into it otherwise is held to them here.
    if (text.size() > m_uMaxChar)
        text.resize(m_uMaxChar);
    if (m_bReadOnly || (m_bNumberOnly && !AllDigits(text))) {
        SyncNativeEditor();
        return;
    }
    if (text == m_text)
        return;
    m_text = std::move(text);
    m_nCaret = std::clamp(caret, 0, static_cast<int>(m_text.size()));
    Changed();
    SyncNativeEditor(); // shows a shortened text
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
        if (IsEnabled())
            ShowNativeEditor();
        return;
    case UIEVENT_KILLFOCUS:
        HideNativeEditor();
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
    RECT rc = DeflateRect(m_rcItem, ToPixels(m_rcTextPadding));
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

#pragma once
// CControlUI: the base of every control of the skin library. A control is a light object owned by its
// parent container; the window's paint manager lays it out (SetPos), paints it (DoPaint and its steps)
// and feeds it events (DoEvent). Layout files set its properties by attribute name (SetAttribute).

#include "dui/UIDefine.h"

#include <functional>
#include <string>
#include <string_view>

namespace dui {

class CPaintManagerUI;

// Callback of FindControl: answers the control when it is the one searched, else nullptr.
using FINDCONTROLPROC = CControlUI* (*)(CControlUI* control, void* data);

class CControlUI
{
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Identity.
    virtual std::string GetName() const { return m_sName; }
    virtual void SetName(std::string_view name);
    // The class name the layouts use for this control ("Control", "Button", ...).
    virtual std::string GetClass() const;
    // This object seen as the named interface ("Control", "Button", ...), or nullptr.
    virtual void* GetInterface(std::string_view name);
    virtual UINT GetControlFlags() const { return 0; }
    // Performs the control's action ("click" for buttons); false when disabled or hidden.
    virtual bool Activate();

    // Tree.
    virtual CPaintManagerUI* GetManager() const { return m_pManager; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const { return m_pParent; }

    // Text. The text and tool tip are language keys while the control's resource-text flag is on (the
    // default): GetText and GetToolTip answer the language table's text for them (CResourceManager).
    virtual std::string GetText() const;
    virtual void SetText(std::string_view text);
    // The text as set, never translated.
    const std::string& GetRawText() const { return m_sText; }
    bool IsResourceText() const { return m_bResourceText; }
    void SetResourceText(bool resourceText);
    virtual std::string GetToolTip() const;
    virtual void SetToolTip(std::string_view text) { m_sToolTip = text; }
    // The pointer shape while the mouse is over the control (UICURSOR_*).
    int GetCursor() const { return m_nCursor; }
    void SetCursor(int cursor) { m_nCursor = cursor; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);

    // Colours, images and border.
    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD color);
    std::string GetBkImage() const { return m_sBkImage; }
    void SetBkImage(std::string_view image);
    std::string GetForeImage() const { return m_sForeImage; }
    void SetForeImage(std::string_view image);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);
    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE round);
    // Draws an image description over the control (see CRenderEngine::DrawImageString).
    bool DrawImage(HDC hDC, std::string_view image, std::string_view modify = {});

    // Position and size rules. Sizes, paddings and offsets are set and read at 96 DPI; the position is in
    // pixels at the window's scale (see CPaintManagerUI::SetDPI).
    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc, bool needInvalidate = true);
    virtual int GetWidth() const { return m_rcItem.Width(); }
    virtual int GetHeight() const { return m_rcItem.Height(); }
    virtual RECT GetPadding() const { return m_rcPadding; }
    virtual void SetPadding(RECT rc);
    // Offset of a floating control inside its parent.
    virtual SIZE GetFixedXY() const { return m_cXY; }
    virtual void SetFixedXY(SIZE xy);
    virtual int GetFixedWidth() const { return m_cxyFixed.cx; }
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const { return m_cxyFixed.cy; }
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const { return m_cxyMin.cx; }
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const { return m_cxyMax.cx; }
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const { return m_cxyMin.cy; }
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const { return m_cxyMax.cy; }
    virtual void SetMaxHeight(int cy);
    // The size the control wants inside the available size, in pixels; 0 in a dimension means "stretch".
    virtual SIZE EstimateSize(SIZE available);
    // A layout value in pixels at the window's scale (unchanged without a window), and back.
    int ToPixels(int value) const;
    RECT ToPixels(const RECT& rc) const;
    SIZE ToPixels(SIZE size) const;
    int FromPixels(int pixels) const;

    // State.
    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    virtual void SetVisible(bool visible = true);
    // Visibility imposed by the parent (a hidden container hides its children).
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsMouseEnabled() const { return m_bMouseEnabled; }
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();
    virtual bool IsFloat() const { return m_bFloat; }
    virtual void SetFloat(bool isFloat = true);
    // Selection, for controls that have it (options, list items); the base has none.
    virtual bool IsSelected() const { return false; }

    // User data.
    std::string GetUserData() const { return m_sUserData; }
    void SetUserData(std::string_view text) { m_sUserData = text; }
    uintptr_t GetTag() const { return m_pTag; }
    void SetTag(uintptr_t tag) { m_pTag = tag; }

    // Timers of this control, delivered as UIEVENT_TIMER with the id in wParam.
    bool SetTimer(UINT id, UINT elapseMs);
    void KillTimer(UINT id);

    // Search in this control and (for containers) its descendants.
    virtual CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags);
    // This control or the first descendant with the name, hidden or not; nullptr when none.
    CControlUI* FindSubControl(std::string_view name);

    // Repaint and relayout requests.
    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Lays this control out again on the next paint.
    void NeedUpdate();
    // Lays the parent (and so this control's siblings) out again.
    void NeedParentUpdate();

    // Called once when the control joins a window's tree.
    void Init();
    virtual void DoInit() {}

    // Events: Event passes the event to the optional OnEvent hook, then to DoEvent.
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    // Hook that sees every event first; answering false swallows it.
    std::function<bool(TEventUI&)> OnEvent;

    // Attributes by name, as written in a layout file.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    // Applies a list of name="value" pairs.
    void ApplyAttributeList(std::string_view list);

    // Painting: DoPaint runs the steps below in order over the part of the control inside rcPaint.
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void DoPostPaint(HDC, const RECT&) {}

protected:
    friend class CPaintManagerUI;

    // Hot tracking of the controls with a button state: entering sets UISTATE_HOT, leaving clears it
    // (while enabled), with a repaint. True when the event was one of the two.
    bool TrackHot(const TEventUI& event, UINT& state);

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    std::string m_sName;
    bool m_bUpdateNeeded = true;
    RECT m_rcItem;
    RECT m_rcPadding;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax{9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bSetPos = false;
    bool m_bResourceText = true;

    std::string m_sText;
    std::string m_sToolTip;
    std::string m_sUserData;
    uintptr_t m_pTag = 0;
    int m_iFont = -1;
    int m_nCursor = UICURSOR_ARROW;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding;

    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    int m_nBorderSize = 0;
    SIZE m_cxyBorderRound;
    std::string m_sBkImage;
    std::string m_sForeImage;
    // The part of the control being painted (set by DoPaint for the paint steps).
    RECT m_rcPaint;
};

} // namespace dui

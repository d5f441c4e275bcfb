#pragma once
// CContainerUI: a control that owns child controls. The base container lays every child over its inset
// client area; the layouts (vertical, horizontal, tab, tile) place them their own way. A container may
// scroll: with "vscrollbar"/"hscrollbar" it shows scroll bars when its children need more room.

#include "dui/Control.h"

#include <vector>

namespace dui {

class CScrollBarUI;

// The child operations of a container.
class IContainerUI
{
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    // Removes the child and deletes it unless doNotDestroy (then the caller owns it).
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false) = 0;
    virtual bool RemoveAt(int index, bool doNotDestroy = false) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI
{
public:
    CContainerUI();
    ~CContainerUI() override;

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override { return static_cast<int>(m_items.size()); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    RECT GetInset() const { return m_rcInset; }
    void SetInset(RECT rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);
    bool IsAutoDestroy() const { return m_bAutoDestroy; }
    void SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
    bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
    void SetMouseChildEnabled(bool enabled = true) { m_bMouseChildEnabled = enabled; }

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // Places a floating child from its fixed offset and size, relative to this container (a negative
    // offset counts from the right or bottom edge).
    virtual void SetFloatPos(int index);

    // Scrolling.
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

protected:
    // Moves the scroll position by the given amounts (SetScrollPos clamps).
    void ScrollBy(int dx, int dy);
    // One line of a scroll bar in pixels: its line size, or 8 without the bar.
    int LineSizeOf(const CScrollBarUI* bar) const;
    // One page: the client height, at least 1.
    int PageSize() const;
    // The area children are laid out in: the item rectangle minus inset and visible scroll bars.
    RECT ClientRect() const;
    // Shows, hides and sizes the scroll bars for the room the children need; true when a scroll bar's
    // visibility changed (the caller lays out again).
    bool ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);
    // Clamps a child's estimated size to its min/max.
    static int Clamp(int value, int minValue, int maxValue);
    // Lays the visible children out in a line (top to bottom or left to right) inside rc: fixed sizes
    // first, the rest of the room shared by the children without a size, floating children placed by
    // SetFloatPos. Answers the length the children need along the line.
    int LayoutLine(RECT rc, bool vertical);
    // SetPos of the line layouts: lays out, then shows or hides the scroll bars and lays out again when
    // that changed the room.
    void SetLinePos(RECT rc, bool needInvalidate, bool vertical);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset;
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bMouseChildEnabled = true;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

} // namespace dui

#pragma once
// CSelectPanelUI: the key panel of a device page. It holds the pictures of the keys and LEDs (the
// "DeviceKeyButton" children) and lets the user select keys by dragging a rectangle over them.

#include "dui/Geometry.h"
#include "dui/VerticalLayout.h"

class CSelectPanelUI : public dui::CVerticalLayoutUI
{
public:
    static constexpr std::string_view kClassName = "SelectPanel";

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    // The current selection rectangle, normalised (left <= right, top <= bottom).
    const dui::RECT& GetSelectionRect() const { return m_rcSelection; }
    bool IsSelecting() const { return m_bSelecting; }

protected:
    bool m_bPressed = false;
    bool m_bSelecting = false;
    dui::POINT m_ptStart;
    dui::POINT m_ptCurrent;
    dui::RECT m_rcSelection;
};

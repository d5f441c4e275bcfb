#pragma once
// COptionUI: a button that stays selected. Options with the same "group" in one window are exclusive:
// selecting one unselects the others; a click on a grouped option selects it, a click on an option
// without a group toggles it. Every change sends "selectchanged" (wParam = 1 selected, 0 unselected).

#include "dui/Button.h"

namespace dui {

class COptionUI : public CButtonUI
{
public:
    ~COptionUI() override;

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    bool Activate() override;

    std::string GetGroup() const { return m_sGroupName; }
    void SetGroup(std::string_view group);
    bool IsSelected() const override { return m_bSelected; }
    virtual void Selected(bool selected, bool sendNotify = true);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    bool m_bSelected = false;
    std::string m_sGroupName;
    std::string m_sSelectedImage;
    std::string m_sSelectedHotImage;
    std::string m_sSelectedForeImage;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
};

} // namespace dui

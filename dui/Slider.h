#pragma once
// CSliderUI: a progress bar with a thumb the user drags. While dragging it sends "movevaluechanged"
// (unless "sendmove"="false"); releasing the mouse, or the scroll wheel, sends "valuechanged".

#include "dui/Progress.h"

namespace dui {

class CSliderUI : public CProgressUI
{
public:
    CSliderUI();

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enabled = true) override;

    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    SIZE GetThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE size);
    RECT GetThumbRect() const;
    bool IsSendMove() const { return m_bSendMove; }
    void SetCanSendMove(bool send) { m_bSendMove = send; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(HDC hDC) override;

private:
    int ValueAt(POINT pt) const;

    SIZE m_szThumb{10, 10};
    UINT m_uButtonState = 0;
    int m_nStep = 1;
    bool m_bSendMove = true;
    DWORD m_dwThumbColor = 0xFF606060;
    std::string m_sThumbImage;
    std::string m_sThumbHotImage;
    std::string m_sThumbPushedImage;
};

} // namespace dui

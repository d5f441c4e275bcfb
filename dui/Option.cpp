#include "dui/Option.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

namespace dui {

COptionUI::~COptionUI()
{
    if (!m_sGroupName.empty() && m_pManager)
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

std::string COptionUI::GetClass() const
{
    return "Option";
}

void* COptionUI::GetInterface(std::string_view name)
{
    return name == "Option" ? this : CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_pManager && m_pManager != manager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(manager, parent, init);
    if (init && m_pManager && !m_sGroupName.empty())
        m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(std::string_view group)
{
    if (group == m_sGroupName)
        return;
    if (m_pManager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = group;
    if (m_pManager && !m_sGroupName.empty())
        m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::Selected(bool selected, bool sendNotify)
{
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    if (m_pManager && !m_sGroupName.empty() && m_bSelected) {
        if (const auto* group = m_pManager->GetOptionGroup(m_sGroupName)) {
            std::vector<CControlUI*> members = *group;
            for (CControlUI* member : members) {
                auto* option = static_cast<COptionUI*>(member->GetInterface("Option"));
                if (option && option != this)
                    option->Selected(false, sendNotify);
            }
        }
    }
    if (sendNotify && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED, m_bSelected ? 1 : 0);
    Invalidate();
}

bool COptionUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (!m_sGroupName.empty())
        Selected(true);
    else
        Selected(!m_bSelected);
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void COptionUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "group")
        SetGroup(value);
    else if (name == "selected")
        Selected(ParseBool(value), false);
    else if (name == "selectedimage")
        m_sSelectedImage = value;
    else if (name == "selectedhotimage")
        m_sSelectedHotImage = value;
    else if (name == "selectedforeimage")
        m_sSelectedForeImage = value;
    else if (name == "selectedbkcolor")
        m_dwSelectedBkColor = ParseColor(value);
    else if (name == "selectedtextcolor")
        m_dwSelectedTextColor = ParseColor(value);
    else
        CButtonUI::SetAttribute(name, value);
    Invalidate();
}

void COptionUI::PaintBkColor(HDC hDC)
{
    if (m_bSelected && m_dwSelectedBkColor)
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwSelectedBkColor);
    else
        CButtonUI::PaintBkColor(hDC);
}

void COptionUI::PaintStatusImage(HDC hDC)
{
    if (m_bSelected) {
        const std::string& image = ((m_uButtonState & UISTATE_HOT) && !m_sSelectedHotImage.empty())
                                       ? m_sSelectedHotImage
                                       : m_sSelectedImage;
        if (!image.empty() && DrawImage(hDC, image)) {
            if (!m_sSelectedForeImage.empty())
                DrawImage(hDC, m_sSelectedForeImage);
            else if (!m_sForeImage.empty())
                DrawImage(hDC, m_sForeImage);
            return;
        }
    }
    CButtonUI::PaintStatusImage(hDC);
}

void COptionUI::PaintText(HDC hDC)
{
    DWORD saved = m_dwTextColor;
    if (m_bSelected && m_dwSelectedTextColor)
        m_dwTextColor = m_dwSelectedTextColor;
    CButtonUI::PaintText(hDC);
    m_dwTextColor = saved;
}

} // namespace dui

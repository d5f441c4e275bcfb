#include "dui/ControlFactory.h"

#include "dui/UIDefine.h"

#include <cctype>

namespace dui {

CControlFactory* CControlFactory::GetInstance()
{
    static CControlFactory instance;
    return &instance;
}

void CControlFactory::RegistControl(std::string_view name, CreateClass creator)
{
    if (name.empty() || !creator)
        return;
    std::lock_guard lock(m_lock);
    m_creators[ToLower(name)] = creator;
}

CControlUI* CControlFactory::CreateControl(std::string_view name) const
{
    CreateClass creator = nullptr;
    {
        std::lock_guard lock(m_lock);
        auto it = m_creators.find(ToLower(name));
        if (it != m_creators.end())
            creator = it->second;
    }
    return creator ? creator() : nullptr;
}

bool CControlFactory::IsRegistered(std::string_view name) const
{
    std::lock_guard lock(m_lock);
    return m_creators.count(ToLower(name)) != 0;
}

} // namespace dui

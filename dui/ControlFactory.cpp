#include "dui/ControlFactory.h"

#include <cctype>

namespace dui {

namespace {
std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
} // namespace

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
    m_creators[Lower(name)] = creator;
}

CControlUI* CControlFactory::CreateControl(std::string_view name) const
{
    CreateClass creator = nullptr;
    {
        std::lock_guard lock(m_lock);
        auto it = m_creators.find(Lower(name));
        if (it != m_creators.end())
            creator = it->second;
    }
    return creator ? creator() : nullptr;
}

bool CControlFactory::IsRegistered(std::string_view name) const
{
    std::lock_guard lock(m_lock);
    return m_creators.count(Lower(name)) != 0;
}

} // namespace dui

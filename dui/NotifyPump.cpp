#include "dui/NotifyPump.h"

#include "dui/Control.h"

namespace dui {

bool CNotifyPump::AddVirtualWnd(std::string_view name, CNotifyPump* pump)
{
    if (name.empty() || !pump || m_virtualWnds.count(name))
        return false;
    m_virtualWnds.emplace(std::string(name), pump);
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(std::string_view name)
{
    auto it = m_virtualWnds.find(name);
    if (it == m_virtualWnds.end())
        return false;
    m_virtualWnds.erase(it);
    return true;
}

bool CNotifyPump::NotifyPump(TNotifyUI& msg)
{
    if (!msg.sVirtualWnd.empty()) {
        auto it = m_virtualWnds.find(msg.sVirtualWnd);
        if (it != m_virtualWnds.end())
            return it->second->LoopDispatch(msg);
    }
    return LoopDispatch(msg);
}

void CNotifyPump::BindNotify(std::string_view type, Handler handler)
{
    m_handlers.push_back({std::string(type), {}, std::move(handler)});
}

void CNotifyPump::BindNotify(std::string_view type, std::string_view senderName, Handler handler)
{
    m_handlers.push_back({std::string(type), std::string(senderName), std::move(handler)});
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg)
{
    std::string sender = msg.pSender ? msg.pSender->GetName() : std::string();
    // Copies: a handler may bind more handlers.
    for (bool named : {true, false}) {
        for (Entry entry : std::vector<Entry>(m_handlers)) {
            if (entry.type != msg.sType || entry.sender.empty() == named)
                continue;
            if (named && entry.sender != sender)
                continue;
            entry.handler(msg);
            return true;
        }
    }
    return false;
}

} // namespace dui

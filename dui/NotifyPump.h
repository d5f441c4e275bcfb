#pragma once
// CNotifyPump: a notification map. An object binds handlers to notification types (optionally for one
// sender name) and pumps the notifications it receives through them. Named sub-pumps ("virtual
// windows") take the notifications whose sVirtualWnd names them.

#include "dui/UIDefine.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dui {

class CNotifyPump
{
public:
    using Handler = std::function<void(TNotifyUI&)>;

    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(std::string_view name, CNotifyPump* pump);
    bool RemoveVirtualWnd(std::string_view name);
    // Hands the notification to the virtual window it names, or to this pump's own handlers: those bound
    // to its type and sender name first, then those bound to its type. True when a handler ran.
    bool NotifyPump(TNotifyUI& msg);

    // Binds a handler to a type for every sender, or for the sender of that name.
    void BindNotify(std::string_view type, Handler handler);
    void BindNotify(std::string_view type, std::string_view senderName, Handler handler);

protected:
    bool LoopDispatch(TNotifyUI& msg);

private:
    struct Entry
    {
        std::string type;
        std::string sender; // empty: any sender
        Handler handler;
    };
    std::map<std::string, CNotifyPump*, std::less<>> m_virtualWnds;
    std::vector<Entry> m_handlers;
};

} // namespace dui

#pragma once
// CNotifyRouter: routes the main window's control notifications, a type word and the sending control,
// to the operation that handles them. The routing is data: a table of types, each with a table of
// rules tested in order (first match wins). A rule names a control exactly or by the prefix of an
// indexed name ("DPI_slider_" + 3), compares names without regard to letter case unless marked
// case-sensitive, and may act only when the current device is present, or is a keyboard or a mouse.
// Rules whose feature does not exist yet carry the shared NotYetRouted handler.
//
// Runs on the UI thread only; holds no locks.

#include "app/RouteTarget.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dui {
class CControlUI;
}

// An indexed control name split at its last underscore: the prefix (underscore included) and the
// decimal value of the leading digits after it (0 when there are none).
struct NotifyName
{
    std::string_view prefix;
    int index = 0;
};
// Nothing when the name has no underscore.
std::optional<NotifyName> SplitNotifyName(std::string_view name);

enum class NameMatch
{
    Exact,  // the whole name
    Prefix, // the prefix of an indexed name; the index goes to the handler
    Any     // every sender
};

enum class NameCase
{
    Insensitive,
    Sensitive
};

// When a rule acts.
enum class DeviceCondition
{
    Always,   // window controls: also without a device
    Device,   // a current device of any kind
    Keyboard, // the current device is a keyboard
    Mouse     // the current device is a mouse
};

// What a handler gets.
struct RouteCall
{
    dui::CControlUI* sender = nullptr;
    std::string_view name;
    int index = 0;    // of an indexed name; 0 otherwise
    int argument = 0; // the rule's own argument
};

using RouteHandler = void (*)(IRouteTarget& target, const RouteCall& call);

struct RouteRule
{
    std::string_view name;
    NameMatch match = NameMatch::Exact;
    NameCase nameCase = NameCase::Insensitive;
    DeviceCondition condition = DeviceCondition::Always;
    RouteHandler handler = nullptr;
    int argument = 0;
    // True: the notification ends with this rule (no default handling after it).
    bool endsHere = false;
};

struct NotifyTypeEntry
{
    std::string_view type;
    std::span<const RouteRule> rules;
    // Tested after rules whatever matched there (first match wins within each list).
    std::span<const RouteRule> after;
    // False: the notification ends after the rules (no default handling).
    bool defaultHandling = true;
};

// The handler of every rule whose feature is not built yet: does nothing.
void NotYetRouted(IRouteTarget& target, const RouteCall& call);

class CNotifyRouter
{
public:
    explicit CNotifyRouter(IRouteTarget& target) : target_(target) {}

    // The type table, and the menu handler's items (UM_MENU_ITEM_CLICK names other than "exit").
    static std::span<const NotifyTypeEntry> Types();
    static std::span<const RouteRule> MenuItems();
    static const NotifyTypeEntry* FindType(std::string_view type);
    // The first rule of the list that the name matches, with the index of an indexed name. The device
    // condition is not looked at.
    static const RouteRule* Match(std::span<const RouteRule> rules, std::string_view name, int& index);
    // True when the rule acts with a current device of this kind (kKindNone: none).
    static bool ConditionHolds(DeviceCondition condition, int deviceKind);

    // Writes the debug line (not for "timer"), runs the matching rules and answers whether the
    // notification goes on to the default handling.
    bool Route(std::string_view type, dui::CControlUI* sender, std::string_view senderName);
    // A menu item by name; false when no item matched.
    bool RouteMenuItem(std::string_view itemName);

private:
    bool RunFirstMatch(std::span<const RouteRule> rules, dui::CControlUI* sender, std::string_view name,
                       bool& endsHere);

    IRouteTarget& target_;
};

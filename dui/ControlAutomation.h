#pragma once
// Driving a window's controls by name as a user would: a click goes through the window's own mouse
// messages at the control's centre, a choice in a list or combo box notifies like the user's, a text is
// typed in. Used by the tests and by the program's automation hook for end-to-end tests.
//
// UI thread only. Each answers false when the window or a visible control of that name is missing.

#include "dui/UIDefine.h"

#include <optional>
#include <string>
#include <string_view>

namespace dui {

bool ClickControl(HWND window, std::string_view name);
// An item of a list or combo box, or a page of a tab layout.
bool SelectControlItem(HWND window, std::string_view name, int index);
// The control's text, replaced; an edit then loses the focus as after typing (its "killfocus").
bool SetControlText(HWND window, std::string_view name, std::string_view text);
// The control's text as shown; nothing when there is no such control.
std::optional<std::string> ControlText(HWND window, std::string_view name);

} // namespace dui

#pragma once
// The program's automation hook for end-to-end tests. When ORVANT_AUTOMATION=1 is in the environment,
// a data copy of record type kRecordType sent to the main window carries one command line:
//   click NAME          clicks the control
//   select NAME INDEX   chooses an item of a list or combo box (or a tab page)
//   text NAME VALUE     types the value (the rest of the line) into the control
//   get NAME            writes the control's text
// Each command writes one debug line: "automation: ok COMMAND", "automation: failed COMMAND" or, for
// get, "automation: NAME=TEXT". Commands run after the data copy's sender has been released, in the
// order they came, so one that opens a modal window holds nobody up.
//
// UI thread only.

#include "dui/UIDefine.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

class CAutomationDriver
{
public:
    static constexpr uint64_t kRecordType = 0x4F41;

    // True when the environment asks for the hook.
    static bool IsEnabled();

    // Keeps a command for RunQueued; false when the hook is off.
    bool Queue(std::string_view command);
    // Runs the kept commands on the window's controls.
    void RunQueued(dui::HWND window);

private:
    void Run(dui::HWND window, const std::string& command);

    std::deque<std::string> queue_;
};

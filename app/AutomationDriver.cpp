#include "app/AutomationDriver.h"

#include "dui/ControlAutomation.h"
#include "platform/DebugOutput.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

// The next word of the line (after spaces), advancing past it.
std::string_view NextWord(std::string_view& line)
{
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const size_t end = line.find(' ');
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    return word;
}

} // namespace

bool CAutomationDriver::IsEnabled()
{
    const char* value = std::getenv("ORVANT_AUTOMATION");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

bool CAutomationDriver::Queue(std::string_view command)
{
    if (!IsEnabled())
        return false;
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r' || command.back() == '\0'))
        command.remove_suffix(1);
    queue_.emplace_back(command);
    return true;
}

void CAutomationDriver::RunQueued(dui::HWND window)
{
    while (!queue_.empty()) {
        const std::string command = std::move(queue_.front());
        queue_.pop_front();
        Run(window, command);
    }
}

void CAutomationDriver::Run(dui::HWND window, const std::string& command)
{
    std::string_view rest = command;
    const std::string_view verb = NextWord(rest);
    const std::string name(NextWord(rest));
    bool ok = false;
    if (verb == "click") {
        ok = dui::ClickControl(window, name);
    } else if (verb == "select") {
        int index = -1;
        const std::string_view number = NextWord(rest);
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), index);
        ok = error == std::errc() && end == number.data() + number.size() && dui::SelectControlItem(window, name, index);
    } else if (verb == "text") {
        ok = dui::SetControlText(window, name, rest);
    } else if (verb == "get") {
        if (const std::optional<std::string> text = dui::ControlText(window, name)) {
            platform::DebugPrintf("automation: %s=%s\n", name.c_str(), text->c_str());
            return;
        }
    }
    platform::DebugPrintf("automation: %s %s\n", ok ? "ok" : "failed", command.c_str());
}

#include "app/WindowCallRelay.h"

#include "dui/WindowMessages.h"

#include <algorithm>

bool CWindowCallRelay::Call(dui::HWND window, dui::UINT msg, dui::WPARAM wParam, platform::Event& stop)
{
    uint64_t ticket = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ticket = ++issued_;
    }
    if (stop.IsSet() || !dui::PostMessage(window, msg, wParam, static_cast<dui::LPARAM>(ticket))) {
        return false;
    }
    while (!IsCompleted(ticket)) {
        // Stop is listed first so that it wins when both are set.
        if (platform::WaitAny({&stop, &done_}, platform::kInfinite) == 0) {
            return false;
        }
    }
    return true;
}

void CWindowCallRelay::Complete(dui::LPARAM ticket)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        completed_ = std::max(completed_, static_cast<uint64_t>(ticket));
    }
    done_.Set();
}

bool CWindowCallRelay::IsCompleted(uint64_t ticket)
{
    std::lock_guard<std::mutex> guard(lock_);
    return completed_ >= ticket;
}

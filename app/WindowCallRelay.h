#pragma once
// CWindowCallRelay: a call from a worker thread into a window that the worker's stop event can end.
// The worker posts the message with a ticket in lParam and waits until the window has completed that
// ticket, or until its stop event is set: a window that stops the worker while the call is pending
// never waits for a thread that waits for the window. A message handled after its caller gave up is
// still handled; only the wait ends.
//
// Locks: lock_ (owner: the relay) guards the ticket counters; nothing is called while it is held.

#include "dui/UIDefine.h"
#include "platform/Event.h"

#include <cstdint>
#include <mutex>

class CWindowCallRelay
{
public:
    // Posts (msg, wParam, ticket) to the window and waits for its completion; false when the window is
    // gone or the stop event ended the wait.
    bool Call(dui::HWND window, dui::UINT msg, dui::WPARAM wParam, platform::Event& stop);
    // The window's side, once the message of that ticket is handled (UI thread).
    void Complete(dui::LPARAM ticket);

private:
    bool IsCompleted(uint64_t ticket);

    std::mutex lock_;
    uint64_t issued_ = 0;
    uint64_t completed_ = 0;
    platform::Event done_{platform::Event::Kind::AutoReset};
};

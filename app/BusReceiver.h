#pragma once
// Brings a window's bus messages onto the UI thread: owns the window's bus endpoint (named after its
// title) and a thread that waits on it. A registered message is posted to the window under this
// process's number for its name; a data copy is sent as WM_COPYDATA with a CopyDataRecord in lParam
// (valid while the message is handled) and waits until the window has handled it.

#include "dui/UIDefine.h"
#include "platform/MessageBus.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <thread>

// What WM_COPYDATA's lParam points to.
struct CopyDataRecord
{
    uint64_t type = 0;
    const void* data = nullptr;
    uint32_t size = 0;
    // The sending window's title; empty when a program without a window sent it.
    std::string_view sender;
    // The sender's wParam.
    uint64_t wParam = 0;
};

class CBusReceiver
{
public:
    CBusReceiver() = default;
    ~CBusReceiver() { Stop(); }
    CBusReceiver(const CBusReceiver&) = delete;
    CBusReceiver& operator=(const CBusReceiver&) = delete;

    // Opens the endpoint for the title and starts delivering to the window; false when the endpoint
    // cannot be opened (another live window has the title, or no runtime folder).
    bool Start(std::string_view title, dui::HWND window);
    // Stops the thread and closes the endpoint. Must not run on the UI thread while the window still
    // lives and the message loop runs (a data copy may be waiting for the UI thread).
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }
    const platform::BusEndpoint& Endpoint() const { return endpoint_; }

private:
    void Run();

    platform::BusEndpoint endpoint_;
    dui::HWND window_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::thread thread_; // owner: this object; stopped by stopping_ and the endpoint's Wake
};

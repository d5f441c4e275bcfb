#include "app/BusReceiver.h"

#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

bool CBusReceiver::Start(std::string_view title, dui::HWND window)
{
    Stop();
    if (!endpoint_.Open(title)) {
        platform::DebugPrintf("bus endpoint '%.*s' cannot be opened\n", static_cast<int>(title.size()),
                              title.data());
        return false;
    }
    window_ = window;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void CBusReceiver::Stop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        endpoint_.Wake();
        thread_.join();
    }
    endpoint_.Close();
}

void CBusReceiver::Run()
{
    while (!stopping_) {
        std::optional<platform::BusMessage> message = endpoint_.Receive(platform::kInfinite);
        if (!message || stopping_) {
            continue;
        }
        if (message->kind == platform::BusMessageKind::Registered) {
            dui::PostMessage(window_, message->message, static_cast<dui::WPARAM>(message->wParam),
                             static_cast<dui::LPARAM>(message->lParam));
        } else {
            CopyDataRecord record{message->copyType, message->data.data(),
                                  static_cast<uint32_t>(message->data.size()), message->sender,
                                  message->wParam};
            dui::SendMessage(window_, dui::WM_COPYDATA, static_cast<dui::WPARAM>(message->wParam),
                             reinterpret_cast<dui::LPARAM>(&record));
        }
    }
}

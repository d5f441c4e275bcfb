#include "tools/msg/Commands.h"

#include "app/WindowMessages.h"
#include "platform/Event.h"
#include "platform/MessageBus.h"
#include "tools/msg/MessageLine.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>

namespace msgtool {
namespace {

// What went wrong with a send, for the error line.
struct SendFailure
{
    platform::BusSendResult result;
    const char* text;
};

constexpr SendFailure kSendFailures[] = {
    {platform::BusSendResult::NoSuchWindow, "no window titled \"%s\""},
    {platform::BusSendResult::Busy, "the window titled \"%s\" is busy (its queue is full)"},
    {platform::BusSendResult::TooLarge, "the message for \"%s\" is too large"},
    {platform::BusSendResult::Invalid, "the message for \"%s\" is not valid"},
    {platform::BusSendResult::Failed, "sending to \"%s\" failed"},
};

int Report(platform::BusSendResult result, std::string_view title)
{
    if (result == platform::BusSendResult::Sent) {
        return kExitDone;
    }
    for (const SendFailure& failure : kSendFailures) {
        if (failure.result == result) {
            char text[512];
            std::snprintf(text, sizeof text, failure.text, std::string(title).c_str());
            return Fail(kExitFailed, text);
        }
    }
    return Fail(kExitFailed, "sending failed");
}

std::optional<platform::BusMessage> Registered(std::string_view name, uint64_t wParam, int64_t lParam)
{
    const std::string registered = RegisteredName(name);
    const uint32_t number = platform::RegisterWindowMessage(registered);
    if (number == 0 || registered.size() > platform::kMaxBusName) {
        return std::nullopt;
    }
    return platform::MakeRegisteredMessage(number, wParam, lParam);
}

// The endpoint a signal ends the listening of.
platform::BusEndpoint* g_listening = nullptr;
volatile std::sig_atomic_t g_stopped = 0;

void OnStopSignal(int)
{
    g_stopped = 1;
    if (g_listening != nullptr) {
        g_listening->Wake(); // one write to an eventfd: safe in a signal handler
    }
}

void CatchStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int NotRegistrable(std::string_view name)
{
    return Fail(kExitUsage, "\"" + std::string(name) + "\" cannot be registered as a message name");
}

int OpenAs(platform::BusEndpoint& endpoint, std::string_view title)
{
    if (endpoint.Open(title)) {
        return kExitDone;
    }
    return Fail(kExitFailed,
                platform::FindWindow(title)
                    ? "a window titled \"" + std::string(title) + "\" is already listening"
                    : "cannot listen as \"" + std::string(title) + "\" in " + platform::BusFolder());
}

// Prints each message arriving at the endpoint as one line until count of them arrived (0: no limit),
// timeoutMs passed or a stop signal came; falling short of a count is a failure.
int PrintArrivals(platform::BusEndpoint& endpoint, uint64_t count, uint32_t timeoutMs)
{
    g_listening = &endpoint;
    CatchStopSignals();
    const uint32_t start = platform::GetTickCount();
    uint64_t received = 0;
    while (g_stopped == 0 && (count == 0 || received < count)) {
        uint32_t wait = platform::kInfinite;
        if (timeoutMs != platform::kInfinite) {
            const uint32_t elapsed = platform::GetTickCount() - start;
            if (elapsed >= timeoutMs) {
                break;
            }
            wait = timeoutMs - elapsed;
        }
        if (const std::optional<platform::BusMessage> message = endpoint.Receive(wait)) {
            std::printf("%s\n", MessageLine(*message).c_str());
            std::fflush(stdout);
            ++received;
        }
    }
    g_listening = nullptr;
    if (endpoint.DroppedCount() != 0) {
        std::fprintf(stderr, "orvant-msg: dropped %llu invalid datagrams\n",
                     static_cast<unsigned long long>(endpoint.DroppedCount()));
    }
    if (count != 0 && received < count) {
        return Fail(kExitFailed, (g_stopped != 0 ? "stopped after " : "timed out after ") +
                                     std::to_string(received) + " of " + std::to_string(count) + " messages");
    }
    return kExitDone;
}

} // namespace

int Fail(int exitCode, const std::string& text)
{
    std::fprintf(stderr, "orvant-msg: %s\n", text.c_str());
    return exitCode;
}

std::string RegisteredName(std::string_view nameOrConstant)
{
    return std::string(RegisteredNameOf(nameOrConstant).value_or(nameOrConstant));
}

int SendCommand(std::string_view title, std::string_view name, uint64_t wParam, int64_t lParam)
{
    const std::optional<platform::BusMessage> message = Registered(name, wParam, lParam);
    if (!message) {
        return NotRegistrable(name);
    }
    return Report(platform::BusSend(title, *message), title);
}

int BroadcastCommand(std::string_view name, uint64_t wParam, int64_t lParam)
{
    const std::optional<platform::BusMessage> message = Registered(name, wParam, lParam);
    if (!message) {
        return NotRegistrable(name);
    }
    if (platform::BusBroadcast(*message) == 0) {
        return Fail(kExitFailed, "no window received the message");
    }
    return kExitDone;
}

int CopyDataCommand(std::string_view title, uint64_t type, std::string data)
{
    if (data.size() > platform::kMaxBusData) {
        return Fail(kExitUsage, "the record is larger than the " + std::to_string(platform::kMaxBusData) +
                                    " bytes a data copy may carry");
    }
    return Report(platform::BusSend(title, platform::MakeCopyData(type, std::move(data))), title);
}

int ListenCommand(std::string_view title, uint64_t count, uint32_t timeoutMs)
{
    platform::BusEndpoint endpoint;
    if (const int opened = OpenAs(endpoint, title); opened != kExitDone) {
        return opened;
    }
    return PrintArrivals(endpoint, count, timeoutMs);
}

int AskCommand(std::string_view title, std::string_view name, uint64_t wParam, int64_t lParam,
               std::string_view replyTo, uint32_t timeoutMs)
{
    const std::optional<platform::BusMessage> message = Registered(name, wParam, lParam);
    if (!message) {
        return NotRegistrable(name);
    }
    platform::BusEndpoint endpoint;
    if (const int opened = OpenAs(endpoint, replyTo); opened != kExitDone) {
        return opened;
    }
    const auto start = std::chrono::steady_clock::now();
    if (const int sent = Report(platform::BusSend(title, *message), title); sent != kExitDone) {
        return sent;
    }
    const int received = PrintArrivals(endpoint, 1, timeoutMs);
    if (received == kExitDone) {
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        std::printf("replied in %.1f ms\n", elapsed.count());
    }
    return received;
}

int FindCommand(std::string_view title)
{
    return platform::FindWindow(title) ? kExitDone
                                       : Fail(kExitFailed, "no window titled \"" + std::string(title) + "\"");
}

} // namespace msgtool

// orvant-msg: plays a program outside the system on the message bus.
//   orvant-msg send TITLE NAME [WPARAM] [LPARAM]
//   orvant-msg broadcast NAME [WPARAM] [LPARAM]
//   orvant-msg copydata TITLE TYPE (--hex HEX | --file FILE)
//   orvant-msg listen TITLE [--count N] [--timeout MS]
//   orvant-msg ask TITLE NAME WPARAM LPARAM --reply-to WINDOW [--timeout MS]
//   orvant-msg find TITLE
// NAME is a registered message name ("Game_Start", "{4695579F-...}") or the constant that stands for
// one ("UWM_INSTANCE_MSG"). Numbers are decimal or 0x hexadecimal.

#include "platform/Event.h"
#include "platform/MessageBus.h"
#include "tools/msg/ArgumentText.h"
#include "tools/msg/Commands.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using msgtool::Fail;
using msgtool::kExitUsage;

constexpr const char* kUsage =
    "usage: orvant-msg send TITLE NAME [WPARAM] [LPARAM]\n"
    "       orvant-msg broadcast NAME [WPARAM] [LPARAM]\n"
    "       orvant-msg copydata TITLE TYPE (--hex HEX | --file FILE)\n"
    "       orvant-msg listen TITLE [--count N] [--timeout MS]\n"
    "       orvant-msg ask TITLE NAME WPARAM LPARAM --reply-to WINDOW [--timeout MS]\n"
    "       orvant-msg find TITLE\n";

using Args = std::vector<std::string_view>;

// How long ask waits for its answer unless told.
constexpr uint32_t kAskTimeoutMs = 5000;

// The number at args[index], or the fallback when there are not that many arguments; an error line
// names what is wrong.
std::optional<uint64_t> NumberAt(const Args& args, size_t index, const char* what, uint64_t fallback = 0)
{
    if (index >= args.size()) {
        return fallback;
    }
    const std::optional<uint64_t> value = msgtool::ParseNumber(args[index]);
    if (!value) {
        Fail(kExitUsage, "bad " + std::string(what) + " \"" + std::string(args[index]) + "\"");
    }
    return value;
}

int RunSend(const Args& args)
{
    const auto wParam = NumberAt(args, 2, "wParam");
    const auto lParam = NumberAt(args, 3, "lParam");
    if (!wParam || !lParam) {
        return kExitUsage;
    }
    return msgtool::SendCommand(args[0], args[1], *wParam, static_cast<int64_t>(*lParam));
}

int RunBroadcast(const Args& args)
{
    const auto wParam = NumberAt(args, 1, "wParam");
    const auto lParam = NumberAt(args, 2, "lParam");
    if (!wParam || !lParam) {
        return kExitUsage;
    }
    return msgtool::BroadcastCommand(args[0], *wParam, static_cast<int64_t>(*lParam));
}

int RunCopyData(const Args& args)
{
    const auto type = NumberAt(args, 1, "record type");
    if (!type) {
        return kExitUsage;
    }
    std::optional<std::string> data;
    if (args[2] == "--hex") {
        data = msgtool::ParseHex(args[3]);
        if (!data) {
            return Fail(kExitUsage, "bad hexadecimal bytes \"" + std::string(args[3]) + "\"");
        }
    } else if (args[2] == "--file") {
        std::string error;
        data = msgtool::ReadWholeFile(std::string(args[3]), platform::kMaxBusData, error);
        if (!data) {
            return Fail(kExitUsage, "cannot read \"" + std::string(args[3]) + "\": " + error);
        }
    } else {
        return Fail(kExitUsage, "copydata takes --hex HEX or --file FILE");
    }
    return msgtool::CopyDataCommand(args[0], *type, std::move(*data));
}

int RunListen(const Args& args)
{
    uint64_t count = 0;
    uint32_t timeoutMs = platform::kInfinite;
    for (size_t i = 1; i < args.size(); i += 2) {
        const bool isCount = args[i] == "--count";
        if ((!isCount && args[i] != "--timeout") || i + 1 >= args.size()) {
            return Fail(kExitUsage, "listen takes --count N and --timeout MS");
        }
        const std::optional<uint64_t> value = NumberAt(args, i + 1, isCount ? "count" : "time-out");
        if (!value) {
            return kExitUsage;
        }
        if (isCount ? *value == 0 || *value > (uint64_t{1} << 32) : *value >= platform::kInfinite) {
            return Fail(kExitUsage, std::string(isCount ? "count" : "time-out") + " out of range");
        }
        if (isCount) {
            count = *value;
        } else {
            timeoutMs = static_cast<uint32_t>(*value);
        }
    }
    return msgtool::ListenCommand(args[0], count, timeoutMs);
}

int RunAsk(const Args& args)
{
    const auto wParam = NumberAt(args, 2, "wParam");
    const auto lParam = NumberAt(args, 3, "lParam");
    if (!wParam || !lParam) {
        return kExitUsage;
    }
    std::string_view replyTo;
    uint32_t timeoutMs = kAskTimeoutMs;
    for (size_t i = 4; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || (args[i] != "--reply-to" && args[i] != "--timeout")) {
            return Fail(kExitUsage, "ask takes --reply-to WINDOW and --timeout MS");
        }
        if (args[i] == "--reply-to") {
            replyTo = args[i + 1];
            continue;
        }
        const std::optional<uint64_t> value = NumberAt(args, i + 1, "time-out");
        if (!value) {
            return kExitUsage;
        }
        if (*value >= platform::kInfinite) {
            return Fail(kExitUsage, "time-out out of range");
        }
        timeoutMs = static_cast<uint32_t>(*value);
    }
    if (replyTo.empty()) {
        return Fail(kExitUsage, "ask needs --reply-to WINDOW");
    }
    return msgtool::AskCommand(args[0], args[1], *wParam, static_cast<int64_t>(*lParam), replyTo, timeoutMs);
}

int RunFind(const Args& args)
{
    return msgtool::FindCommand(args[0]);
}

struct Command
{
    std::string_view name;
    size_t minArgs;
    size_t maxArgs;
    int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"send", 2, 4, RunSend},         {"broadcast", 1, 3, RunBroadcast},
    {"copydata", 4, 4, RunCopyData}, {"listen", 1, 5, RunListen},
    {"ask", 6, 8, RunAsk},           {"find", 1, 1, RunFind},
};

} // namespace

int main(int argc, char** argv)
{
    const Args all(argv + 1, argv + argc);
    if (!all.empty() && (all[0] == "--help" || all[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return msgtool::kExitDone;
    }
    for (const Command& command : kCommands) {
        if (!all.empty() && all[0] == command.name) {
            const Args args(all.begin() + 1, all.end());
            if (args.size() < command.minArgs || args.size() > command.maxArgs) {
                return Fail(kExitUsage, "wrong number of arguments for " + std::string(command.name) +
                                            " (see orvant-msg --help)");
            }
            return command.run(args);
        }
    }
    if (all.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return Fail(kExitUsage, "unknown command \"" + std::string(all[0]) + "\" (see orvant-msg --help)");
}

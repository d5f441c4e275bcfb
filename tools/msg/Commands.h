#pragma once
// The commands of orvant-msg. Each answers the program's exit code: 0 done, 1 failed (no such window,
// nobody reached, time-out), 2 bad command line; a failure writes one line to standard error.

#include <cstdint>
#include <string>
#include <string_view>

namespace msgtool {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Writes "orvant-msg: <text>" to standard error and answers the exit code.
int Fail(int exitCode, const std::string& text);

// The name as registered: a constant's name ("UWM_INSTANCE_MSG") stands for its registered name.
std::string RegisteredName(std::string_view nameOrConstant);

int SendCommand(std::string_view title, std::string_view name, uint64_t wParam, int64_t lParam);
int BroadcastCommand(std::string_view name, uint64_t wParam, int64_t lParam);
int CopyDataCommand(std::string_view title, uint64_t type, std::string data);
// Listens as the window with the title, printing each message as one line; ends after count messages
// (0: no limit), after timeoutMs (kInfinite: never) or on SIGINT/SIGTERM. Falling short of a count
// is a failure. At the end, how many invalid datagrams were dropped goes to standard error.
int ListenCommand(std::string_view title, uint64_t count, uint32_t timeoutMs);
// Listens as replyTo, sends the message to the window with the title and waits up to timeoutMs for
// the first message to arrive; prints it as listen does, then "replied in <ms> ms" timed from the send.
int AskCommand(std::string_view title, std::string_view name, uint64_t wParam, int64_t lParam,
               std::string_view replyTo, uint32_t timeoutMs);
// Done when a window with the title listens.
int FindCommand(std::string_view title);

} // namespace msgtool

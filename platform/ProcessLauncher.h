#pragma once
// Starting other programs, standing in for the shell's execute service: a program with arguments,
// either left to run on its own or kept as a ChildProcess to wait for, and a document or URL opened
// with the desktop's handler (xdg-open). Failures are values: a missing program is reported at once,
// nothing waits for ever, and every wait can be cut short by an Event.
//
// Started programs inherit the environment but none of this process's open files (devices, locks,
// sockets), and their signal dispositions start from the defaults.

#include "platform/Event.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

enum class LaunchStatus
{
    Started,
    NotFound,      // no such program (or document)
    NotExecutable, // found but may not be run
    Failed,        // the system refused (error holds errno)
};

struct LaunchResult
{
    LaunchStatus status = LaunchStatus::Failed;
    int error = 0; // errno of the failure, 0 when started
    bool Ok() const { return status == LaunchStatus::Started; }
};

enum class WaitResult
{
    Ended,
    TimedOut,
    Cancelled,
    NotStarted
};

// A started program this process waits for. Destroying it does not stop the program; once it ends
// it is collected by the next launch or destruction.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool IsStarted() const { return pid_ > 0; }
    // True while the program runs (never waits).
    bool IsRunning();
    // Waits up to timeoutMs (kInfinite allowed) for the program to end; a signalled cancel event
    // ends the wait with Cancelled and leaves the program running.
    WaitResult Wait(uint32_t timeoutMs, Event* cancel = nullptr);
    // The exit code once the program has ended: its exit status, or 128 + the signal that ended it.
    std::optional<int> ExitCode() const { return exitCode_; }
    // Asks the program to end (SIGTERM); false when it is not running.
    bool Terminate();
    pid_t Pid() const { return pid_; }

private:
    friend LaunchResult SpawnProgram(const std::string&, const std::vector<std::string>&, ChildProcess&,
                                     const std::string&);
    // Collects the program's status without waiting; true when it has ended.
    bool Poll();
    void Abandon();

    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

// Starts the program (a path, or a name looked up in PATH) with the arguments and, when given, in
// the working folder, and keeps it as process. process must not already hold a running program.
LaunchResult SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                          ChildProcess& process, const std::string& workingFolder = {});
// Starts the program to run on its own, in a session of its own; nobody waits for it.
LaunchResult StartProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingFolder = {});
// Runs the program to its end; exitCode receives its exit code when it ended. On time-out or cancel
// the program is left running.
WaitResult RunProgram(const std::string& program, const std::vector<std::string>& args, uint32_t timeoutMs,
                      Event* cancel, int& exitCode, LaunchResult* launch = nullptr);
// Opens a file, folder or URL with the desktop's handler; a local path that does not exist is
// NotFound, as is a missing handler.
LaunchResult OpenDocument(const std::string& documentOrUrl);

} // namespace platform

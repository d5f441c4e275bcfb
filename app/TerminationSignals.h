#pragma once
// Ends the run in order when the process is asked to stop (SIGTERM, SIGINT from a terminal): the
// first such signal asks the main window to close, as "exit" does, so that teardown runs and the
// program ends with code 0. The handler only writes a byte to a pipe; a thread of this object turns it
// into the close request. One object per process. A second signal finds the default action restored and ends
// the process.
//
// The handlers go in before the window exists, so that a signal that comes while the window is being
// made (it is already reachable on the bus then) is kept and closes the window once SetWindow names it.
//
// Locking: lock_ (owner: this object) guards window_ and requested_ between the signal thread and the
// thread that calls SetWindow; it is taken before the window's message queue lock, never the reverse.

#include "dui/UIDefine.h"

#include <mutex>
#include <thread>

class CTerminationSignals
{
public:
    CTerminationSignals() = default;
    ~CTerminationSignals() { Stop(); }
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // Installs the handlers; a signal then closes the window named by SetWindow (at once, or when it is
    // named). False when the pipe cannot be made.
    bool Start();
    // The window a signal closes; a signal that came before is acted on now.
    void SetWindow(dui::HWND window);
    // Restores the default actions, ends the thread and forgets the window.
    void Stop();

private:
    void Run();
    // Asks the window to close, or keeps the request until there is one; lock_ held.
    void CloseWindowLocked();

    std::mutex lock_;
    dui::HWND window_ = nullptr; // guarded by lock_
    bool requested_ = false;     // a signal came before the window was named; guarded by lock_
    int pipe_[2] = {-1, -1};
    std::thread thread_; // owner: this object; ended by the stop byte on the pipe
};

#pragma once
// Ends the run in order when the process is asked to stop (SIGTERM, SIGINT from a terminal): the
// first such signal asks the main window to close, as "exit" does, so that teardown runs and the
// program ends with code 0. The handler only writes a byte to a pipe; a thread of this object turns it
// into the close request. One object per process. A second signal finds the default action restored and ends
// the process.

#include "dui/UIDefine.h"

#include <thread>

class CTerminationSignals
{
public:
    CTerminationSignals() = default;
    ~CTerminationSignals() { Stop(); }
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // Installs the handlers; a signal then closes the window. False when the pipe cannot be made.
    bool Start(dui::HWND window);
    // Restores the default actions and ends the thread.
    void Stop();

private:
    void Run();

    dui::HWND window_ = nullptr;
    int pipe_[2] = {-1, -1};
    std::thread thread_; // owner: this object; ended by the stop byte on the pipe
};

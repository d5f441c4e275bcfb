#include "app/TerminationSignals.h"

#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
constexpr char kSignalled = 'S';
constexpr char kStop = 'Q';

std::atomic<int> g_signalPipe{-1}; // the write end the handler uses; -1 when none is installed

void OnSignal(int)
{
    int fd = g_signalPipe.load();
    if (fd >= 0) {
        int saved = errno;
        [[maybe_unused]] ssize_t written = ::write(fd, &kSignalled, 1);
        errno = saved;
    }
}

void SetHandlers(void (*handler)(int), int flags)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) {
        ::sigaction(sig, &action, nullptr);
    }
}

} // namespace

bool CTerminationSignals::Start()
{
    Stop();
    if (::pipe2(pipe_, O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return false;
    }
    g_signalPipe = pipe_[1];
    thread_ = std::thread([this] { Run(); });
    // One orderly attempt: the next signal takes the default action.
    SetHandlers(&OnSignal, SA_RESETHAND | SA_RESTART);
    return true;
}

void CTerminationSignals::SetWindow(dui::HWND window)
{
    std::lock_guard<std::mutex> guard(lock_);
    window_ = window;
    if (requested_) {
        CloseWindowLocked();
    }
}

void CTerminationSignals::CloseWindowLocked()
{
    requested_ = window_ == nullptr;
    if (window_ != nullptr) {
        dui::PostMessage(window_, dui::WM_CLOSE);
    }
}

void CTerminationSignals::Stop()
{
    if (pipe_[1] < 0) {
        return;
    }
    SetHandlers(SIG_DFL, 0);
    g_signalPipe = -1;
    [[maybe_unused]] ssize_t written = ::write(pipe_[1], &kStop, 1);
    if (thread_.joinable()) {
        thread_.join();
    }
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    pipe_[0] = pipe_[1] = -1;
    std::lock_guard<std::mutex> guard(lock_);
    window_ = nullptr;
    requested_ = false;
}

void CTerminationSignals::Run()
{
    char byte = 0;
    for (;;) {
        ssize_t got = ::read(pipe_[0], &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || byte == kStop) {
            return;
        }
        platform::DebugOutput("stop requested by a signal: closing the main window\n");
        std::lock_guard<std::mutex> guard(lock_);
        CloseWindowLocked();
    }
}

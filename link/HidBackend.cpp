#include "link/HidBackend.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace hid {

IoStatus WaitReady(int fd, short events, int timeoutMs, int cancelFd)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        // poll() skips a negative descriptor, so a missing cancel descriptor needs no special case.
        pollfd fds[2] = {{cancelFd, POLLIN, 0}, {fd, events, 0}};
        const int n = poll(fds, 2, wait);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IoStatus::Failed;
        }
        if (n == 0) {
            return IoStatus::TimedOut;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return IoStatus::Cancelled;
        }
        // Readiness or an error: the read or write that follows finds out which.
        return IoStatus::Done;
    }
}

} // namespace hid

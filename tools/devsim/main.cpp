// orvant-devsim: plays the supported devices' firmware behind virtual HID sockets.
//   orvant-devsim [--folder DIR] [--control SOCKET] [--state FILE] [--uhid] DEVICE...
// --uhid also makes every simulated interface a kernel HID device (where /dev/uhid exists).
// Line commands (see ControlCommands.h) come on standard input and on the control socket. The
// simulator runs until SIGTERM, SIGINT or "quit"; the end of standard input does not stop it.

#include "tools/devsim/ControlCommands.h"
#include "tools/devsim/DeviceSimulator.h"
#include "tools/devsim/UhidBridge.h"
#include "tools/devsim/UnixSocket.h"

#include "platform/Folders.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: orvant-devsim [--folder DIR] [--control SOCKET] [--state FILE] [--uhid] DEVICE...\n"
    "devices: keyboard keyboard-receiver keyboard2 mouse mouse-receiver mousepad headset\n";

void WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0)
            done += static_cast<size_t>(n);
    }
}

// Runs every complete line in buffer, answering on out; false once "quit" was given.
bool RunLines(devsim::CControlCommands& commands, std::string& buffer, int out, bool socket)
{
    bool quit = false;
    for (size_t nl; !quit && (nl = buffer.find('\n')) != std::string::npos;) {
        const std::string line = buffer.substr(0, nl);
        buffer.erase(0, nl + 1);
        const std::string answer = commands.Execute(line, quit);
        if (answer.empty())
            continue;
        if (socket) {
            WriteAll(out, answer + "\n");
        } else {
            std::fprintf(stdout, "%s\n", answer.c_str());
            std::fflush(stdout);
        }
    }
    return !quit;
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    std::string control;
    std::string stateFile;
    bool uhid = false;
    std::vector<std::string> devices;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& to) {
            if (i + 1 >= argc)
                return false;
            to = argv[++i];
            return true;
        };
        if ((arg == "--folder" && value(folder)) || (arg == "--control" && value(control)) ||
            (arg == "--state" && value(stateFile)))
            continue;
        if (arg == "--uhid") {
            uhid = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!arg.empty() && arg[0] != '-' && devsim::FindCatalogEntry(arg)) {
            devices.push_back(arg);
        } else {
            std::fprintf(stderr, "orvant-devsim: bad argument %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (uhid) {
        if (access("/dev/uhid", F_OK) != 0)
            std::fprintf(stderr,
                         "orvant-devsim: /dev/uhid does not exist, so no kernel HID devices can be made\n");
        else
            std::fprintf(stderr, "orvant-devsim: kernel HID devices are not supported by this build\n");
        return 1;
    }
    if (devices.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (folder.empty())
        folder = devsim::CDeviceSimulator::DefaultFolder();
    if (!platform::MakeFolders(folder)) {
        std::fprintf(stderr, "orvant-devsim: cannot create %s\n", folder.c_str());
        return 1;
    }

    // Signals arrive through a descriptor; blocked before any thread starts so none takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    devsim::CDeviceSimulator sim(folder);
    for (const std::string& name : devices) {
        if (!sim.AddDevice(name)) {
            std::fprintf(stderr, "orvant-devsim: %s\n", sim.LastError().c_str());
            return 1;
        }
    }
    if (!stateFile.empty() && access(stateFile.c_str(), F_OK) == 0 && !sim.LoadState(stateFile))
        std::fprintf(stderr, "orvant-devsim: state not loaded: %s\n", sim.LastError().c_str());
    if (!sim.Start()) {
        std::fprintf(stderr, "orvant-devsim: cannot start the server\n");
        return 1;
    }
    const int controlFd = control.empty() ? -1 : devsim::ListenUnixSocket(control, SOCK_STREAM);
    if (!control.empty() && controlFd < 0)
        std::fprintf(stderr, "orvant-devsim: cannot listen on %s\n", control.c_str());
    // With --uhid every socket also becomes a kernel HID device.
    devsim::CUhidBridge bridge(folder);
    if (std::string error; uhid && !bridge.Start(error)) {
        std::fprintf(stderr, "orvant-devsim: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "orvant-devsim: serving in %s\n", folder.c_str());

    devsim::CControlCommands commands(sim);
    bool stdinOpen = true;
    std::string stdinBuffer;
    std::map<int, std::string> clients;
    bool running = true;
    while (running) {
        std::vector<pollfd> fds = {{signalFd, POLLIN, 0}};
        if (stdinOpen)
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        if (controlFd >= 0)
            fds.push_back({controlFd, POLLIN, 0});
        for (const auto& [fd, buffer] : clients)
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        char chunk[4096];
        for (const pollfd& p : fds) {
            if (p.revents == 0)
                continue;
            if (p.fd == signalFd) {
                running = false;
            } else if (p.fd == STDIN_FILENO) {
                const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
                if (n <= 0) {
                    stdinOpen = false; // keep serving until a signal or "quit"
                    continue;
                }
                stdinBuffer.append(chunk, static_cast<size_t>(n));
                running = RunLines(commands, stdinBuffer, STDOUT_FILENO, false) && running;
            } else if (p.fd == controlFd) {
                const int c = accept4(controlFd, nullptr, nullptr, SOCK_CLOEXEC);
                if (c >= 0)
                    clients[c];
            } else if (auto it = clients.find(p.fd); it != clients.end()) {
                const ssize_t n = recv(p.fd, chunk, sizeof chunk, 0);
                if (n <= 0) {
                    close(p.fd);
                    clients.erase(it);
                    continue;
                }
                it->second.append(chunk, static_cast<size_t>(n));
                running = RunLines(commands, it->second, p.fd, true) && running;
            }
        }
    }
    for (const auto& [fd, buffer] : clients)
        close(fd);
    if (controlFd >= 0) {
        close(controlFd);
        unlink(control.c_str());
    }
    bridge.Stop();
    sim.Stop();
    if (!stateFile.empty() && !sim.SaveState(stateFile))
        std::fprintf(stderr, "orvant-devsim: state not saved: %s\n", sim.LastError().c_str());
    return 0;
}

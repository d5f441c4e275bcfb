// Host-side cost of the command channel: one Transact round trip and one 170-LED lighting frame
// (command 0x12, 10 frames of 56 bytes on a wired link) against a virtual device that answers at once.
// CPU time is the host thread's own work; real time includes the peer's turn.

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/DeviceLink.h"

namespace {

// The vendor command collection: report id 4, 63 data bytes each way.
const std::vector<uint8_t> kDescriptor = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04,
                                          0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F,
                                          0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A device that greets each connection and answers every output report like firmware: bytes 0-6 of
// the request, status 0.
class EchoPeer
{
public:
    EchoPeer()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "orvant-bench-XXXXXX").string();
        folder_ = mkdtemp(templ.data());
        const std::string path = folder_ + "/bench.hid";
        listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listenFd_, 4);
        acceptor_ = std::thread([this] { Accept(); });
    }

    ~EchoPeer()
    {
        shutdown(listenFd_, SHUT_RDWR);
        acceptor_.join();
        for (std::thread& t : servers_) {
            t.join();
        }
        close(listenFd_);
        std::filesystem::remove_all(folder_);
    }

    const std::string& Folder() const { return folder_; }

private:
    void Accept()
    {
        for (;;) {
            const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                return;
            }
            std::vector<uint8_t> hello = {'O',
                                          'V',
                                          'H',
                                          'I',
                                          'D',
                                          '1',
                                          1,
                                          0,
                                          0x0F,
                                          0x32,
                                          0x55,
                                          0x50,
                                          0,
                                          1,
                                          1,
                                          0,
                                          static_cast<uint8_t>(kDescriptor.size()),
                                          0};
            hello.insert(hello.end(), kDescriptor.begin(), kDescriptor.end());
            send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
            servers_.emplace_back([fd] { Serve(fd); });
        }
    }

    static void Serve(int fd)
    {
        std::array<uint8_t, 128> in{};
        std::array<uint8_t, 65> out{};
        for (;;) {
            const ssize_t n = recv(fd, in.data(), in.size(), 0);
            if (n <= 0) {
                break;
            }
            if (in[0] != 1 || n < 8) {
                continue;
            }
            out.fill(0);
            out[0] = 0x81;
            std::memcpy(out.data() + 1, in.data() + 1, 7);
            out[8] = 0; // status
            send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        }
        close(fd);
    }

    std::string folder_;
    int listenFd_ = -1;
    std::thread acceptor_;
    std::vector<std::thread> servers_;
};

struct OpenLink
{
    EchoPeer peer;
    CDeviceLink link;

    OpenLink()
    {
        setenv("ORVANT_VIRTUAL_HID", peer.Folder().c_str(), 1);
        CHidDevice lister;
        lister.Enumerate();
        while (const char* path = lister.NextPath()) {
            if (std::strstr(path, "bench.hid") != nullptr) {
                link.LinkA().Open(path, true, true, true, false);
            }
        }
        link.SetOpen(link.LinkA().IsOpen());
        link.SetLinkMode(kLinkModeWired);
    }
};

void BM_TransactRoundTrip(benchmark::State& state)
{
    OpenLink open;
    if (!open.link.IsOpen()) {
        state.SkipWithError("virtual device did not open");
        return;
    }
    const CommandFrame request = CommandFrame::Request(kCmdBeginTransfer, 0, 0);
    std::array<uint8_t, 64> reply{};
    for (auto _ : state) {
        uint32_t got = 0;
        if (open.link.Transact(request.data(), 64, reply.data(), 64, &got) != kLinkOk) {
            state.SkipWithError("transaction failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransactRoundTrip)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_TransactRoundTrip);

void BM_LightingFrame170Leds(benchmark::State& state)
{
    OpenLink open;
    if (!open.link.IsOpen()) {
        state.SkipWithError("virtual device did not open");
        return;
    }
    std::vector<uint8_t> frame(510, 0x40);
    for (auto _ : state) {
        if (open.link.WriteLightingFrame(frame.data(), frame.size()) != kLinkOk) {
            state.SkipWithError("lighting frame failed");
            break;
        }
    }
    // Ten 64-byte transactions per frame: items per second are transactions per second.
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_LightingFrame170Leds);

} // namespace

BENCHMARK_MAIN();

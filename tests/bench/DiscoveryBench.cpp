// Cost of the discovery thread's cycle, which runs about every 101 ms for the life of the program:
// one scan of 64 HID interfaces none of which is supported (the idle program), over the hidraw back end
// (a fake sysfs tree) and over virtual sockets; and one presence cycle with four supported interfaces
// holding slots (the keyboard's and the mouse's command and event collections). Each case reports the
// thread CPU time per cycle and the share of one core it implies at one cycle per 101 ms.

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../devices/FakeHidrawTree.h"
#include "devices/DeviceDiscovery.h"
#include "link/HidBackend.h"
#include "tools/devsim/DeviceCatalog.h"
#include "tools/devsim/DeviceSimulator.h"
#include "tools/devsim/HidSocketServer.h"

namespace {

constexpr double kCycleMs = CDeviceDiscovery::kStopCheckMs + CDeviceDiscovery::kCycleMs;
constexpr int kInterfaces = 64;
constexpr uint16_t kOtherVendor = 0x1234;

class NullListener : public IDiscoveryListener
{
public:
    void OnDeviceArrived(int) override {}
    void OnDeviceRemoved(int) override {}
    void OnFirstScanComplete() override {}
};

double ThreadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

// A scratch folder for one case, with the virtual back end pointed at its "hid" folder and the hidraw
// back end at its "sysfs" tree (both empty at first), restored afterwards.
class Scratch
{
public:
    Scratch()
    {
        std::string templ =
            (std::filesystem::temp_directory_path() / "orvant-discovery-bench-XXXXXX").string();
        root_ = mkdtemp(templ.data());
        std::filesystem::create_directories(Sysfs() + "/class/hidraw");
        std::filesystem::create_directories(Hid());
        hid::SetHidrawRoots({Sysfs(), Sysfs()});
        setenv("ORVANT_VIRTUAL_HID", Hid().c_str(), 1);
    }
    ~Scratch()
    {
        unsetenv("ORVANT_VIRTUAL_HID");
        hid::ClearHidrawRoots();
        std::filesystem::remove_all(root_);
    }
    std::string Sysfs() const { return root_ + "/sysfs"; }
    std::string Hid() const { return root_ + "/hid"; }

    void AddHidraw(int node, uint16_t vid, uint16_t pid, int interfaceNumber, devsim::DescriptorKind kind)
    {
        fake_hidraw::AddNode(Sysfs(), node, vid, pid, interfaceNumber, devsim::DescriptorBytes(kind));
    }

private:
    std::string root_;
};

void ReportShare(benchmark::State& state, double cpuNs)
{
    const double perCycleUs = cpuNs / static_cast<double>(state.iterations()) / 1e3;
    state.counters["cpu_us_per_cycle"] = perCycleUs;
    state.counters["core_share_pct"] = perCycleUs / (kCycleMs * 1e3) * 100.0;
}

// The idle program on a machine with 64 hidraw interfaces, none supported: every cycle lists them all.
void BM_ScanUnsupportedHidraw(benchmark::State& state)
{
    Scratch scratch;
    for (int i = 0; i < kInterfaces; ++i) {
        scratch.AddHidraw(i, kOtherVendor, static_cast<uint16_t>(i), i % 3,
                          i % 2 ? devsim::DescriptorKind::BootKeyboard
                                : devsim::DescriptorKind::CommandInterface);
    }
    CDeviceSlotList slots;
    NullListener listener;
    CDeviceDiscovery discovery(slots, listener);
    double cpu = 0;
    for (auto _ : state) {
        const double start = ThreadCpuNs();
        benchmark::DoNotOptimize(discovery.Scan());
        discovery.CheckPresence();
        cpu += ThreadCpuNs() - start;
    }
    if (!slots.ConnectedSlots().empty()) {
        state.SkipWithError("an unsupported interface took a slot");
    }
    ReportShare(state, cpu);
}
BENCHMARK(BM_ScanUnsupportedHidraw)->Unit(benchmark::kMicrosecond);

// The same with 64 virtual interfaces served over sockets.
void BM_ScanUnsupportedVirtual(benchmark::State& state)
{
    Scratch scratch;
    devsim::CHidSocketServer server;
    server.Start();
    for (int i = 0; i < kInterfaces; ++i) {
        devsim::HidInterfaceInfo info;
        info.vendorId = kOtherVendor;
        info.productId = static_cast<uint16_t>(i);
        info.interfaceNumber = static_cast<uint8_t>(i % 3);
        info.descriptor = devsim::DescriptorBytes(i % 2 ? devsim::DescriptorKind::BootKeyboard
                                                        : devsim::DescriptorKind::CommandInterface);
        server.AddInterface(scratch.Hid() + "/other" + std::to_string(i) + "-mi00.hid", info,
                            [](int, uint8_t, std::span<const uint8_t>) {});
    }
    CDeviceSlotList slots;
    NullListener listener;
    CDeviceDiscovery discovery(slots, listener);
    double cpu = 0;
    for (auto _ : state) {
        const double start = ThreadCpuNs();
        benchmark::DoNotOptimize(discovery.Scan());
        discovery.CheckPresence();
        cpu += ThreadCpuNs() - start;
    }
    ReportShare(state, cpu);
}
BENCHMARK(BM_ScanUnsupportedVirtual)->Unit(benchmark::kMicrosecond);

// Claims the four interfaces that are present, then measures one presence cycle per iteration.
void MeasurePresenceOfFour(benchmark::State& state)
{
    CDeviceSlotList slots;
    NullListener listener;
    CDeviceDiscovery discovery(slots, listener);
    discovery.Scan();
    if (slots.ConnectedSlots().size() != 4) {
        state.SkipWithError("the four interfaces were not claimed");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double start = ThreadCpuNs();
        discovery.CheckPresence();
        cpu += ThreadCpuNs() - start;
    }
    if (slots.ConnectedSlots().size() != 4) {
        state.SkipWithError("a present interface was released");
    }
    ReportShare(state, cpu);
}

// Presence cycle, hidraw: the keyboard's and the mouse's interface 1 (command and event collections).
void BM_PresenceFourTakenHidraw(benchmark::State& state)
{
    Scratch scratch;
    scratch.AddHidraw(0, 0x320F, 0x5055, 1, devsim::DescriptorKind::CommandInterface);
    scratch.AddHidraw(1, 0x320F, 0x221C, 1, devsim::DescriptorKind::CommandInterface);
    MeasurePresenceOfFour(state);
}
BENCHMARK(BM_PresenceFourTakenHidraw)->Unit(benchmark::kMicrosecond);

// Presence cycle against the simulator's keyboard and mouse over virtual sockets.
void BM_PresenceFourTakenVirtual(benchmark::State& state)
{
    Scratch scratch;
    devsim::CDeviceSimulator sim(scratch.Hid());
    sim.Start();
    sim.AddDevice("keyboard");
    sim.AddDevice("mouse");
    MeasurePresenceOfFour(state);
}
BENCHMARK(BM_PresenceFourTakenVirtual)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

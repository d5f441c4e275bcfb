#include "SimulatedDevice.h"

#include "link/HidDevice.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace devices_test {

void SimulatedDevice::SetUp()
{
    char pattern[] = "/tmp/devices-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("ORVANT_VIRTUAL_HID", folder_.c_str(), 1);
    sim_ = std::make_unique<devsim::CDeviceSimulator>(folder_);
    ASSERT_TRUE(sim_->Start());
}

void SimulatedDevice::TearDown()
{
    sim_.reset();
    unsetenv("ORVANT_VIRTUAL_HID");
    if (!folder_.empty())
        std::filesystem::remove_all(folder_);
}

std::string SimulatedDevice::PathWith(const std::string& fragment)
{
    CHidDevice lister;
    EXPECT_TRUE(lister.Enumerate());
    std::vector<std::string> found;
    while (const char* p = lister.NextPath())
        if (std::string(p).find(fragment) != std::string::npos)
            found.push_back(p);
    EXPECT_EQ(found.size(), 1u) << fragment;
    return found.empty() ? std::string() : found[0];
}

int SimulatedDevice::CommandCount(const std::string& product, uint8_t command)
{
    char name[8];
    snprintf(name, sizeof name, "0x%02x", command);
    return sim_->Dump(product)["firmware"]["commands"].get(name, 0).asInt();
}

} // namespace devices_test

#include "SimulatorFixture.h"

#include "link/HidDevice.h"

#include <cstdlib>
#include <filesystem>

namespace devsim::test {

void SimulatorFixture::SetUp()
{
    char pattern[] = "/tmp/devsim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("ORVANT_VIRTUAL_HID", folder_.c_str(), 1);
    sim_ = std::make_unique<CDeviceSimulator>(folder_);
    ASSERT_TRUE(sim_->Start());
}

void SimulatorFixture::TearDown()
{
    sim_.reset();
    unsetenv("ORVANT_VIRTUAL_HID");
    if (!folder_.empty())
        std::filesystem::remove_all(folder_);
}

std::vector<std::string> SimulatorFixture::PathsWith(const std::string& fragment)
{
    CHidDevice lister;
    EXPECT_TRUE(lister.Enumerate());
    std::vector<std::string> found;
    while (const char* p = lister.NextPath())
        if (std::string(p).find(fragment) != std::string::npos)
            found.push_back(p);
    return found;
}

} // namespace devsim::test

#pragma once
// A simulator serving a fresh temporary folder, with the host's virtual back end pointed at it.

#include "tools/devsim/DeviceSimulator.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace devsim::test {

class SimulatorFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Every HID path the host lists that holds the fragment, e.g. "vid_320f&pid_5055&mi_01&col04".
    std::vector<std::string> PathsWith(const std::string& fragment);

    std::string folder_;
    std::unique_ptr<CDeviceSimulator> sim_;
};

} // namespace devsim::test

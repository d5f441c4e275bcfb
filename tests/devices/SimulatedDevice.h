#pragma once
// A simulator serving a fresh temporary folder, with the host's virtual back end pointed at it, and
// the paths of the simulated interfaces as the host lists them.

#include "tools/devsim/DeviceSimulator.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace devices_test {

// Interface path fragments: command collection ("col04") and event collection ("col03").
inline constexpr const char* kKeyboardCommand = "vid_320f&pid_5055&mi_01&col04";
inline constexpr const char* kKeyboardEvents = "vid_320f&pid_5055&mi_01&col03";
inline constexpr const char* kReceiverCommand = "vid_320f&pid_0000&mi_01&col04";
inline constexpr const char* kReceiverEvents = "vid_320f&pid_0000&mi_01&col03";
inline constexpr const char* kMouseCommand = "vid_320f&pid_221c&mi_01&col04";

class SimulatedDevice : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // The one listed path that holds the fragment, or empty (with a test failure).
    std::string PathWith(const std::string& fragment);
    // How many requests of a command the product's firmware has answered.
    int CommandCount(const std::string& product, uint8_t command);

    std::string folder_;
    std::unique_ptr<devsim::CDeviceSimulator> sim_;
};

} // namespace devices_test

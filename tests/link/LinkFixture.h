#pragma once
// A virtual device folder with one scripted peer, pointed at by ORVANT_VIRTUAL_HID while a test runs,
// and helpers to find and open its paths.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ScriptedPeer.h"
#include "link/DeviceLink.h"

namespace test {

class VirtualDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The enumerated path that contains the text, empty when none does.
    std::string FindPath(const std::string& part);
    // Opens link A of the link on the peer's command collection and marks the link open, wired.
    void OpenWired(CDeviceLink& link);
    void OpenWireless(CDeviceLink& link);

    TempFolder folder_;
    std::unique_ptr<ScriptedPeer> peer_;
};

} // namespace test

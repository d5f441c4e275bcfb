#pragma once
// A started main window against the shipped skin, offscreen, in a scratch runtime folder: start-up's
// steps up to the window, then the window's initialisation, its first relayout and the first scan's
// wake are waited for.

#include "app/MainWnd.h"
#include "app/StartUp.h"
#include "dui/PaintManager.h"
#include "dui/testing/UiTestHarness.h"

#include "tests/app/PumpEvents.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace orvant_test {

class MainWndFixture : public ScratchRuntimeTest
{
protected:
    void SetUp() override
    {
        ScratchRuntimeTest::SetUp();
        dui::testing::EnsureApplication();
        ASSERT_TRUE(startUp_.RegisterInstanceMessage());
        startUp_.SetUpResources();
        ASSERT_TRUE(startUp_.RegisterGuidMessages());
        ASSERT_TRUE(startUp_.CreateMainWindow());
        wnd_ = startUp_.MainWindow();
        // The first relayout shows the window; the end of the first device scan restores and raises it.
        ASSERT_TRUE(PumpUntil([&] { return wnd_->RelayoutCount() >= 1 && wnd_->InstanceWakeCount() >= 1; }));
        wakes0_ = wnd_->InstanceWakeCount();
    }
    void TearDown() override { dui::CPaintManagerUI::SetAllDPI(96); }

    // Where a test may serve virtual devices (made on demand). Discovery reads the variable on its own
    // thread, so it is set before the window starts discovery and restored only after it stopped.
    std::string VirtualHidFolder() const { return scratch_.Path() + "hid"; }

    ScopedEnv exeDir_{"ORVANT_EXE_DIR", std::string(ORVANT_SOURCE_DIR)};
    ScopedEnv virtualHid_{"ORVANT_VIRTUAL_HID", VirtualHidFolder()};
    CStartUp startUp_;
    CMainWnd* wnd_ = nullptr;
    int wakes0_ = 0;
};

} // namespace orvant_test

#pragma once
// The system's start-up and teardown, as steps that run in order on the main thread:
//
//   fonts -> instance message -> single-instance decision -> resources and control registry
//   -> GUID-named messages -> main window -> message loop -> teardown in reverse order.
//
// Run() performs them all and answers the process's exit code (always 0). The steps are public so that
// tests can run a part of the sequence.

#include "app/MainWnd.h"
#include "app/PrivateFont.h"
#include "app/TerminationSignals.h"
#include "platform/Folders.h"
#include "platform/SingleInstance.h"

#include <array>
#include <memory>
#include <string_view>

class CStartUp
{
public:
    // The private fonts, relative to the executable's folder, in loading order.
    static constexpr std::array<std::string_view, 4> kFontFiles = {
        "Font\\Simplified_Chinese.ttf", "Font\\Dodavivi-Regular.otf", "Font\\NotoSansThai-Regular.ttf",
        "Font\\NotoSansCJKtc-Regular.otf"};
    // The main window's size at creation; its layout and then its first relayout size it afterwards.
    static constexpr int kMainWindowWidth = 800;
    static constexpr int kMainWindowHeight = 572;

    CStartUp() = default;
    ~CStartUp() { TearDown(); }
    CStartUp(const CStartUp&) = delete;
    CStartUp& operator=(const CStartUp&) = delete;

    // The whole sequence; needs the host application (dui::InitApplication) first.
    int Run();

    // Loads the fonts in order, skipping any that fail; answers how many loaded.
    int LoadFonts();
    // Registers UWM_INSTANCE_MSG from the product name; false when its number is out of range.
    bool RegisterInstanceMessage();
    // Takes the single-instance lock. False when another instance holds it: that one has then been
    // woken with UWM_INSTANCE_MSG (wParam 0, lParam 1) over the bus, and this process should end.
    // A lock that cannot be made at all (say, a runtime folder this user may not write) leaves this
    // process the first instance, with a debug line.
    bool AcquireInstance();
    // Skin folder beside the executable, its resource map and the control class registry.
    void SetUpResources();
    bool RegisterGuidMessages();
    // Creates the main window (CMainWnd's title and style, the size above) and centres it; false on
    // failure.
    bool CreateMainWindow();
    CMainWnd* MainWindow() const { return m_mainWnd.get(); }
    // Runs the message loop until the main window ends it.
    int MessageLoop();
    // Releases, in reverse order, whatever the steps set up; safe to call more than once.
    void TearDown();

private:
    std::array<PrivateFont, kFontFiles.size()> m_fonts;
    platform::SingleInstance m_instance{platform::kProductName};
    std::unique_ptr<CMainWnd> m_mainWnd;
    CTerminationSignals m_signals; // closes the main window on SIGTERM or SIGINT
};

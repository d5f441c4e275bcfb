#include "app/StartUp.h"

#include "app/ControlRegistry.h"
#include "app/WindowMessages.h"
#include "dui/PaintManager.h"
#include "dui/ResourceManager.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"

#include <cstring>

int CStartUp::Run()
{
    // First, so that a stop request during start-up ends the run in order too.
    m_signals.Start();
    LoadFonts();
    // COM and OLE are Windows services with no counterpart here: nothing to initialise or release.
    if (!RegisterInstanceMessage() || !AcquireInstance()) {
        TearDown();
        return 0;
    }
    SetUpResources();
    RegisterGuidMessages();
    if (!CreateMainWindow()) {
        TearDown();
        return 0;
    }
    MessageLoop();
    TearDown();
    return 0;
}

int CStartUp::LoadFonts()
{
    int loaded = 0;
    for (size_t i = 0; i < kFontFiles.size(); ++i) {
        loaded += m_fonts[i].Load(kFontFiles[i]) ? 1 : 0;
    }
    return loaded;
}

bool CStartUp::RegisterInstanceMessage()
{
    bool ok = RegisterWindowMessages(WindowMessageGroup::Instance);
    platform::DebugPrintf("软件标示：%d\n", static_cast<int>(UWM_INSTANCE_MSG));
    return ok;
}

bool CStartUp::AcquireInstance()
{
    switch (m_instance.TryAcquire()) {
    case platform::InstanceLock::Acquired:
        return true;
    case platform::InstanceLock::Unavailable:
        // Only a lock that another instance holds makes this one the second.
        platform::DebugPrintf("single-instance lock %s cannot be made (%s); going on as the first instance\n",
                              m_instance.LockPath().c_str(), std::strerror(m_instance.LastError()));
        return true;
    case platform::InstanceLock::HeldElsewhere:
        break;
    }
    if (std::optional<platform::BusMessage> wake = platform::MakeRegisteredMessage(UWM_INSTANCE_MSG, 0, 1)) {
        platform::BusBroadcast(*wake);
    }
    return false;
}

void CStartUp::SetUpResources()
{
    // Module handles have no meaning here: resources are plain files.
    dui::CPaintManagerUI::SetResourceType(dui::CPaintManagerUI::UILIB_FILE);
    dui::CPaintManagerUI::SetResourcePath(platform::ExecutableFolder() + "skin/");
    dui::CResourceManager::GetInstance()->LoadResource("res.xml");
    dui::CWindowWnd::RegisterIconResource(CMainWnd::kIconResource, "Images/logo.png");
    RegisterControlClasses();
}

bool CStartUp::RegisterGuidMessages()
{
    return RegisterWindowMessages(WindowMessageGroup::Guid);
}

bool CStartUp::CreateMainWindow()
{
    m_mainWnd = std::make_unique<CMainWnd>();
    if (!m_mainWnd->Create(nullptr, CMainWnd::kTitle, CMainWnd::kStyle, 0, 0, 0, kMainWindowWidth,
                           kMainWindowHeight)) {
        m_mainWnd.reset();
        return false;
    }
    m_mainWnd->CenterWindow();
    m_signals.SetWindow(m_mainWnd->GetHWND());
    return true;
}

int CStartUp::MessageLoop()
{
    return dui::CPaintManagerUI::MessageLoop();
}

void CStartUp::TearDown()
{
    m_signals.Stop();
    m_mainWnd.reset();
    dui::CResourceManager::GetInstance()->ResetResourceMap();
    m_instance.Release();
    for (size_t i = m_fonts.size(); i-- > 0;) {
        m_fonts[i].Release();
    }
}

#include "dui/WindowImplBase.h"

#include "dui/Control.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

namespace dui {

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase()
{
    CResourceManager::GetInstance()->RemoveTextQueryInterface(this);
    m_pm.RemoveNotifier(this);
    m_pm.RemoveMessageFilter(this);
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender) {
        static const struct
        {
            const char* name;
            WPARAM command;
        } kCaption[] = {{"closebtn", SC_CLOSE},
                        {"minbtn", SC_MINIMIZE},
                        {"maxbtn", SC_MAXIMIZE},
                        {"restorebtn", SC_RESTORE}};
        std::string name = msg.pSender->GetName();
        for (const auto& button : kCaption) {
            if (name != button.name)
                continue;
            if (button.command == SC_CLOSE)
                Close(0);
            else
                SendMessage(WM_SYSCOMMAND, button.command, 0);
            return;
        }
    }
    NotifyPump(msg);
}

CControlUI* WindowImplBase::CreateControl(std::string_view)
{
    return nullptr;
}

std::string WindowImplBase::QueryControlText(std::string_view, std::string_view)
{
    return {};
}

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnCreate()
{
    // A window above another (pop-ups, dialogs) takes its scale.
    CWindowWnd* owner = WindowFromHandle(GetOwnerHWND());
    if (CPaintManagerUI* ownerPm = owner ? owner->GetPaintManager() : nullptr)
        m_pm.SetDPI(ownerPm->GetDPI());
    m_pm.Init(GetHWND(), GetWindowClassName());
    m_pm.AddNotifier(this);
    m_pm.AddMessageFilter(this);
    std::string skin = GetSkinFile();
    std::string file = CResourceManager::GetInstance()->GetXmlPath(skin);
    if (file.empty())
        file = skin;
    std::string folder = GetSkinFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    CDialogBuilder builder;
    CControlUI* root = builder.Create(folder + file, {}, this, &m_pm);
    m_bSkinLoaded = root != nullptr;
    if (root)
        m_pm.AttachDialog(root);
    else
        platform::DebugPrintf("dui: window %s has no layout (%s): %s\n", GetWindowClassName().c_str(),
                              skin.c_str(), builder.GetLastError().c_str());
    InitWindow();
    return 0;
}

void WindowImplBase::OnSysCommand(WPARAM command)
{
    if (command != SC_MAXIMIZE && command != SC_RESTORE)
        return;
    bool maximised = command == SC_MAXIMIZE;
    if (CControlUI* max = m_pm.FindControl("maxbtn"))
        max->SetVisible(!maximised);
    if (CControlUI* restore = m_pm.FindControl("restorebtn"))
        restore->SetVisible(maximised);
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE)
        return OnCreate();
    bool handled = false;
    LRESULT r = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled)
        return r;
    if (m_pm.MessageHandler(msg, wParam, lParam, r))
        return r;
    r = CWindowWnd::HandleMessage(msg, wParam, lParam);
    if (msg == WM_SYSCOMMAND)
        OnSysCommand(wParam);
    return r;
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_pm.RemoveNotifier(this);
    m_pm.RemoveMessageFilter(this);
}

} // namespace dui

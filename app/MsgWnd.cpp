#include "app/MsgWnd.h"

#include "dui/Control.h"
#include "dui/ResourceManager.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "platform/DebugOutput.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kAllowedScales[] = {48, 72, 96, 120, 144, 168, 192};

// The message keys the program uses, in English, until the language files say otherwise.
struct BuiltInMessage
{
    std::string_view key;
    std::string_view text;
};
constexpr BuiltInMessage kBuiltInMessages[] = {
    {"message_text_2", "Keys of this profile play this macro. Delete it anyway? Those keys go back to "
                       "their default function."},
    {"message_text_4", "Delete this macro? Keys that play it, in every profile, go back to their default "
                       "function."},
    {"message_text_5", "That name is already taken. Please choose another one."},
    {"message_text_6", "This is the mouse's only left button; it cannot be given another function."},
    {"message_text_7", "The macros could not be prepared for the device."},
    {"message_text_16", "The macros do not fit into the device's memory: %d events too many."},
    {"message_text_22", "Restore the factory settings? Your changes will be lost."},
    {"message_text_25", "The name cannot be empty."},
    {"message_text_profile_import", "This file is not a profile; nothing was imported."},
    {"message_text_profile_export", "The profile could not be written to that file."},
};

CMsgWnd::Presenter& TestPresenter()
{
    static CMsgWnd::Presenter presenter;
    return presenter;
}

} // namespace

void CMsgWnd::SetPresenter(Presenter presenter)
{
    TestPresenter() = std::move(presenter);
}

std::string CMsgWnd::BuiltInText(std::string_view key)
{
    for (const BuiltInMessage& m : kBuiltInMessages) {
        if (m.key == key)
            return std::string(m.text);
    }
    return {};
}

std::string CMsgWnd::ResolveText(std::string_view key)
{
    const std::string text = dui::CResourceManager::GetInstance()->GetText(key, "text");
    if (text != key)
        return text;
    const std::string builtIn = BuiltInText(key);
    return builtIn.empty() ? text : builtIn;
}

int CMsgWnd::ShowMessage(dui::HWND owner, std::string_view title, std::string_view text, int scale,
                         bool textIsKey, int buttons)
{
    if (TestPresenter())
        return TestPresenter()(text, textIsKey, buttons);
    auto* box = new CMsgWnd;
    if (!box->Create(owner, "msgwnd", dui::WS_POPUP, dui::WS_EX_TOOLWINDOW)) {
        delete box;
        return 0;
    }
    dui::CPaintManagerUI& pm = box->GetPaintManagerUI();
    if (dui::CControlUI* label = pm.FindControl("MessageTitle"); label && !title.empty())
        label->SetText(title);
    if (dui::CControlUI* label = pm.FindControl("MessageText"); label && !text.empty()) {
        // A key the language table does not know yet shows its built-in English text.
        const bool known = textIsKey && dui::CResourceManager::GetInstance()->GetText(text, "text") != text;
        const std::string builtIn = textIsKey && !known ? BuiltInText(text) : std::string();
        label->SetResourceText(known);
        label->SetText(builtIn.empty() ? text : builtIn);
    }
    if (std::find(std::begin(kAllowedScales), std::end(kAllowedScales), scale) == std::end(kAllowedScales)) {
        platform::DebugOutput("MSG_WND DPI SET ERROR");
        scale = 96;
    }
    pm.SetDPI(scale);
    dui::CControlUI* confirm = pm.FindControl("confirm_btn");
    dui::CControlUI* cancel = pm.FindControl("cancel_btn");
    if (buttons == kConfirmOnly || buttons == kConfirmCancel) {
        if (confirm)
            confirm->SetVisible(true);
        if (cancel)
            cancel->SetVisible(buttons == kConfirmCancel);
    }
    box->CenterWindow();
    return static_cast<int>(box->ShowModal());
}

void CMsgWnd::Notify(dui::TNotifyUI& msg)
{
    if (msg.sType == dui::DUI_MSGTYPE_CLICK && msg.pSender) {
        const std::string& name = msg.pSender->GetName();
        if (name == "confirm_btn") {
            Close(1);
            return;
        }
        if (name == "cancel_btn") {
            Close(0);
            return;
        }
    }
    WindowImplBase::Notify(msg);
}

void CMsgWnd::OnFinalMessage(dui::HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

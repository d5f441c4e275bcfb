#pragma once
// CMsgWnd: the program's message box, a small modal skinned window ("XML_MSG") with a title, a text that
// is usually a language key, and one or two buttons. ShowMessage opens one and answers which button
// closed it. The window deletes itself once closed.
//
// UI thread only.

#include "dui/WindowImplBase.h"

#include <functional>
#include <string>
#include <string_view>

class CMsgWnd : public dui::WindowImplBase
{
public:
    static constexpr std::string_view kClassName = "MsgWnd";
    static constexpr std::string_view kSkin = "XML_MSG";
    // Buttons: confirm only, or confirm and cancel; anything else leaves the layout's buttons.
    static constexpr int kConfirmOnly = 0;
    static constexpr int kConfirmCancel = 1;

    // Opens the box modally over the owner and answers 1 for "confirm_btn", 0 for "cancel_btn",
    // "closebtn" or any other close. An empty title or text leaves the layout's own; with textIsKey the
    // text is a language key. scale is one of 48, 72, ..., 192 (anything else: 96).
    static int ShowMessage(dui::HWND owner, std::string_view title, std::string_view text, int scale,
                           bool textIsKey, int buttons);

    // Tests answer instead of a window: while set, ShowMessage calls it with (text, textIsKey,
    // buttons) and returns its answer.
    using Presenter = std::function<int(std::string_view text, bool textIsKey, int buttons)>;
    static void SetPresenter(Presenter presenter);

    // The English text of a message key, for keys no language file gives.
    static std::string BuiltInText(std::string_view key);
    // The text a message key shows: the language table's, else the built-in one, else the key.
    static std::string ResolveText(std::string_view key);

protected:
    std::string GetWindowClassName() const override { return std::string(kClassName); }
    std::string GetSkinFile() override { return std::string(kSkin); }
    void Notify(dui::TNotifyUI& msg) override;
    void OnFinalMessage(dui::HWND hWnd) override;
};

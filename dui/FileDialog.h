#pragma once
// Common file dialogs for opening and saving, with filters. A filter is a name shown to the user and a
// pattern list ("Profile Files(*.json)" / "*.json;"); ParseFilterString reads the one-string form
// "(*.png) | *.png |(*.*)|*.*||". The dialogs are modal to the owner window. Tests put a provider in
// place of the real dialog with SetFileDialogProvider.

#include "dui/UIDefine.h"

#include <string>
#include <string_view>
#include <vector>

namespace dui {

struct TFileFilter
{
    std::string sName;    // "Profile Files(*.json)"
    std::string sPattern; // "*.json;" (patterns separated by ';')
};

struct TFileDialogRequest
{
    bool bSave = false;
    HWND hOwner = nullptr;
    std::vector<TFileFilter> filters;
    std::string sDefaultExt; // appended to a saved name without an extension ("png")
    std::string sFileName;   // initial name or folder
    std::string sTitle;
};

// Runs a dialog: true with the chosen path, false when cancelled.
class IFileDialogProvider
{
public:
    virtual bool RunFileDialog(const TFileDialogRequest& request, std::string& path) = 0;

protected:
    ~IFileDialogProvider() = default;
};

// Open and save dialogs; false (path untouched) when the user cancels or chooses nothing.
bool ShowOpenFileDialog(HWND owner, const std::vector<TFileFilter>& filters, std::string& path,
                        std::string_view defaultExt = {}, std::string_view fileName = {});
bool ShowSaveFileDialog(HWND owner, const std::vector<TFileFilter>& filters, std::string& path,
                        std::string_view defaultExt = {}, std::string_view fileName = {});
bool RunFileDialog(const TFileDialogRequest& request, std::string& path);

// Replaces the real dialogs (nullptr: the real ones again).
void SetFileDialogProvider(IFileDialogProvider* provider);

// "(*.png) | *.png |(*.*)|*.*||" → {("(*.png)", "*.png"), ("(*.*)", "*.*")}; names and patterns trimmed.
std::vector<TFileFilter> ParseFilterString(std::string_view filter);
// The dialog's name filters: one per filter, "name (pattern pattern…)" ("Macro Files(*.mac) (*.mac)").
std::vector<std::string> BuildNameFilters(const std::vector<TFileFilter>& filters);

} // namespace dui

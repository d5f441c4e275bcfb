#pragma once
// Where the system's files live on Linux. Every folder is returned with a trailing '/'. Each can be
// redirected through the environment, which is how tests keep away from the user's real files:
//   ORVANT_EXE_DIR   the executable folder (default: the folder of the running binary)
//   XDG_DATA_HOME    local application data (default ~/.local/share)
//   XDG_CONFIG_HOME  the settings store's folder (default ~/.config)
//   XDG_RUNTIME_DIR  per-session runtime files: locks, the message bus; used only when it is a folder
//                    of this user that it may write, else (as after su) the default
//                    $TMPDIR/orvant-<uid>, or a fresh private folder when that one is not ours
//   TMPDIR           temporary files (default /tmp)

#include <string>
#include <string_view>

namespace platform {

// The product name: it names the data folder, the settings folder and the single-instance lock.
inline constexpr std::string_view kProductName = "ORVANT X80 PRO";

std::string ExecutableFolder();
// The read-only data shipped beside the executable.
std::string DefaultDataFolder();
// The platform's local application-data folder (not created).
std::string LocalAppDataFolder();
// Local application data + the product name; created when missing.
std::string ProductDataFolder();
// The product data folder + a device kind's folder name; created (with its parents) when missing.
std::string DeviceFolder(std::string_view deviceFolderName);
// Where the settings store keeps its file: config home + the product name (not created).
std::string SettingsFolder();
// Per-session runtime folder, created with mode 0700 when missing; always one this user may write
// into unless no temporary folder can be made either.
std::string RuntimeFolder();
std::string TempFolder();

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

} // namespace platform

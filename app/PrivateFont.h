#pragma once
// A font file registered for this process only (not installed for the system), held until released.
// The font file is executable folder + a relative path; the registration itself is done through
// FontRegistrar, which the program installs (SkinFontRegistrar: the skin library's font files). Without
// a registrar no font loads and text falls back to the system's fonts.

#include <string>
#include <string_view>

// How the process registers and unregisters a private font file.
struct FontRegistrar
{
    // Registers the fonts of the file; answers a handle >= 0, or < 0 when the file holds no usable font.
    int (*add)(const std::string& path) = nullptr;
    // nullptr: a registered font stays for the life of the process.
    void (*remove)(int handle) = nullptr;
};

void SetFontRegistrar(FontRegistrar registrar);

// The skin library's registration (dui::CPaintManagerUI::AddFontFile). It cannot unregister, so its
// fonts stay registered until the process ends; Release only forgets them.
FontRegistrar SkinFontRegistrar();

class PrivateFont
{
public:
    PrivateFont() = default;
    ~PrivateFont() { Release(); }
    PrivateFont(const PrivateFont&) = delete;
    PrivateFont& operator=(const PrivateFont&) = delete;

    // Reads executable folder + relative (either separator) and registers it; false when the file
    // cannot be read or the font cannot be registered.
    bool Load(std::string_view relative);
    // Unregisters the font; nothing when none is held.
    void Release();
    bool IsLoaded() const { return handle_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int handle_ = -1;
    void (*remove_)(int) = nullptr;
};

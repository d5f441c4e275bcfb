#pragma once
// A font file registered for this process only (not installed for the system), held until released.
// The font is read from executable folder + a relative path; the registration itself is done by the
// host toolkit through FontRegistrar, which start-up installs. Without a registrar no font loads and
// text falls back to the system's fonts.

#include <string>
#include <string_view>

// How the process registers and unregisters a private font from its bytes.
struct FontRegistrar
{
    // Registers the font; answers a handle >= 0, or < 0 when the bytes are no usable font.
    int (*add)(const std::string& bytes) = nullptr;
    void (*remove)(int handle) = nullptr;
};

void SetFontRegistrar(FontRegistrar registrar);

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

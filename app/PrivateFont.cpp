#include "app/PrivateFont.h"

#include "dui/PaintManager.h"
#include "platform/Folders.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>

namespace {

std::mutex g_registrarLock; // owner: g_registrar
FontRegistrar g_registrar;

FontRegistrar CurrentRegistrar()
{
    std::lock_guard lock(g_registrarLock);
    return g_registrar;
}

std::atomic<int> g_nextSkinFont{0};

int AddSkinFont(const std::string& path)
{
    return dui::CPaintManagerUI::AddFontFile(path).empty() ? -1 : g_nextSkinFont++;
}

} // namespace

FontRegistrar SkinFontRegistrar()
{
    return {&AddSkinFont, nullptr};
}

void SetFontRegistrar(FontRegistrar registrar)
{
    std::lock_guard lock(g_registrarLock);
    g_registrar = registrar;
}

bool PrivateFont::Load(std::string_view relative)
{
    Release();
    std::string rel(relative);
    std::replace(rel.begin(), rel.end(), '\\', '/');
    path_ = platform::ExecutableFolder() + rel;
    FontRegistrar registrar = CurrentRegistrar();
    if (!registrar.add) {
        return false;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in || in.peek() == std::ifstream::traits_type::eof()) {
        return false; // missing, unreadable or empty
    }
    in.close();
    handle_ = registrar.add(path_);
    remove_ = registrar.remove;
    return handle_ >= 0;
}

void PrivateFont::Release()
{
    if (handle_ >= 0 && remove_) {
        remove_(handle_);
    }
    handle_ = -1;
    remove_ = nullptr;
}

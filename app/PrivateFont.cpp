#include "app/PrivateFont.h"

#include "platform/Folders.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

namespace {

std::mutex g_registrarLock; // owner: g_registrar
FontRegistrar g_registrar;

FontRegistrar CurrentRegistrar()
{
    std::lock_guard lock(g_registrarLock);
    return g_registrar;
}

} // namespace

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
    if (!in) {
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.empty()) {
        return false;
    }
    handle_ = registrar.add(bytes);
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

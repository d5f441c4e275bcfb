#include "link/HidPath.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace hid {
namespace {

constexpr std::string_view kPrefix = "\\\\?\\";
constexpr std::string_view kClassId = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

} // namespace

std::string FormatPath(const InterfaceInfo& info, int collection)
{
    char ids[64];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", info.vendorId, info.productId);
    std::string path = std::string(kPrefix) + info.bus + "#" + ids;
    if (info.interfaceNumber >= 0) {
        std::snprintf(ids, sizeof ids, "&mi_%02x", info.interfaceNumber & 0xFF);
        path += ids;
    }
    if (collection > 0) {
        std::snprintf(ids, sizeof ids, "&col%02x", collection & 0xFF);
        path += ids;
    }
    return path + "#" + info.location + "#" + std::string(kClassId);
}

bool SplitPath(std::string_view path, PathParts& out)
{
    if (path.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    path.remove_prefix(kPrefix.size());
    const size_t first = path.find('#');
    const size_t second = first == std::string_view::npos ? first : path.find('#', first + 1);
    const size_t last = path.rfind('#');
    if (second == std::string_view::npos || last <= second + 1) {
        return false;
    }
    out.bus = std::string(path.substr(0, first));
    out.location = std::string(path.substr(second + 1, last - second - 1));
    return true;
}

uint32_t ParseHexAfter(std::string_view path, std::string_view marker)
{
    const auto at = std::search(path.begin(), path.end(), marker.begin(), marker.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    if (at == path.end() || marker.empty()) {
        return 0;
    }
    const std::string rest(at + static_cast<std::ptrdiff_t>(marker.size()), path.end());
    unsigned int value = 0;
    return std::sscanf(rest.c_str(), "%x", &value) == 1 ? value : 0;
}

} // namespace hid

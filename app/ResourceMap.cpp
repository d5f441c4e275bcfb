#include "app/ResourceMap.h"

#include "dui/PaintManager.h"
#include "platform/DebugOutput.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Replaces the five predefined entities; any other '&' stays as it is.
std::string DecodeEntities(std::string_view raw)
{
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        bool replaced = false;
        for (const auto& [entity, ch] : kEntities) {
            if (raw.substr(i, entity.size()) == entity) {
                out += ch;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += raw[i++];
        }
    }
    return out;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Reads the attributes of a start tag from pos (just after its name) up to its '>'; false when the tag
// is not closed or an attribute is malformed.
bool ReadAttributes(std::string_view text, size_t& pos, Attributes& attributes)
{
    while (pos < text.size()) {
        while (pos < text.size() && IsSpace(text[pos])) {
            ++pos;
        }
        if (pos >= text.size()) {
            return false;
        }
        if (text[pos] == '>') {
            ++pos;
            return true;
        }
        if (text.substr(pos, 2) == "/>") {
            pos += 2;
            return true;
        }
        size_t nameStart = pos;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '=' && text[pos] != '>' &&
               text[pos] != '/') {
            ++pos;
        }
        std::string_view name = text.substr(nameStart, pos - nameStart);
        while (pos < text.size() && IsSpace(text[pos])) {
            ++pos;
        }
        if (name.empty() || pos + 1 >= text.size() || text[pos] != '=') {
            return false;
        }
        ++pos;
        while (pos < text.size() && IsSpace(text[pos])) {
            ++pos;
        }
        if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) {
            return false;
        }
        char quote = text[pos++];
        size_t end = text.find(quote, pos);
        if (end == std::string_view::npos) {
            return false;
        }
        attributes.emplace_back(std::string(name), DecodeEntities(text.substr(pos, end - pos)));
        pos = end + 1;
    }
    return false;
}

std::string Attribute(const Attributes& attributes, std::string_view key)
{
    for (const auto& [name, value] : attributes) {
        if (name == key) {
            return value;
        }
    }
    return {};
}

} // namespace

CResourceMap& CResourceMap::Instance()
{
    static CResourceMap map;
    return map;
}

bool CResourceMap::LoadResource(std::string_view file)
{
    std::string path(file);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/') {
        path = dui::CPaintManagerUI::GetResourcePath() + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        entries_.clear();
        platform::DebugPrintf("cannot read the resource map '%s'\n", path.c_str());
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!LoadFromText(text)) {
        platform::DebugPrintf("the resource map '%s' is not well-formed\n", path.c_str());
        return false;
    }
    return true;
}

bool CResourceMap::LoadFromText(std::string_view text)
{
    // Markup that is skipped whole: its opening and its end.
    static constexpr std::pair<std::string_view, std::string_view> kSkipped[] = {
        {"<!--", "-->"}, {"<?", "?>"}, {"<!", ">"}, {"</", ">"}};
    std::map<std::string, std::string> entries;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string_view::npos) {
        bool skipped = false;
        for (const auto& [open, close] : kSkipped) {
            if (text.substr(pos, open.size()) == open) {
                size_t end = text.find(close, pos + open.size());
                if (end == std::string_view::npos) {
                    entries_.clear();
                    return false;
                }
                pos = end + close.size();
                skipped = true;
                break;
            }
        }
        if (skipped) {
            continue;
        }
        ++pos;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '>' && text[pos] != '/') {
            ++pos;
        }
        Attributes attributes;
        if (!ReadAttributes(text, pos, attributes)) {
            entries_.clear();
            return false;
        }
        std::string name = Attribute(attributes, "name");
        std::string value = Attribute(attributes, "value");
        if (!name.empty() && !value.empty()) {
            entries[Lower(name)] = value;
        }
    }
    entries_ = std::move(entries);
    return true;
}

std::optional<std::string> CResourceMap::Find(std::string_view name) const
{
    auto it = entries_.find(Lower(name));
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::string CResourceMap::Resolve(std::string_view nameOrFile) const
{
    return Find(nameOrFile).value_or(std::string(nameOrFile));
}

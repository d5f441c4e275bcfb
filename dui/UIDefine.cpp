#include "dui/UIDefine.h"

#include <cctype>
#include <charconv>

namespace dui {

DWORD ParseColor(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.starts_with('#'))
        text.remove_prefix(1);
    else if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    DWORD value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc())
        return 0;
    if (end - text.data() <= 6)
        value |= 0xFF000000u;
    return value;
}

bool ParseBool(std::string_view text)
{
    return EqualsNoCase(text, "true");
}

bool ParseCursor(std::string_view name, int& cursor)
{
    static const struct
    {
        const char* name;
        int cursor;
    } kCursors[] = {{"arrow", UICURSOR_ARROW},       {"hand", UICURSOR_HAND},
                    {"ibeam", UICURSOR_IBEAM},       {"sizewe", UICURSOR_SIZEWE},
                    {"sizens", UICURSOR_SIZENS},     {"sizenwse", UICURSOR_SIZENWSE},
                    {"sizenesw", UICURSOR_SIZENESW}, {"sizeall", UICURSOR_SIZEALL},
                    {"wait", UICURSOR_WAIT},         {"no", UICURSOR_NO}};
    for (const auto& c : kCursors) {
        if (EqualsNoCase(name, c.name)) {
            cursor = c.cursor;
            return true;
        }
    }
    cursor = UICURSOR_ARROW;
    return false;
}

std::string ToLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace dui

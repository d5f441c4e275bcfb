#include "dui/RenderEngine.h"

#include "dui/PaintManager.h"
#include "platform/DebugOutput.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

namespace dui {

namespace {

std::mutex g_cacheLock; // owner: the image cache below
std::map<std::tuple<std::string, DWORD, bool>, TImageInfo> g_images;
std::set<std::string> g_missing; // names already reported unreadable
struct Hsl
{
    bool use = false;
    int h = 180, s = 100, l = 100;
} g_hsl;

std::string ResolvePath(const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() == '/')
        return path;
    return CPaintManagerUI::GetResourcePath() + path;
}

void ApplyKey(TDrawInfo& info, std::string_view key, std::string_view value)
{
    if (key == "file" || key == "res") {
        info.sImageName = value;
    } else if (key == "restype") {
        info.sResType = value;
    } else if (key == "dest") {
        ParseRect(value, info.rcDest);
        info.bDestSet = true;
    } else if (key == "source") {
        ParseRect(value, info.rcSource);
    } else if (key == "corner") {
        ParseRect(value, info.rcCorner);
    } else if (key == "mask") {
        info.dwMask = ParseColor(value);
    } else if (key == "fade") {
        int v = 255;
        std::from_chars(value.data(), value.data() + value.size(), v);
        info.uFade = std::clamp(v, 0, 255);
    } else if (key == "hole") {
        info.bHole = ParseBool(value);
    } else if (key == "xtiled") {
        info.bTiledX = ParseBool(value);
    } else if (key == "ytiled") {
        info.bTiledY = ParseBool(value);
    } else if (key == "hsl") {
        info.bHSL = ParseBool(value);
    }
}

// Reads key='value' pairs into info; false when the text is not in that form.
bool ParsePairs(std::string_view text, TDrawInfo& info)
{
    size_t pos = 0;
    bool any = false;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        if (pos >= text.size())
            break;
        size_t eq = text.find('=', pos);
        if (eq == std::string_view::npos)
            return any;
        std::string_view key = text.substr(pos, eq - pos);
        while (!key.empty() && key.back() == ' ')
            key.remove_suffix(1);
        size_t open = eq + 1;
        if (open >= text.size() || (text[open] != '\'' && text[open] != '"'))
            return any;
        size_t close = text.find(text[open], open + 1);
        if (close == std::string_view::npos)
            return any;
        ApplyKey(info, key, text.substr(open + 1, close - open - 1));
        any = true;
        pos = close + 1;
    }
    return any;
}

} // namespace

bool CRenderEngine::ParseDrawInfo(std::string_view description, TDrawInfo& out)
{
    if (description.empty())
        return false;
    if (description.find('=') == std::string_view::npos || description.find('\'') == std::string_view::npos) {
        out.sImageName = description;
        return true;
    }
    ParsePairs(description, out);
    return !out.sImageName.empty();
}

const TImageInfo* CRenderEngine::GetImage(const std::string& name, DWORD mask, bool hsl)
{
    bool useHsl;
    Hsl adjust;
    {
        std::lock_guard lock(g_cacheLock);
        adjust = g_hsl;
        useHsl = hsl && g_hsl.use;
        auto it = g_images.find({name, mask, useHsl});
        if (it != g_images.end())
            return &it->second;
    }
    SIZE size;
    std::shared_ptr<CImageBits> bits = LoadImageFile(ResolvePath(name), mask, &size);
    std::lock_guard lock(g_cacheLock);
    if (!bits) {
        if (g_missing.insert(name).second)
            platform::DebugPrintf("dui: cannot read image '%s'\n", name.c_str());
        return nullptr;
    }
    if (useHsl) {
        if (auto adjusted = AdjustImageHsl(*bits, adjust.h, adjust.s, adjust.l))
            bits = adjusted;
    }
    TImageInfo info{size.cx, size.cy, mask, bits};
    return &g_images.insert_or_assign({name, mask, useHsl}, info).first->second;
}

void CRenderEngine::FreeImageCache()
{
    std::lock_guard lock(g_cacheLock);
    g_images.clear();
    g_missing.clear();
}

void CRenderEngine::SetHSL(bool use, int h, int s, int l)
{
    std::lock_guard lock(g_cacheLock);
    g_hsl = {use, h, s, l};
    std::erase_if(g_images, [](const auto& entry) { return std::get<2>(entry.first); });
}

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    if (hDC && (color >> 24) != 0)
        hDC->FillRect(rc, color);
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD from, DWORD to, bool vertical)
{
    if (hDC)
        hDC->FillGradient(rc, from, to, vertical);
}

void CRenderEngine::DrawLine(HDC hDC, POINT from, POINT to, int size, DWORD color)
{
    if (hDC)
        hDC->DrawLine(from, to, size, color);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int size, DWORD color)
{
    if (hDC)
        hDC->DrawRect(rc, size, color);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int size, int rx, int ry, DWORD color)
{
    if (hDC)
        hDC->DrawRoundRect(rc, size, rx, ry, color);
}

void CRenderEngine::FillRoundRect(HDC hDC, const RECT& rc, int rx, int ry, DWORD color)
{
    if (hDC)
        hDC->FillRoundRect(rc, rx, ry, color);
}

void CRenderEngine::DrawEllipse(HDC hDC, const RECT& rc, int size, DWORD color)
{
    if (hDC)
        hDC->DrawEllipse(rc, size, color);
}

void CRenderEngine::FillEllipse(HDC hDC, const RECT& rc, DWORD color)
{
    if (hDC)
        hDC->FillEllipse(rc, color);
}

void CRenderEngine::FillPie(HDC hDC, const RECT& rc, double startDeg, double sweepDeg, DWORD color)
{
    if (hDC)
        hDC->FillPie(rc, startDeg, sweepDeg, color);
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* manager, const RECT& rc, std::string_view text,
                             DWORD color, int font, UINT style)
{
    if (!hDC || text.empty())
        return;
    static const TFontInfo kFallback{"Sans Serif", 12};
    hDC->DrawText(rc, text, color, manager ? manager->GetScaledFontInfo(font) : kFallback, style);
}

SIZE CRenderEngine::GetTextSize(CPaintManagerUI* manager, std::string_view text, int font, UINT style,
                                int width)
{
    static const TFontInfo kFallback{"Sans Serif", 12};
    return MeasureText(text, manager ? manager->GetScaledFontInfo(font) : kFallback, style, width);
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem,
                                    const RECT& rcPaint, std::string_view image, std::string_view modify)
{
    return DrawImageString(hDC, manager, rcItem, rcPaint, image, modify, 0, 255, false);
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem,
                                    const RECT& rcPaint, std::string_view image, std::string_view modify,
                                    DWORD colorRef, int bright, bool on)
{
    TDrawInfo info;
    if (!ParseDrawInfo(image, info))
        return false;
    // The description's rectangles inside the control are layout values; a modification comes from
    // the control's own layout, in pixels already.
    if (manager) {
        info.rcDest = manager->ScaleRect(info.rcDest);
        info.rcCorner = manager->ScaleRect(info.rcCorner);
    }
    if (!modify.empty())
        ParsePairs(modify, info);
    const TImageInfo* loaded = GetImage(info.sImageName, info.dwMask, info.bHSL);
    if (!loaded || !loaded->bits)
        return false;
    if (!hDC)
        return true;
    TImageTint tint{colorRef, std::clamp(bright, 0, 255)};
    DrawImage(hDC, *loaded->bits, {loaded->nX, loaded->nY}, rcItem, rcPaint, info, on ? &tint : nullptr);
    return true;
}

void CRenderEngine::DrawImage(HDC hDC, const CImageBits& bits, SIZE imageSize, const RECT& rcItem,
                              const RECT& rcPaint, const TDrawInfo& info, const TImageTint* tint)
{
    RECT dest = rcItem;
    if (info.bDestSet) {
        dest = {rcItem.left + info.rcDest.left, rcItem.top + info.rcDest.top, rcItem.left + info.rcDest.right,
                rcItem.top + info.rcDest.bottom};
        dest.right = std::min(dest.right, rcItem.right);
        dest.bottom = std::min(dest.bottom, rcItem.bottom);
    }
    RECT visible;
    if (dest.IsEmpty() || !IntersectRect(visible, dest, rcPaint))
        return;
    RECT source = info.rcSource;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = {0, 0, imageSize.cx, imageSize.cy};
    source.right = std::min(source.right, imageSize.cx);
    source.bottom = std::min(source.bottom, imageSize.cy);
    if (source.IsEmpty())
        return;
    hDC->Save();
    hDC->ClipRect(visible);
    const RECT& c = info.rcCorner;
    int alpha = info.uFade;
    auto draw = [&](const RECT& d, const RECT& s) {
        if (tint)
            hDC->DrawTintedImage(bits, d, s, alpha, *tint);
        else
            hDC->DrawImage(bits, d, s, alpha);
    };
    auto part = [&](RECT d, RECT s) {
        if (d.IsEmpty() || s.IsEmpty())
            return;
        if (!info.bTiledX && !info.bTiledY) {
            draw(d, s);
            return;
        }
        int tw = info.bTiledX ? s.Width() : d.Width();
        int th = info.bTiledY ? s.Height() : d.Height();
        for (int y = d.top; y < d.bottom; y += th) {
            for (int x = d.left; x < d.right; x += tw) {
                RECT td{x, y, std::min(x + tw, d.right), std::min(y + th, d.bottom)};
                RECT ts = s;
                if (info.bTiledX)
                    ts.right = ts.left + td.Width();
                if (info.bTiledY)
                    ts.bottom = ts.top + td.Height();
                draw(td, ts);
            }
        }
    };
    bool hasCorner = c.left || c.top || c.right || c.bottom;
    if (!hasCorner) {
        if (!info.bHole)
            part(dest, source);
    } else {
        // Nine parts: the corners keep their size, the edges stretch along one axis, the middle both.
        int dx[4] = {dest.left, dest.left + c.left, dest.right - c.right, dest.right};
        int dy[4] = {dest.top, dest.top + c.top, dest.bottom - c.bottom, dest.bottom};
        int sx[4] = {source.left, source.left + c.left, source.right - c.right, source.right};
        int sy[4] = {source.top, source.top + c.top, source.bottom - c.bottom, source.bottom};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (row == 1 && col == 1 && info.bHole)
                    continue;
                part({dx[col], dy[row], dx[col + 1], dy[row + 1]},
                     {sx[col], sy[row], sx[col + 1], sy[row + 1]});
            }
        }
    }
    hDC->Restore();
}

} // namespace dui

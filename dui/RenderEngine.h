#pragma once
// CRenderEngine: the drawing helpers controls use — colours, rectangles, rounded rectangles, borders,
// ellipses, pies, text through the window's font table, and images named by an image description:
//
//   "a.png"  or  "file='a.png' dest='0,0,10,10' source='0,0,20,20' corner='2,2,2,2' mask='#FF00FF'
//                 fade='128' hole='true' xtiled='true' ytiled='true' hsl='true'"   ("res='a.png'
//                 restype='PNG'" names the image as a resource of the skin).
//
// dest is an offset rectangle inside the control (clipped to it); source a part of the image (all zero =
// the whole image); corner the margins kept unstretched in a nine-grid stretch; hole skips the middle
// part. dest and corner are layout values: drawn at the window's scale (source is in image pixels).
// Decoded images are cached by file and mask.

#include "dui/Painter.h"
#include "dui/UIDefine.h"

#include <memory>
#include <string>
#include <string_view>

namespace dui {

class CPaintManagerUI;

// A decoded image of the cache.
struct TImageInfo
{
    int nX = 0;
    int nY = 0;
    DWORD dwMask = 0;
    std::shared_ptr<CImageBits> bits;
};

// An image description, parsed.
struct TDrawInfo
{
    std::string sImageName;
    std::string sResType;
    RECT rcDest;
    RECT rcSource;
    RECT rcCorner;
    DWORD dwMask = 0;
    int uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
    bool bHSL = false;
    bool bDestSet = false;
};

class CRenderEngine
{
public:
    // Parses an image description; false when it names no image.
    static bool ParseDrawInfo(std::string_view description, TDrawInfo& out);
    // The cached image for a name relative to the resource path (or absolute), decoded on first use;
    // nullptr (and a debug line, once per name) when it cannot be read.
    static const TImageInfo* GetImage(const std::string& name, DWORD mask = 0, bool hsl = false);
    static void FreeImageCache();
    // Skin colour adjustment applied to images whose description says hsl='true'.
    static void SetHSL(bool use, int h, int s, int l);

    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD from, DWORD to, bool vertical);
    static void DrawLine(HDC hDC, POINT from, POINT to, int size, DWORD color);
    static void DrawRect(HDC hDC, const RECT& rc, int size, DWORD color);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int size, int rx, int ry, DWORD color);
    static void FillRoundRect(HDC hDC, const RECT& rc, int rx, int ry, DWORD color);
    static void DrawEllipse(HDC hDC, const RECT& rc, int size, DWORD color);
    static void FillEllipse(HDC hDC, const RECT& rc, DWORD color);
    static void FillPie(HDC hDC, const RECT& rc, double startDeg, double sweepDeg, DWORD color);

    // Text with the font of the window's font table (-1 = default font) and DT_* style.
    static void DrawText(HDC hDC, CPaintManagerUI* manager, const RECT& rc, std::string_view text,
                         DWORD color, int font, UINT style);
    static SIZE GetTextSize(CPaintManagerUI* manager, std::string_view text, int font, UINT style,
                            int width = 0);

    // Draws an image description over rcItem, limited to rcPaint. `modify` is a second description
    // whose keys override the first (for instance "dest='…'"). False when the image cannot be drawn.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                std::string_view image, std::string_view modify = {});
    // The same, tinted when `on`: the image multiplied by the colour (0x00BBGGRR) scaled by bright/255.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                std::string_view image, std::string_view modify, DWORD colorRef, int bright,
                                bool on);
    // Draws a parsed description with an already loaded image, multiplied by the tint if one is given.
    static void DrawImage(HDC hDC, const CImageBits& bits, SIZE imageSize, const RECT& rcItem,
                          const RECT& rcPaint, const TDrawInfo& info, const TImageTint* tint = nullptr);
};

} // namespace dui

#pragma once
// The painting back end of the skin library: a small drawing interface that controls paint on, an
// offscreen surface holding the pixels a window shows (and that tests save as PNG), text measuring and
// image decoding. The implementation lives in the back end's .cpp files; nothing here names it.

#include "dui/UIDefine.h"

#include <memory>
#include <string>
#include <string_view>

namespace dui {

// A font as the font table holds it.
struct TFontInfo
{
    std::string sFontName;
    int iSize = 12; // pixel height
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
};

// Decoded pixels of an image; defined by the back end.
class CImageBits;

// The colour a light image is multiplied by when drawn: 0x00BBGGRR, scaled by bright/255 (0–255).
struct TImageTint
{
    DWORD colorRef = 0;
    int bright = 255;
};

// Drawing operations; colours are 0xAARRGGBB. Coordinates are window client pixels.
class IPainter
{
public:
    virtual ~IPainter() = default;

    // Clipping: Save/Restore bracket a ClipRect, which narrows the clip to the rectangle.
    virtual void Save() = 0;
    virtual void Restore() = 0;
    virtual void ClipRect(const RECT& rc) = 0;
    virtual void ClipRoundRect(const RECT& rc, int rx, int ry) = 0;

    virtual void FillRect(const RECT& rc, DWORD color) = 0;
    virtual void FillGradient(const RECT& rc, DWORD from, DWORD to, bool vertical) = 0;
    virtual void DrawRect(const RECT& rc, int size, DWORD color) = 0;
    virtual void FillRoundRect(const RECT& rc, int rx, int ry, DWORD color) = 0;
    virtual void DrawRoundRect(const RECT& rc, int size, int rx, int ry, DWORD color) = 0;
    virtual void DrawLine(POINT from, POINT to, int size, DWORD color) = 0;
    virtual void FillEllipse(const RECT& rc, DWORD color) = 0;
    virtual void DrawEllipse(const RECT& rc, int size, DWORD color) = 0;
    // A pie of the ellipse inscribed in rc: angles in degrees, 0 = three o'clock, growing clockwise.
    virtual void FillPie(const RECT& rc, double startDeg, double sweepDeg, DWORD color) = 0;
    // Text in UTF-8 with DT_* style flags.
    virtual void DrawText(const RECT& rc, std::string_view text, DWORD color, const TFontInfo& font,
                          UINT style) = 0;
    // Draws the source part of the image stretched onto dest with the given opacity (0–255).
    virtual void DrawImage(const CImageBits& image, const RECT& dest, const RECT& source, int alpha) = 0;
    // The same with every pixel multiplied by the tint while drawing (the image itself stays as it is).
    virtual void DrawTintedImage(const CImageBits& image, const RECT& dest, const RECT& source, int alpha,
                                 const TImageTint& tint) = 0;
};

// An offscreen ARGB surface with a painter on it.
class CRenderSurface
{
public:
    CRenderSurface(int width, int height);
    ~CRenderSurface();
    CRenderSurface(const CRenderSurface&) = delete;
    CRenderSurface& operator=(const CRenderSurface&) = delete;

    int Width() const;
    int Height() const;
    // Resizes (the content is lost) and clears to transparent.
    void Resize(int width, int height);
    // The painter on the surface; open until the pixels are read.
    IPainter& Painter();
    // Ends painting (if open) and gives the pixels: 32-bit premultiplied ARGB rows.
    const uint8_t* Bits();
    int BytesPerLine() const;
    // The colour of one pixel (0xAARRGGBB, not premultiplied); 0 outside the surface.
    DWORD PixelAt(int x, int y);
    bool SavePng(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The size of the text drawn with the font and style; `width` bounds wrapped text (0 = unbounded).
SIZE MeasureText(std::string_view text, const TFontInfo& font, UINT style, int width = 0);
// The characters of the text that neither the font nor any installed font it falls back to can draw
// (they show as the missing-glyph box); empty when every character has a glyph. Spaces and controls
// draw nothing and are never missing.
std::u32string MissingGlyphs(std::string_view text, const TFontInfo& font);

// Image decoding (PNG, BMP, JPEG...). mask: a colour made transparent (0 = none). size receives the
// image size. nullptr when the data is not an image.
std::shared_ptr<CImageBits> LoadImageFile(const std::string& path, DWORD mask, SIZE* size);
std::shared_ptr<CImageBits> LoadImageData(const void* data, size_t length, DWORD mask, SIZE* size);
// A copy of the image multiplied by the tint, pixel for pixel what DrawTintedImage draws.
std::shared_ptr<CImageBits> TintImage(const CImageBits& image, const TImageTint& tint);
// A copy with hue shifted by h (0–359), saturation and lightness scaled by s and l (100 = unchanged).
std::shared_ptr<CImageBits> AdjustImageHsl(const CImageBits& image, int h, int s, int l);

} // namespace dui

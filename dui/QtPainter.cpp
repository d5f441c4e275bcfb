// The painting back end on Qt: IPainter on a QPainter, the offscreen surface on a QImage, text measuring
// with QFontMetrics and image decoding with QImage.

#include "dui/Painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace dui {

class CImageBits
{
public:
    explicit CImageBits(QImage img) : image(std::move(img)) {}
    QImage image; // premultiplied ARGB32
};

namespace {

QColor ToQColor(DWORD c)
{
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF);
}

QRect ToQRect(const RECT& rc)
{
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::mutex g_fontLock; // owner: the font cache below
std::map<std::tuple<std::string, int, bool, bool, bool>, QFont> g_fonts;

QFont ToQFont(const TFontInfo& info)
{
    std::lock_guard lock(g_fontLock);
    auto key = std::make_tuple(info.sFontName, info.iSize, info.bBold, info.bUnderline, info.bItalic);
    auto it = g_fonts.find(key);
    if (it != g_fonts.end())
        return it->second;
    QFont font(QString::fromStdString(info.sFontName));
    font.setPixelSize(std::max(1, info.iSize));
    font.setBold(info.bBold);
    font.setUnderline(info.bUnderline);
    font.setItalic(info.bItalic);
    g_fonts.emplace(key, font);
    return font;
}

int ToQtFlags(UINT style)
{
    int flags = 0;
    flags |= (style & DT_CENTER) ? Qt::AlignHCenter : (style & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    flags |= (style & DT_VCENTER) ? Qt::AlignVCenter : (style & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    if (style & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (style & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    return flags;
}

// Writes the part `from` of `in` multiplied by the tint to the top left of `out` (at least that big).
// Premultiplied channels scale linearly, so multiplying them keeps the alpha right. Four pixels at a time
// in 16-bit lanes; (x + 1 + (x >> 8)) >> 8 is x / 255 exactly for every product of two bytes.
using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Lanes16 = uint16_t __attribute__((vector_size(32)));

void TintPixels(const QImage& in, const QRect& from, const TImageTint& tint, QImage& out)
{
    int bright = std::clamp(tint.bright, 0, 255);
    auto fr = static_cast<uint16_t>((tint.colorRef & 0xFF) * bright / 255);
    auto fg = static_cast<uint16_t>(((tint.colorRef >> 8) & 0xFF) * bright / 255);
    auto fb = static_cast<uint16_t>(((tint.colorRef >> 16) & 0xFF) * bright / 255);
    // A pixel's bytes in memory are blue, green, red, alpha; alpha keeps its value.
    const Lanes16 factor = {fb, fg, fr, 255, fb, fg, fr, 255, fb, fg, fr, 255, fb, fg, fr, 255};
    auto scale = [&](const uint8_t* src, uint8_t* dst) {
        Bytes16 bytes;
        std::memcpy(&bytes, src, sizeof bytes);
        Lanes16 x = __builtin_convertvector(bytes, Lanes16) * factor;
        x = (x + 1 + (x >> 8)) >> 8;
        bytes = __builtin_convertvector(x, Bytes16);
        std::memcpy(dst, &bytes, sizeof bytes);
    };
    const int width = from.width();
    for (int y = 0; y < from.height(); ++y) {
        const uint8_t* src = in.constScanLine(from.top() + y) + from.left() * 4;
        uint8_t* dst = out.scanLine(y);
        int x = 0;
        for (; x + 4 <= width; x += 4)
            scale(src + x * 4, dst + x * 4);
        if (x < width) {
            uint8_t tail[16] = {};
            uint8_t result[16];
            std::memcpy(tail, src + x * 4, (width - x) * 4);
            scale(tail, result);
            std::memcpy(dst + x * 4, result, (width - x) * 4);
        }
    }
}

class CQtPainter final : public IPainter
{
public:
    explicit CQtPainter(QImage* target) : m_painter(target) {}
    void End() { m_painter.end(); }

    void Save() override { m_painter.save(); }
    void Restore() override { m_painter.restore(); }
    void ClipRect(const RECT& rc) override { m_painter.setClipRect(ToQRect(rc), Qt::IntersectClip); }
    void ClipRoundRect(const RECT& rc, int rx, int ry) override
    {
        QPainterPath path;
        path.addRoundedRect(ToQRect(rc), rx / 2.0, ry / 2.0);
        m_painter.setClipPath(path, Qt::IntersectClip);
    }
    void FillRect(const RECT& rc, DWORD color) override { m_painter.fillRect(ToQRect(rc), ToQColor(color)); }
    void FillGradient(const RECT& rc, DWORD from, DWORD to, bool vertical) override
    {
        QLinearGradient g(rc.left, rc.top, vertical ? rc.left : rc.right, vertical ? rc.bottom : rc.top);
        g.setColorAt(0, ToQColor(from));
        g.setColorAt(1, ToQColor(to));
        m_painter.fillRect(ToQRect(rc), g);
    }
    void DrawRect(const RECT& rc, int size, DWORD color) override
    {
        // Borders lie inside the rectangle.
        QColor c = ToQColor(color);
        m_painter.fillRect(QRect(rc.left, rc.top, rc.Width(), size), c);
        m_painter.fillRect(QRect(rc.left, rc.bottom - size, rc.Width(), size), c);
        m_painter.fillRect(QRect(rc.left, rc.top + size, size, rc.Height() - 2 * size), c);
        m_painter.fillRect(QRect(rc.right - size, rc.top + size, size, rc.Height() - 2 * size), c);
    }
    void FillRoundRect(const RECT& rc, int rx, int ry, DWORD color) override
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(ToQColor(color));
        m_painter.drawRoundedRect(ToQRect(rc), rx / 2.0, ry / 2.0);
        m_painter.restore();
    }
    void DrawRoundRect(const RECT& rc, int size, int rx, int ry, DWORD color) override
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(QPen(ToQColor(color), size));
        m_painter.setBrush(Qt::NoBrush);
        double h = size / 2.0;
        m_painter.drawRoundedRect(QRectF(rc.left + h, rc.top + h, rc.Width() - size, rc.Height() - size),
                                  rx / 2.0, ry / 2.0);
        m_painter.restore();
    }
    void DrawLine(POINT from, POINT to, int size, DWORD color) override
    {
        m_painter.save();
        m_painter.setPen(QPen(ToQColor(color), size));
        m_painter.drawLine(from.x, from.y, to.x, to.y);
        m_painter.restore();
    }
    void FillEllipse(const RECT& rc, DWORD color) override
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(ToQColor(color));
        m_painter.drawEllipse(ToQRect(rc));
        m_painter.restore();
    }
    void DrawEllipse(const RECT& rc, int size, DWORD color) override
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(QPen(ToQColor(color), size));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawEllipse(ToQRect(rc));
        m_painter.restore();
    }
    void FillPie(const RECT& rc, double startDeg, double sweepDeg, DWORD color) override
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(ToQColor(color));
        // Qt angles grow counter-clockwise in 1/16 degree.
        m_painter.drawPie(ToQRect(rc), static_cast<int>(-startDeg * 16), static_cast<int>(-sweepDeg * 16));
        m_painter.restore();
    }
    void DrawText(const RECT& rc, std::string_view text, DWORD color, const TFontInfo& font,
                  UINT style) override
    {
        QFont qfont = ToQFont(font);
        m_painter.setFont(qfont);
        m_painter.setPen(ToQColor(color));
        QString s = ToQString(text);
        if ((style & DT_END_ELLIPSIS) && !(style & DT_WORDBREAK))
            s = QFontMetrics(qfont).elidedText(s, Qt::ElideRight, rc.Width());
        m_painter.drawText(ToQRect(rc), ToQtFlags(style), s);
    }
    void DrawImage(const CImageBits& image, const RECT& dest, const RECT& source, int alpha) override
    {
        Draw(image.image, ToQRect(dest), ToQRect(source), alpha);
    }
    void DrawTintedImage(const CImageBits& image, const RECT& dest, const RECT& source, int alpha,
                         const TImageTint& tint) override
    {
        // The part is tinted into a scratch image kept between calls, so a colour that changes every
        // frame costs one pass over the pixels drawn and no allocation.
        QRect from = ToQRect(source).intersected(image.image.rect());
        if (alpha <= 0 || from.isEmpty())
            return;
        if (m_scratch.width() < from.width() || m_scratch.height() < from.height())
            m_scratch =
                QImage(std::max(m_scratch.width(), from.width()), std::max(m_scratch.height(), from.height()),
                       QImage::Format_ARGB32_Premultiplied);
        TintPixels(image.image, from, tint, m_scratch);
        Draw(m_scratch, ToQRect(dest), QRect(QPoint(0, 0), from.size()), alpha);
    }

private:
    void Draw(const QImage& image, const QRect& dest, const QRect& source, int alpha)
    {
        if (alpha <= 0)
            return;
        if (alpha < 255)
            m_painter.setOpacity(alpha / 255.0);
        m_painter.drawImage(dest, image, source);
        if (alpha < 255)
            m_painter.setOpacity(1.0);
    }

    QPainter m_painter;
    QImage m_scratch;
};

QImage Prepare(QImage image, DWORD mask)
{
    if (image.isNull())
        return image;
    if (mask != 0) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        QRgb key = mask & 0xFFFFFF;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
            }
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

struct CRenderSurface::Impl
{
    QImage image;
    std::unique_ptr<CQtPainter> painter;

    void End()
    {
        if (painter) {
            painter->End();
            painter.reset();
        }
    }
};

CRenderSurface::CRenderSurface(int width, int height) : m_impl(std::make_unique<Impl>())
{
    Resize(width, height);
}

CRenderSurface::~CRenderSurface()
{
    m_impl->End();
}

int CRenderSurface::Width() const
{
    return m_impl->image.width();
}
int CRenderSurface::Height() const
{
    return m_impl->image.height();
}

void CRenderSurface::Resize(int width, int height)
{
    m_impl->End();
    m_impl->image = QImage(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    m_impl->image.fill(Qt::transparent);
}

IPainter& CRenderSurface::Painter()
{
    if (!m_impl->painter)
        m_impl->painter = std::make_unique<CQtPainter>(&m_impl->image);
    return *m_impl->painter;
}

const uint8_t* CRenderSurface::Bits()
{
    m_impl->End();
    return m_impl->image.constBits();
}

int CRenderSurface::BytesPerLine() const
{
    return static_cast<int>(m_impl->image.bytesPerLine());
}

DWORD CRenderSurface::PixelAt(int x, int y)
{
    m_impl->End();
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    QColor c = m_impl->image.pixelColor(x, y);
    return (static_cast<DWORD>(c.alpha()) << 24) | (c.red() << 16) | (c.green() << 8) | c.blue();
}

bool CRenderSurface::SavePng(const std::string& path)
{
    m_impl->End();
    return m_impl->image.save(QString::fromStdString(path), "PNG");
}

SIZE MeasureText(std::string_view text, const TFontInfo& font, UINT style, int width)
{
    QFontMetrics fm(ToQFont(font));
    QString s = ToQString(text);
    if ((style & DT_WORDBREAK) && width > 0) {
        QRect r = fm.boundingRect(QRect(0, 0, width, 100000), ToQtFlags(style), s);
        return {r.width(), r.height()};
    }
    return {fm.horizontalAdvance(s), fm.height()};
}

std::u32string MissingGlyphs(std::string_view text, const TFontInfo& font)
{
    const QFont qfont = ToQFont(font);
    std::u32string missing;
    for (char32_t ch : ToQString(text).toStdU32String()) {
        if (QChar::isSpace(ch) || QChar::category(ch) == QChar::Other_Control)
            continue;
        // Laid out as the painter lays it out: the run's raw font is the face chosen for the character,
        // the requested one or a fallback.
        QTextLayout layout(QString::fromUcs4(&ch, 1), qfont);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (std::none_of(runs.begin(), runs.end(),
                         [ch](const QGlyphRun& run) { return run.rawFont().supportsCharacter(ch); }))
            missing += ch;
    }
    return missing;
}

std::shared_ptr<CImageBits> LoadImageFile(const std::string& path, DWORD mask, SIZE* size)
{
    QImage image = Prepare(QImage(QString::fromStdString(path)), mask);
    if (image.isNull())
        return nullptr;
    if (size)
        *size = {image.width(), image.height()};
    return std::make_shared<CImageBits>(std::move(image));
}

std::shared_ptr<CImageBits> LoadImageData(const void* data, size_t length, DWORD mask, SIZE* size)
{
    QImage image;
    if (!image.loadFromData(static_cast<const uchar*>(data), static_cast<int>(length)))
        return nullptr;
    image = Prepare(std::move(image), mask);
    if (size)
        *size = {image.width(), image.height()};
    return std::make_shared<CImageBits>(std::move(image));
}

std::shared_ptr<CImageBits> TintImage(const CImageBits& source, const TImageTint& tint)
{
    QImage image(source.image.size(), QImage::Format_ARGB32_Premultiplied);
    TintPixels(source.image, source.image.rect(), tint, image);
    return std::make_shared<CImageBits>(std::move(image));
}

std::shared_ptr<CImageBits> AdjustImageHsl(const CImageBits& source, int h, int s, int l)
{
    QImage image = source.image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QColor c = QColor::fromRgba(line[x]);
            float hh, ss, ll, aa;
            c.getHslF(&hh, &ss, &ll, &aa);
            if (hh < 0)
                hh = 0;
            hh = std::fmod(hh + (h - 180) / 360.0f + 1.0f, 1.0f);
            ss = std::clamp(ss * s / 100.0f, 0.0f, 1.0f);
            ll = std::clamp(ll * l / 100.0f, 0.0f, 1.0f);
            line[x] = QColor::fromHslF(hh, ss, ll, aa).rgba();
        }
    }
    return std::make_shared<CImageBits>(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

} // namespace dui

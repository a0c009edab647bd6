#include "sheet/FontMapping.h"

#include "sheet/FaceFallback.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace FontMapping {
namespace {
// Keep absurd heights from a file from asking the rasteriser for gigantic glyphs.
constexpr int kMaxPixelSize = 20000;
constexpr int kDefaultPixelSize = 16;   // what height 0 ("any size") gives
}

void installFaceSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("IPAPMincho")};
    const QStringList pmincho{QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")};
    const QStringList pgothic{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), pmincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), pmincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pgothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), pgothic);
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), pgothic);
    QFont::insertSubstitutions(QStringLiteral("System"), pgothic);
}

QFont toQFont(const BoxFont &box)
{
    QFont font(box.name());
    // Characters the face lacks are drawn by the faces of its chain.
    font.setFamilies(FaceFallback::familiesFor(box.name()));
    font.setBold(box.style().testFlag(FontStyle::Bold));
    font.setItalic(box.style().testFlag(FontStyle::Italic));
    font.setUnderline(box.style().testFlag(FontStyle::Underline));
    font.setStrikeOut(box.style().testFlag(FontStyle::StrikeOut));
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setKerning(false);

    const long long h = box.height();
    int pixels = kDefaultPixelSize;
    if (h < 0) {
        pixels = int(std::min<long long>(-h, kMaxPixelSize));
    } else if (h > 0) {
        // A positive height is the whole cell: scale the em so that ascent +
        // descent of this face come to h.
        QFont probe = font;
        probe.setPixelSize(1000);
        const QFontMetricsF m(probe);
        const qreal cell = m.ascent() + m.descent();
        const long double em = cell > 0 ? (long double)std::min<long long>(h, kMaxPixelSize) * 1000.0L / cell
                                        : (long double)h;
        pixels = int(std::clamp<long double>(std::round(em), 1.0L, (long double)kMaxPixelSize));
    }
    font.setPixelSize(std::max(1, pixels));
    return font;
}

BoxFont fromQFont(const QFont &font, std::int32_t height, std::int32_t color)
{
    FontStyles style;
    if (font.bold())
        style |= FontStyle::Bold;
    if (font.italic())
        style |= FontStyle::Italic;
    if (font.underline())
        style |= FontStyle::Underline;
    if (font.strikeOut())
        style |= FontStyle::StrikeOut;
    return BoxFont(font.family(), height, color, style);
}

QColor toQColor(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    if (v & 0x80000000U) {
        // System colour: the low byte is the system's colour index.
        const QPalette palette = QGuiApplication::palette();
        switch (v & 0xFFU) {
        case 5:  return palette.color(QPalette::Base);        // window background
        case 8:  return palette.color(QPalette::Text);        // window text
        case 13: return palette.color(QPalette::Highlight);
        case 14: return palette.color(QPalette::HighlightedText);
        case 15: return palette.color(QPalette::Button);      // button face
        case 16: return palette.color(QPalette::Dark);        // button shadow
        case 18: return palette.color(QPalette::ButtonText);
        case 20: return palette.color(QPalette::Light);       // button highlight
        default: return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(v & 0xFFU), int((v >> 8) & 0xFFU), int((v >> 16) & 0xFFU));
}

std::int32_t fromQColor(const QColor &color)
{
    const std::uint32_t v = std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8)
                            | (std::uint32_t(color.blue()) << 16);
    return static_cast<std::int32_t>(v);
}

} // namespace FontMapping

#include "sheet/FaceFallback.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QSet>
#include <QTextLayout>

#include <algorithm>

namespace FaceFallback {
namespace {

// Registry names first: IPAmj Mincho has every character of the civil
// registry's name list; the Noto CJK faces have most of the rest of CJK.
const QStringList MinchoChain{QStringLiteral("IPAMincho"), QStringLiteral("IPAmjMincho"),
                              QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
const QStringList GothicChain{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                              QStringLiteral("IPAmjMincho"), QStringLiteral("Noto Serif CJK JP")};

bool isGothic(const QString &face)
{
    for (const char16_t *word : {u"gothic", u"ゴシック", u"ｺﾞｼｯｸ", u"sans"}) {
        if (face.contains(QString::fromUtf16(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Characters that never have a glyph of their own to miss.
bool drawsNothing(char32_t ucs4)
{
    switch (QChar::category(ucs4)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
        return true;
    default:
        return false;
    }
}

QFont withChain(const QFont &font)
{
    QStringList families = font.families();
    if (families.isEmpty())
        families = QStringList{font.family()};
    for (const QString &face : chainFor(families.constFirst())) {
        if (!families.contains(face))
            families.append(face);
    }
    QFont chained = font;
    chained.setFamilies(families);
    return chained;
}

// The raw font Qt's own shaping draws text with, when it has a glyph for all of it.
QRawFont shapedFace(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);   // glyphRuns() without shaping again
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return {};
    const QList<QGlyphRun> runs = line.glyphRuns();
    for (const QGlyphRun &run : runs) {
        if (run.glyphIndexes().contains(0U))
            return {};
    }
    return runs.isEmpty() ? QRawFont() : runs.constFirst().rawFont();
}

// Whether Qt draws every character of text in font with a real glyph.
bool shapesWhole(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);   // glyphRuns() without shaping again
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return true;
    for (const QGlyphRun &run : line.glyphRuns()) {
        if (run.glyphIndexes().contains(0U))
            return false;
    }
    return true;
}

} // namespace

QStringList chainFor(const QString &face)
{
    // The installed faces, looked up once: the font database is read when
    // the program starts.
    static const auto installed = [](const QStringList &faces) {
        QStringList found;
        for (const QString &f : faces) {
            if (QFontDatabase::hasFamily(f))
                found.append(f);
        }
        return found;
    };
    static const QStringList mincho = installed(MinchoChain);
    static const QStringList gothic = installed(GothicChain);
    QStringList chain = isGothic(face) ? gothic : mincho;
    chain.removeAll(face);
    return chain;
}

QStringList familiesFor(const QString &face)
{
    return QStringList{face} + chainFor(face);
}

QRawFont rawFontFor(const QFont &font, char32_t ucs4)
{
    if (drawsNothing(ucs4))
        return {};
    const QFont chained = withChain(font);
    for (const QString &face : chained.families()) {
        QFont single = chained;
        single.setFamilies(QStringList{face});
        const QRawFont raw = QRawFont::fromFont(single);
        if (raw.isValid() && raw.supportsCharacter(ucs4))
            return raw;
    }
    // A face of the system's own fallback (DejaVu for many signs).
    const char32_t one[] = {ucs4};
    return shapedFace(chained, QString::fromUcs4(one, 1));
}

QList<char32_t> missingCharacters(const QFont &font, const QString &text)
{
    const QFont chained = withChain(font);
    // Most captions have a glyph for everything: one shaping answers.
    if (shapesWhole(chained, text))
        return {};
    // The faces of the chain answer from their character maps; only what
    // none of them has is shaped alone, for the system's own fallback.
    QList<QRawFont> faces;
    for (const QString &face : chained.families()) {
        QFont single = chained;
        single.setFamilies(QStringList{face});
        if (const QRawFont raw = QRawFont::fromFont(single); raw.isValid())
            faces.append(raw);
    }
    QList<char32_t> missing;
    QSet<char32_t> seen;
    for (const char32_t ucs4 : text.toUcs4()) {
        if (drawsNothing(ucs4) || seen.contains(ucs4))
            continue;
        seen.insert(ucs4);
        if (std::any_of(faces.cbegin(), faces.cend(), [ucs4](const QRawFont &raw) { return raw.supportsCharacter(ucs4); }))
            continue;
        const char32_t one[] = {ucs4};
        if (!shapesWhole(chained, QString::fromUcs4(one, 1))) {
            missing.append(ucs4);
            if (missing.size() == MaxMissingListed)
                break;
        }
    }
    return missing;
}

} // namespace FaceFallback

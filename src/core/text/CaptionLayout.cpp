#include "text/CaptionLayout.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <hb-ot.h>
#include <hb.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

namespace {

// HarfBuzz positions are in 64ths of a pixel.
constexpr qreal HbUnits = 64;
// Emboldened glyphs are widened by a 24th of the em, as plain captions are.
constexpr qreal EmboldenPerEm = 1.0 / 24;

// A face's tables as HarfBuzz reads them: from the raw font Qt found for the
// box's font, so the glyph indexes HarfBuzz gives are the ones Qt draws.
struct FaceTables {
    QRawFont raw;
};

hb_blob_t *referenceTable(hb_face_t *, hb_tag_t tag, void *user)
{
    auto *tables = static_cast<FaceTables *>(user);
    char name[4];
    hb_tag_to_string(tag, name);
    auto data = std::make_unique<QByteArray>(tables->raw.fontTable(name));
    if (data->isEmpty())
        return hb_blob_get_empty();
    const char *bytes = data->constData();
    const auto length = static_cast<unsigned int>(data->size());
    // The blob owns the copy from here on.
    return hb_blob_create(bytes, length, HB_MEMORY_MODE_READONLY, data.release(),
                          [](void *copy) { delete static_cast<QByteArray *>(copy); });
}

struct FaceDeleter {
    void operator()(hb_face_t *face) const { hb_face_destroy(face); }
};
struct FontDeleter {
    void operator()(hb_font_t *font) const { hb_font_destroy(font); }
};
struct BufferDeleter {
    void operator()(hb_buffer_t *buffer) const { hb_buffer_destroy(buffer); }
};
using HbFont = std::unique_ptr<hb_font_t, FontDeleter>;
using HbBuffer = std::unique_ptr<hb_buffer_t, BufferDeleter>;

using HbFaces = std::map<QString, std::unique_ptr<hb_face_t, FaceDeleter>>;

// The HarfBuzz faces of this thread. A raw font reads its tables through
// font engines of the thread that made it, which end with that thread and
// are not to be used by another meanwhile: each thread that lays out
// captions has faces of its own.
HbFaces &threadFaces()
{
    thread_local HbFaces faces;
    return faces;
}

// One HarfBuzz face a face of the system, made once a thread: its tables are
// read as HarfBuzz asks for them and kept while the thread lays out captions.
hb_face_t *sharedFace(const QRawFont &raw)
{
    HbFaces &faces = threadFaces();
    const QString key = raw.familyName() + QChar(0x1f) + raw.styleName();
    auto found = faces.find(key);
    if (found == faces.end()) {
        auto tables = std::make_unique<FaceTables>();
        tables->raw = raw;
        hb_face_t *face = hb_face_create_for_tables(referenceTable, tables.release(),
                                                    [](void *user) { delete static_cast<FaceTables *>(user); });
        found = faces.emplace(key, face).first;
    }
    return found->second.get();
}

HbFont sizedFont(const QRawFont &raw)
{
    HbFont font(hb_font_create(sharedFace(raw)));
    const int scale = int(std::lround(std::clamp<qreal>(raw.pixelSize(), 1, 1 << 16) * HbUnits));
    hb_font_set_scale(font.get(), scale, scale);
    return font;
}

struct ShapedGlyph {
    quint32 glyph;
    int cluster;      // UTF-16 index of its character
    qreal advance;    // along the run's direction, pixels
    qreal offsetX;    // pixels, y down
    qreal offsetY;
};

std::vector<ShapedGlyph> shape(hb_font_t *font, const QString &text, int from, int length, bool vertical)
{
    HbBuffer buffer(hb_buffer_create());
    hb_buffer_add_utf16(buffer.get(), reinterpret_cast<const uint16_t *>(text.utf16()), int(text.size()), unsigned(from),
                        length);
    hb_buffer_set_direction(buffer.get(), vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
    hb_buffer_set_language(buffer.get(), hb_language_from_string("ja", -1));
    hb_buffer_guess_segment_properties(buffer.get());
    // Plain captions are set without kerning: so are these.
    const hb_feature_t features[] = {{HB_TAG('k', 'e', 'r', 'n'), 0, 0, ~0u}, {HB_TAG('v', 'k', 'r', 'n'), 0, 0, ~0u}};
    hb_shape(font, buffer.get(), features, 2);
    unsigned int count = 0;
    const hb_glyph_info_t *infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t *positions = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
    std::vector<ShapedGlyph> glyphs;
    glyphs.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const hb_glyph_position_t &p = positions[i];
        glyphs.push_back({infos[i].codepoint, int(infos[i].cluster),
                          (vertical ? -p.y_advance : p.x_advance) / HbUnits, p.x_offset / HbUnits,
                          -p.y_offset / HbUnits});
    }
    return glyphs;
}

// A character whose vertical form is a turned glyph (ー, brackets): upright
// with the face's vertical form when it has one, else turned with the Latin.
bool hasVerticalForm(hb_font_t *font, char32_t c)
{
    hb_codepoint_t nominal = 0;
    if (!hb_font_get_nominal_glyph(font, c, &nominal))
        return false;
    const QString text = QString::fromUcs4(&c, 1);
    const std::vector<ShapedGlyph> glyphs = shape(font, text, 0, int(text.size()), true);
    return glyphs.size() == 1 && glyphs.front().glyph != nominal;
}

enum class Mode { Horizontal, Upright, Turned, SideBySide };

bool isHalfWidthDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

// Latin words and groups of digits stay together when a line is spread.
bool isWordCharacter(char32_t c)
{
    return c < 0x2E80 && QChar::isLetterOrNumber(c);
}

// A character of the text: a grapheme, or a group of digits set side by side.
struct Unit {
    int from;
    int length;
    Mode mode;
    int font;            // index into the layout's faces
    qreal advance = 0;   // along the line, pixels before scaling
    bool breakBefore = false;   // a spread line may widen the gap before it
    qreal along = 0;     // where it starts on the line
};

// The grapheme clusters of text, as [from, to) pairs.
std::vector<std::pair<int, int>> graphemes(const QString &text)
{
    std::vector<std::pair<int, int>> result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int from = 0;
    while (finder.toNextBoundary() > 0) {
        const int to = int(finder.position());
        if (to > from)
            result.emplace_back(from, to);
        from = to;
    }
    return result;
}

char32_t firstCodePoint(const QString &text, int at)
{
    const QChar high = text.at(at);
    if (high.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(high, text.at(at + 1));
    return high.unicode();
}

// A face of a font file. For a character no installed face has, Qt gives
// a raw font of its own that draws boxes: it has no family, no tables, and
// asking its family name crashes.
bool isFace(const QRawFont &raw)
{
    return raw.isValid() && !raw.fontTable("cmap").isEmpty();
}

// The faces a caption is drawn with: the box's own first, then for a
// character it lacks the face Qt draws it with, the first of the font's
// families that has it (the box font's fallback chain).
class Faces
{
public:
    Faces(const QString &text, const QFont &font) : m_text(text), m_font(font)
    {
        m_raws.push_back(QRawFont::fromFont(font));
        if (isFace(m_raws.front()))
            m_fonts.push_back(sizedFont(m_raws.front()));
    }
    int forCharacter(int from, int length)
    {
        (void)length;
        const char32_t c = firstCodePoint(m_text, from);
        if (m_raws.front().supportsCharacter(c))
            return 0;
        // Asked of Qt once per character, laid out alone: asking for a range
        // of the whole caption costs a pass over it every time.
        const auto known = m_chosen.find(c);
        if (known != m_chosen.end())
            return known->second;
        const int chosen = faceQtChooses(c);
        m_chosen.emplace(c, chosen);
        return chosen;
    }
    const QRawFont &raw(int n) const { return m_raws[size_t(n)]; }
    hb_font_t *hb(int n) const { return m_fonts[size_t(n)].get(); }

private:
    int faceQtChooses(char32_t c)
    {
        QTextLayout layout(QString::fromUcs4(&c, 1), m_font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);   // glyphRuns() without shaping again
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty())
            return 0;
        const QRawFont raw = runs.first().rawFont();
        for (size_t n = 0; n < m_raws.size(); ++n) {
            if (m_raws[n] == raw)
                return int(n);
        }
        // No face has the character (Qt's box glyph): the box's face draws
        // its missing-glyph sign. Asked once per such raw font.
        for (const QRawFont &refused : m_notFaces) {
            if (refused == raw)
                return 0;
        }
        if (!isFace(raw)) {
            m_notFaces.push_back(raw);
            return 0;
        }
        m_raws.push_back(raw);
        m_fonts.push_back(sizedFont(raw));
        return int(m_raws.size() - 1);
    }

    const QString &m_text;
    const QFont &m_font;
    std::vector<QRawFont> m_raws;
    std::vector<QRawFont> m_notFaces;
    std::vector<HbFont> m_fonts;
    std::map<char32_t, int> m_chosen;
};

QPainterPath glyphOutline(const QGlyphRun &run)
{
    QPainterPath path;
    const QRawFont raw = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
        path.addPath(raw.pathForGlyph(glyphs.at(i)).translated(positions.at(i)));
    return path;
}

} // namespace

void CaptionLayout::forgetFacesOfThisThread()
{
    threadFaces().clear();
}

const QPainterPath &CaptionLayout::Emboldened::widenedOutline()
{
    std::call_once(widenedOnce, [this] {
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        widened = stroker.createStroke(outline);
        widened.addPath(outline);
        widened.setFillRule(Qt::WindingFill);
    });
    return widened;
}

bool CaptionLayout::needsEmboldening(const QRawFont &font)
{
    if (font.weight() < QFont::DemiBold)
        return false;
    const QString style = font.styleName();
    for (const char *heavy : {"bold", "black", "heavy"})
        if (style.contains(QLatin1String(heavy), Qt::CaseInsensitive))
            return false;
    return true;
}

CaptionLayout CaptionLayout::lay(const QString &text, const QFont &font, const TextSetting &setting, QSizeF box,
                                 qreal available, Use use)
{
    CaptionLayout laid;
    if (text.isEmpty())
        return laid;
    const bool vertical = setting.vertical;
    const qreal sx = std::clamp(setting.scaleX, TextSetting::MinScale, TextSetting::MaxScale) / 100.0;
    const qreal sy = std::clamp(setting.scaleY, TextSetting::MinScale, TextSetting::MaxScale) / 100.0;
    const qreal alongScale = vertical ? sy : sx;
    const QTransform scale = QTransform::fromScale(sx, sy);

    Faces faces(text, font);
    const QRawFont primary = faces.raw(0);
    if (!isFace(primary))
        return laid;
    const qreal em = primary.pixelSize();
    const qreal ascent = std::round(primary.ascent());
    const qreal descent = std::round(primary.descent());
    const int tcy = vertical ? std::clamp(setting.tcy, 0, TextSetting::MaxTcy) : 0;

    // The characters, each with how it stands in the line and its face.
    std::vector<Unit> units;
    std::map<std::pair<int, char32_t>, bool> verticalForms;
    const std::vector<std::pair<int, int>> clusters = graphemes(text);
    for (size_t g = 0; g < clusters.size(); ++g) {
        const auto [from, to] = clusters[g];
        const char32_t c = firstCodePoint(text, from);
        if (tcy > 0 && isHalfWidthDigit(c) && (g == 0 || !isHalfWidthDigit(firstCodePoint(text, clusters[g - 1].first)))) {
            size_t end = g;
            while (end < clusters.size() && clusters[end].second - clusters[end].first == 1
                   && isHalfWidthDigit(text.at(clusters[end].first).unicode()))
                ++end;
            if (end - g <= size_t(tcy)) {
                const int length = clusters[end - 1].second - from;
                units.push_back({from, length, Mode::SideBySide, faces.forCharacter(from, length)});
                g = end - 1;
                continue;
            }
        }
        Mode mode = Mode::Horizontal;
        const int face = faces.forCharacter(from, to - from);
        if (vertical) {
            switch (u_getIntPropertyValue(UChar32(c), UCHAR_VERTICAL_ORIENTATION)) {
            case U_VO_UPRIGHT:
            case U_VO_TRANSFORMED_UPRIGHT:
                mode = Mode::Upright;
                break;
            case U_VO_TRANSFORMED_ROTATED:
            {
                // Asked once per character and face: a long caption repeats them.
                const auto key = std::make_pair(face, c);
                auto known = verticalForms.find(key);
                if (known == verticalForms.end())
                    known = verticalForms.emplace(key, hasVerticalForm(faces.hb(face), c)).first;
                mode = known->second ? Mode::Upright : Mode::Turned;
            }
                break;
            default:
                mode = Mode::Turned;
                break;
            }
        }
        units.push_back({from, to - from, mode, face});
    }

    // Runs of units shaped together: same face, same way of standing.
    struct Run {
        size_t first;
        size_t end;
        std::vector<ShapedGlyph> glyphs;
        qreal width = 0;   // a side-by-side group: its horizontal advance
    };
    std::vector<Run> runs;
    std::vector<int> unitAt(size_t(text.size()), -1);
    for (size_t u = 0; u < units.size(); ++u) {
        for (int i = 0; i < units[u].length; ++i)
            unitAt[size_t(units[u].from + i)] = int(u);
        const bool joins = !runs.empty() && units[u].mode != Mode::SideBySide
                           && units[runs.back().first].mode == units[u].mode && units[runs.back().first].font == units[u].font;
        if (joins)
            runs.back().end = u + 1;
        else
            runs.push_back({u, u + 1, {}});
    }
    for (Run &run : runs) {
        const Unit &first = units[run.first];
        const Unit &last = units[run.end - 1];
        run.glyphs = shape(faces.hb(first.font), text, first.from, last.from + last.length - first.from,
                           first.mode == Mode::Upright);
        for (const ShapedGlyph &glyph : run.glyphs) {
            const int u = glyph.cluster >= 0 && glyph.cluster < int(unitAt.size()) ? unitAt[size_t(glyph.cluster)] : -1;
            if (first.mode == Mode::SideBySide)
                run.width += glyph.advance;
            else if (u >= 0)
                units[size_t(u)].advance += glyph.advance;
        }
        if (first.mode == Mode::SideBySide)
            units[run.first].advance = em;
    }

    // Along the line: letter spacing between characters, then the alignment.
    const qreal spacing = setting.spacing * em / 1000.0 / alongScale;
    qreal boxLength = (vertical ? box.height() : box.width()) / alongScale;
    if (available > 0)
        boxLength = std::min(boxLength, available / alongScale);
    qreal natural = 0;
    int breaks = 0;
    for (size_t u = 0; u < units.size(); ++u) {
        if (u > 0) {
            natural += spacing;
            const char32_t before = firstCodePoint(text, units[u - 1].from + units[u - 1].length - 1);
            const char32_t after = firstCodePoint(text, units[u].from);
            units[u].breakBefore = !(isWordCharacter(before) && isWordCharacter(after))
                                   || units[u].mode == Mode::SideBySide || units[u - 1].mode == Mode::SideBySide;
            breaks += units[u].breakBefore ? 1 : 0;
        }
        natural += units[u].advance;
    }
    qreal start = 0;
    qreal extra = 0;
    qreal length = natural;
    switch (setting.align) {
    case TextAlign::Left:
        break;
    case TextAlign::Center:
        start = (boxLength - natural) / 2;
        break;
    case TextAlign::Right:
        start = boxLength - natural;
        break;
    case TextAlign::Justify:
        if (breaks > 0 && boxLength > natural) {
            extra = (boxLength - natural) / breaks;
            length = boxLength;
        }
        break;
    }
    qreal pen = start;
    for (size_t u = 0; u < units.size(); ++u) {
        if (u > 0)
            pen += spacing + (units[u].breakBefore ? extra : 0);
        units[u].along = pen;
        pen += units[u].advance;
    }
    laid.m_lineEnd = (start + length) * alongScale;

    // Across the line: the baseline of a horizontal one, the middle of a
    // vertical column standing at the box's right edge.
    const qreal baseline = ascent;
    const qreal middle = box.width() / sx - em / 2;
    laid.m_cell = vertical ? scale.mapRect(QRectF(middle - em / 2, start, em, length))
                           : scale.mapRect(QRectF(start, 0, length, ascent + descent));

    for (size_t u = 0; u < units.size(); ++u) {
        const Unit &unit = units[u];
        QRectF cellRect;
        switch (unit.mode) {
        case Mode::Horizontal:
            cellRect = QRectF(unit.along, 0, unit.advance, ascent + descent);
            break;
        case Mode::Upright:
        case Mode::SideBySide:
            cellRect = QRectF(middle - em / 2, unit.along, em, unit.advance);
            break;
        case Mode::Turned:
            cellRect = QRectF(middle - (ascent + descent) / 2, unit.along, ascent + descent, unit.advance);
            break;
        }
        laid.m_placed.push_back({unit.from, unit.length, QRectF(), scale.mapRect(cellRect), faces.raw(unit.font).familyName(),
                                 (unit.along + unit.advance) * alongScale});
    }
    if (use == Use::Measure)
        return laid;

    for (const Run &run : runs) {
        const Unit &first = units[run.first];
        const QRawFont raw = faces.raw(first.font);
        Piece piece;
        if (first.mode == Mode::Turned) {
            // Turned a quarter clockwise about the column's middle, the
            // glyphs' cell centred on it.
            const qreal shift = middle - (raw.descent() - raw.ascent()) / 2;
            piece.transform = QTransform().rotate(90) * QTransform::fromTranslate(shift, 0) * scale;
        } else if (first.mode == Mode::SideBySide) {
            // Side by side in one em, narrowed when wider.
            const qreal squeeze = run.width > em ? em / run.width : 1;
            const qreal left = middle - run.width * squeeze / 2;
            const qreal y = first.along + em / 2 + (raw.ascent() - raw.descent()) / 2;
            piece.transform = QTransform::fromScale(squeeze, 1) * QTransform::fromTranslate(left, y) * scale;
        } else {
            piece.transform = scale;
        }
        QList<quint32> indexes;
        QList<QPointF> positions;
        int current = -1;
        qreal unitPen = 0;   // the pen where the current unit's glyphs start
        qreal runPen = 0;
        for (const ShapedGlyph &glyph : run.glyphs) {
            const int u = glyph.cluster >= 0 && glyph.cluster < int(unitAt.size()) ? unitAt[size_t(glyph.cluster)] : -1;
            if (u < 0)
                continue;
            if (u != current) {
                current = u;
                unitPen = runPen;
            }
            const qreal along = units[size_t(u)].along + (runPen - unitPen);
            QPointF at;
            switch (first.mode) {
            case Mode::Horizontal:
                at = QPointF(along + glyph.offsetX, baseline + glyph.offsetY);
                break;
            case Mode::Upright:
                at = QPointF(middle + glyph.offsetX, along + glyph.offsetY);
                break;
            case Mode::Turned:
                at = QPointF(along + glyph.offsetX, glyph.offsetY);
                break;
            case Mode::SideBySide:
                at = QPointF(runPen + glyph.offsetX, glyph.offsetY);
                break;
            }
            indexes.append(glyph.glyph);
            positions.append(at);
            runPen += glyph.advance;
            const QRectF ink = raw.boundingRect(glyph.glyph).translated(at);
            if (!ink.isEmpty()) {
                QRectF &placed = laid.m_placed[size_t(u)].ink;
                placed = placed.united(piece.transform.mapRect(ink));
            }
        }
        if (indexes.isEmpty())
            continue;
        piece.run.setRawFont(raw);
        piece.run.setGlyphIndexes(indexes);
        piece.run.setPositions(positions);
        if (needsEmboldening(raw)) {
            piece.emboldened = std::make_shared<Emboldened>();
            piece.emboldened->outline = piece.transform.map(glyphOutline(piece.run));
            piece.emboldened->outline.setFillRule(Qt::WindingFill);
            piece.emboldened->width = em * EmboldenPerEm;
        }
        laid.m_pieces.push_back(std::move(piece));
    }

    // Underline and strike-out across the line; in a vertical one the
    // underline is a side line at the column's right.
    const qreal thickness = std::max<qreal>(primary.lineThickness(), 1);
    if (font.underline()) {
        laid.m_rules.push_back(vertical ? scale.mapRect(QRectF(middle + em / 2 - thickness, start, thickness, length))
                                        : scale.mapRect(QRectF(start, baseline + primary.underlinePosition(), length, thickness)));
    }
    if (font.strikeOut()) {
        laid.m_rules.push_back(vertical ? scale.mapRect(QRectF(middle - thickness / 2, start, thickness, length))
                                        : scale.mapRect(QRectF(start, baseline - primary.xHeight() / 2 - thickness / 2,
                                                               length, thickness)));
    }
    return laid;
}

qreal CaptionLayout::naturalLength(const QString &text, const QFont &font, const TextSetting &setting)
{
    TextSetting natural = setting;
    natural.align = TextAlign::Left;
    return lay(text, font, natural, QSizeF(font.pixelSize(), font.pixelSize())).lineEnd();
}

QRectF CaptionLayout::reach() const
{
    QRectF reach = m_cell;
    for (const Piece &piece : m_pieces) {
        if (piece.emboldened) {
            const qreal pen = piece.emboldened->width;
            reach |= piece.emboldened->outline.boundingRect().adjusted(-pen, -pen, pen, pen);
        } else {
            reach |= piece.transform.mapRect(piece.run.boundingRect());
        }
    }
    for (const QRectF &rule : m_rules)
        reach |= rule;
    return reach;
}

QRectF CaptionLayout::inkOf(int from, int length) const
{
    QRectF ink;
    for (const Placed &placed : m_placed) {
        if (placed.index < from + length && placed.index + placed.length > from)
            ink = ink.united(placed.ink);
    }
    return ink;
}

qreal CaptionLayout::endAfter(int length) const
{
    // The characters stand in the order of the text.
    const auto past = std::lower_bound(m_placed.begin(), m_placed.end(), length,
                                       [](const Placed &placed, int at) { return placed.index < at; });
    return past == m_placed.begin() ? 0 : std::prev(past)->end;
}

QString CaptionLayout::faceOf(int index) const
{
    for (const Placed &placed : m_placed) {
        if (index >= placed.index && index < placed.index + placed.length)
            return placed.face;
    }
    return {};
}

QRectF CaptionLayout::emOf(int index) const
{
    for (const Placed &placed : m_placed) {
        if (index >= placed.index && index < placed.index + placed.length)
            return placed.em;
    }
    return {};
}

void CaptionLayout::draw(QPainter &painter, QPointF topLeft, const QColor &color) const
{
    painter.save();
    painter.setPen(color);
    const QPaintDevice *device = painter.device();
    const int type = device ? device->devType() : QInternal::Image;
    const bool raster = type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
    for (const Piece &piece : m_pieces) {
        if (piece.emboldened) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, true);
            if (raster) {
                painter.fillPath(piece.emboldened->widenedOutline().translated(topLeft), color);
            } else {
                painter.setPen(QPen(color, piece.emboldened->width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.setBrush(color);
                painter.drawPath(piece.emboldened->outline.translated(topLeft));
            }
            painter.restore();
        } else if (piece.transform.isIdentity()) {
            painter.drawGlyphRun(topLeft, piece.run);
        } else {
            painter.save();
            painter.translate(topLeft);
            painter.setTransform(piece.transform, true);
            painter.drawGlyphRun(QPointF(0, 0), piece.run);
            painter.restore();
        }
    }
    for (const QRectF &rule : m_rules)
        painter.fillRect(rule.translated(topLeft), color);
    painter.restore();
}

#include "cardfile/ShapeLines.h"

#include <QList>

#include <limits>
#include <utility>

namespace {

constexpr std::pair<StrokeStyle, const char *> StyleWords[] = {
    {StrokeStyle::Solid, "solid"}, {StrokeStyle::Dashed, "dash"}, {StrokeStyle::Dotted, "dot"}};

// A decimal integer within [low, high]: an optional minus and at most ten
// digits, nothing else (no spaces, no plus, no leading text).
std::optional<std::int64_t> parseNumber(const QByteArray &text, std::int64_t low, std::int64_t high)
{
    qsizetype at = 0;
    const bool negative = text.startsWith('-');
    if (negative)
        at = 1;
    if (text.size() == at || text.size() - at > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text.at(at);
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> coordinate(const QByteArray &text)
{
    const auto value = parseNumber(text, -CardShape::MaxCoordinate, CardShape::MaxCoordinate);
    return value ? std::optional<std::int32_t>(std::int32_t(*value)) : std::nullopt;
}

} // namespace

namespace ShapeLines {

std::optional<std::int32_t> parseColor(const QByteArray &value)
{
    const auto number =
        parseNumber(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    return number ? std::optional<std::int32_t>(std::int32_t(*number)) : std::nullopt;
}

std::optional<CardShape> parseShape(const QByteArray &value)
{
    // A shape has at most ten fields; more is no shape.
    if (value.size() > 200)
        return std::nullopt;
    const QList<QByteArray> fields = value.split(',');
    CardShape shape;
    const QByteArray &kind = fields.at(0);
    if (kind == "rect") {
        shape.kind = ShapeKind::Rectangle;
        if (fields.size() != 10)
            return std::nullopt;
    } else {
        if (kind == "line")
            shape.direction = LineDirection::Free;
        else if (kind == "hline")
            shape.direction = LineDirection::Horizontal;
        else if (kind == "vline")
            shape.direction = LineDirection::Vertical;
        else
            return std::nullopt;
        if (fields.size() != 8)
            return std::nullopt;
    }
    const auto x1 = coordinate(fields.at(1));
    const auto y1 = coordinate(fields.at(2));
    const auto x2 = coordinate(fields.at(3));
    const auto y2 = coordinate(fields.at(4));
    const int lowestWidth = shape.isLine() ? CardShape::MinWidthTenths : 0;
    const auto width = parseNumber(fields.at(5), lowestWidth, CardShape::MaxWidthTenths);
    const auto color = parseColor(fields.at(6));
    if (!x1 || !y1 || !x2 || !y2 || !width || !color)
        return std::nullopt;
    bool styled = false;
    for (const auto &[style, word] : StyleWords) {
        if (fields.at(7) == word) {
            shape.style = style;
            styled = true;
        }
    }
    if (!styled)
        return std::nullopt;
    shape.x1 = *x1;
    shape.y1 = *y1;
    shape.x2 = *x2;
    shape.y2 = *y2;
    shape.widthTenths = int(*width);
    shape.color = *color;
    if (shape.direction == LineDirection::Horizontal && shape.y1 != shape.y2)
        return std::nullopt;
    if (shape.direction == LineDirection::Vertical && shape.x1 != shape.x2)
        return std::nullopt;
    if (shape.kind == ShapeKind::Rectangle) {
        if (fields.at(8) != "none") {
            const auto fill = parseColor(fields.at(8));
            if (!fill)
                return std::nullopt;
            shape.fill = *fill;
        }
        const auto radius = parseNumber(fields.at(9), 0, CardShape::MaxRadiusTenths);
        if (!radius)
            return std::nullopt;
        shape.radiusTenths = int(*radius);
    }
    return shape;
}

QByteArray formatShape(const CardShape &given)
{
    const CardShape shape = given.normalized();
    QByteArray kind = "rect";
    if (shape.isLine()) {
        kind = shape.direction == LineDirection::Horizontal ? "hline"
               : shape.direction == LineDirection::Vertical ? "vline"
                                                             : "line";
    }
    QByteArray style;
    for (const auto &[s, word] : StyleWords) {
        if (s == shape.style)
            style = word;
    }
    QByteArray value = kind;
    for (const std::int64_t n : {std::int64_t(shape.x1), std::int64_t(shape.y1), std::int64_t(shape.x2),
                                 std::int64_t(shape.y2), std::int64_t(shape.widthTenths), std::int64_t(shape.color)})
        value += ',' + QByteArray::number(n);
    value += ',' + style;
    if (!shape.isLine()) {
        value += ',' + (shape.fill ? QByteArray::number(*shape.fill) : QByteArrayLiteral("none"));
        value += ',' + QByteArray::number(shape.radiusTenths);
    }
    return value;
}

} // namespace ShapeLines

#include "card/PaperLayout.h"

#include <QList>
#include <QRegularExpression>

#include <limits>

namespace {

bool inRange(std::int64_t value, std::int64_t lowest, std::int64_t highest)
{
    return value >= lowest && value <= highest;
}

// A plain decimal number: digits only, as the layout line writes them.
std::optional<std::int64_t> plainNumber(const QByteArray &field)
{
    if (field.isEmpty() || field.size() > 9)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<PaperLayout> customLayout(const std::int64_t (&n)[6])
{
    for (const std::int64_t v : n) {
        if (!inRange(v, 0, PaperLayout::MaxLengthTenths))
            return std::nullopt;
    }
    const PaperLayout layout = PaperLayout::custom(int(n[0]), int(n[1]), std::int32_t(n[2]), std::int32_t(n[3]),
                                                   std::int32_t(n[4]), std::int32_t(n[5]));
    if (!layout.isValid())
        return std::nullopt;
    return layout;
}

} // namespace

bool PaperLayout::isValid() const
{
    if (kind == Kind::Standard)
        return *this == standard();
    if (kind == Kind::TenUp)
        return *this == tenUp();
    return inRange(columns, MinColumns, MaxColumns) && inRange(rows, MinRows, MaxRows)
           && inRange(originX, 0, MaxLengthTenths) && inRange(originY, 0, MaxLengthTenths)
           && inRange(pitchX, CardWidthTenths, MaxLengthTenths) && inRange(pitchY, CardHeightTenths, MaxLengthTenths);
}

QSizeF PaperLayout::extentMm() const
{
    const std::int64_t width = std::int64_t(originX) + std::int64_t(columns - 1) * pitchX + CardWidthTenths;
    const std::int64_t height = std::int64_t(originY) + std::int64_t(rows - 1) * pitchY + CardHeightTenths;
    return QSizeF(double(width) / 10.0, double(height) / 10.0);
}

bool PaperLayout::fitsOn(const QSizeF &pageMm) const
{
    if (isStandard())
        return true;
    if (!isValid())
        return false;
    // Paper sizes come in fractions of a millimetre (Letter is 215.9 mm):
    // compared in tenths, a card may end on the paper's very edge.
    const QSizeF extent = extentMm();
    const auto tenths = [](double mm) { return std::int64_t(mm * 10.0 + 0.5); };
    return tenths(extent.width()) <= tenths(pageMm.width()) && tenths(extent.height()) <= tenths(pageMm.height());
}

namespace PaperLayoutLine {

QByteArray format(const PaperLayout &layout)
{
    switch (layout.kind) {
    case PaperLayout::Kind::Standard:
        return {};
    case PaperLayout::Kind::TenUp:
        return QByteArray(Prefix) + "10";
    case PaperLayout::Kind::Custom:
        break;
    }
    QByteArray line(Prefix);
    for (const std::int64_t v : {std::int64_t(layout.columns), std::int64_t(layout.rows), std::int64_t(layout.originX),
                                 std::int64_t(layout.originY), std::int64_t(layout.pitchX), std::int64_t(layout.pitchY)})
        line += QByteArray::number(v) + ',';
    line.chop(1);
    return line;
}

bool isLayoutLine(const QByteArray &line)
{
    return line.startsWith(Prefix);
}

std::optional<PaperLayout> parse(const QByteArray &line)
{
    if (!isLayoutLine(line))
        return std::nullopt;
    const QByteArray value = line.mid(qsizetype(sizeof(Prefix) - 1));
    if (value == "8")
        return PaperLayout::standard();
    if (value == "10")
        return PaperLayout::tenUp();
    const QList<QByteArray> fields = value.split(',');
    if (fields.size() != 6)
        return std::nullopt;
    std::int64_t n[6] = {};
    for (int i = 0; i < 6; ++i) {
        const std::optional<std::int64_t> v = plainNumber(fields.at(i));
        if (!v)
            return std::nullopt;
        n[i] = *v;
    }
    return customLayout(n);
}

} // namespace PaperLayoutLine

std::optional<std::int32_t> parseTenthsOfMm(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)([0-9]{1,7})(?:\\.([0-9]))?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    std::int32_t tenths = m.captured(2).toInt() * 10;
    if (m.capturedLength(3) > 0)
        tenths += m.captured(3).toInt();
    return m.captured(1) == QLatin1String("-") ? -tenths : tenths;
}

std::optional<PaperLayout> parsePaperLayoutMm(const QString &text)
{
    if (text == QLatin1String("8"))
        return PaperLayout::standard();
    if (text == QLatin1String("10"))
        return PaperLayout::tenUp();
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 6)
        return std::nullopt;
    std::int64_t n[6] = {};
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        n[i] = fields.at(i).toInt(&ok);
        if (!ok || fields.at(i).startsWith(QLatin1Char('+')) || fields.at(i).startsWith(QLatin1Char(' ')))
            return std::nullopt;
    }
    for (int i = 2; i < 6; ++i) {
        const std::optional<std::int32_t> tenths = parseTenthsOfMm(fields.at(i));
        if (!tenths)
            return std::nullopt;
        n[i] = *tenths;
    }
    return customLayout(n);
}

QString formatPaperLayoutMm(const PaperLayout &layout)
{
    switch (layout.kind) {
    case PaperLayout::Kind::Standard:
        return QStringLiteral("8");
    case PaperLayout::Kind::TenUp:
        return QStringLiteral("10");
    case PaperLayout::Kind::Custom:
        break;
    }
    const auto mm = [](std::int32_t tenths) { return QString::number(tenths / 10.0, 'f', 1); };
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(layout.columns)
        .arg(layout.rows)
        .arg(mm(layout.originX), mm(layout.originY), mm(layout.pitchX), mm(layout.pitchY));
}

#include "ResultTable.h"

#include "Measure.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {
QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// Pads to width in characters as the terminal shows them (the text is all
// single-width here).
QString padded(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}
} // namespace

void ResultTable::reference(const QString &what, const QString &figure)
{
    m_rows.push_back({what, figure, {}, {}, QStringLiteral("-"), std::nullopt, false});
}

void ResultTable::atMost(const QString &what, double value, double limit, const QString &unit, int decimals)
{
    m_rows.push_back({what, number(value, decimals) + unit, {}, {}, QStringLiteral("<= ") + number(limit, decimals) + unit,
                      value <= limit, false});
}

namespace {
// Milliseconds below a second, seconds above.
QString duration(double seconds)
{
    return seconds < 1 ? number(seconds * 1000, seconds < 0.01 ? 2 : 1) + QStringLiteral(" ms")
                       : number(seconds, 3) + QStringLiteral(" s");
}
} // namespace

void ResultTable::ratio(const QString &what, double seconds, double limitSeconds, double targetRatio)
{
    const double value = limitSeconds > 0 ? seconds / limitSeconds : 0;
    m_rows.push_back({what, duration(seconds), duration(limitSeconds), number(value, 2) + QStringLiteral(" x"),
                      QStringLiteral("<= ") + number(targetRatio, 2) + QStringLiteral(" x"),
                      limitSeconds > 0 && value <= targetRatio, false});
}

void ResultTable::doubling(const QString &what, double atLoad, double atTwiceTheLoad)
{
    atMost(what, atTwiceTheLoad / atLoad, LinearDoublingLimit, QStringLiteral(" x"));
}

void ResultTable::ratio(const QString &what, const std::vector<double> &seconds, const std::vector<double> &limitSeconds,
                        double targetRatio)
{
    std::vector<double> ratios;
    for (std::size_t n = 0; n < seconds.size() && n < limitSeconds.size(); ++n)
        ratios.push_back(limitSeconds[n] > 0 ? seconds[n] / limitSeconds[n] : 0);
    const double value = median(ratios);
    m_rows.push_back({what, duration(median(seconds)), duration(median(limitSeconds)), number(value, 2) + QStringLiteral(" x"),
                      QStringLiteral("<= ") + number(targetRatio, 2) + QStringLiteral(" x"),
                      !ratios.empty() && value > 0 && value <= targetRatio, false});
}

void ResultTable::section(const QString &title)
{
    m_rows.push_back({title, {}, {}, {}, {}, std::nullopt, true});
}

bool ResultTable::allPassed() const
{
    return std::none_of(m_rows.begin(), m_rows.end(), [](const Row &row) { return row.passed == false; });
}

QString ResultTable::text() const
{
    constexpr int Columns = 5;
    const QString header[Columns] = {QStringLiteral("case"), QStringLiteral("figure"), QStringLiteral("limit"),
                                     QStringLiteral("ratio"), QStringLiteral("target")};
    const auto cells = [](const Row &row) {
        return std::array<QString, Columns>{row.what, row.figure, row.limit.isEmpty() ? QStringLiteral("-") : row.limit,
                                            row.ratio.isEmpty() ? QStringLiteral("-") : row.ratio, row.target};
    };
    int widths[Columns];
    for (int c = 0; c < Columns; ++c)
        widths[c] = int(header[c].size());
    for (const Row &row : m_rows) {
        if (row.heading) {
            widths[0] = std::max(widths[0], int(row.what.size()) + 4);
            continue;
        }
        const auto texts = cells(row);
        for (int c = 0; c < Columns; ++c)
            widths[c] = std::max(widths[c], int(texts[size_t(c)].size()));
    }
    const auto line = [&](const std::array<QString, Columns> &texts, const QString &verdict) {
        QString out = QStringLiteral("|");
        for (int c = 0; c < Columns; ++c)
            out += QLatin1Char(' ') + padded(texts[size_t(c)], widths[c]) + QStringLiteral(" |");
        return out + QLatin1Char(' ') + padded(verdict, 4) + QStringLiteral(" |\n");
    };
    QString out = line({header[0], header[1], header[2], header[3], header[4]}, QString());
    out += QLatin1Char('|');
    for (int c = 0; c < Columns; ++c)
        out += QString(widths[c] + 2, QLatin1Char('-')) + QLatin1Char('|');
    out += QStringLiteral("------|\n");
    for (const Row &row : m_rows) {
        if (row.heading) {
            out += line({QStringLiteral("**") + row.what + QStringLiteral("**"), {}, {}, {}, {}}, {});
            continue;
        }
        const QString verdict = !row.passed ? QString() : *row.passed ? QStringLiteral("PASS") : QStringLiteral("MISS");
        out += line(cells(row), verdict);
    }
    return out;
}

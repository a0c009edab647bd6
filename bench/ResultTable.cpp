#include "ResultTable.h"

#include <QStringList>

#include <algorithm>

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
    m_rows.push_back({what, figure, QStringLiteral("-"), std::nullopt, false});
}

void ResultTable::atMost(const QString &what, double value, double limit, const QString &unit, int decimals)
{
    m_rows.push_back({what, number(value, decimals) + unit, QStringLiteral("<= ") + number(limit, decimals) + unit,
                      value <= limit, false});
}

void ResultTable::doubling(const QString &what, double atLoad, double atTwiceTheLoad)
{
    atMost(what, atTwiceTheLoad / atLoad, LinearDoublingLimit, QStringLiteral(" x"));
}

void ResultTable::section(const QString &title)
{
    m_rows.push_back({title, {}, {}, std::nullopt, true});
}

bool ResultTable::allPassed() const
{
    return std::none_of(m_rows.begin(), m_rows.end(), [](const Row &row) { return row.passed == false; });
}

QString ResultTable::text() const
{
    const QString header[3] = {QStringLiteral("case"), QStringLiteral("figure"), QStringLiteral("target")};
    int widths[3] = {int(header[0].size()), int(header[1].size()), int(header[2].size())};
    for (const Row &row : m_rows) {
        if (row.heading) {
            widths[0] = std::max(widths[0], int(row.what.size()) + 4);
            continue;
        }
        widths[0] = std::max(widths[0], int(row.what.size()));
        widths[1] = std::max(widths[1], int(row.figure.size()));
        widths[2] = std::max(widths[2], int(row.target.size()));
    }
    const auto line = [&](const QString &a, const QString &b, const QString &c, const QString &d) {
        return QStringLiteral("| %1 | %2 | %3 | %4 |\n")
            .arg(padded(a, widths[0]), padded(b, widths[1]), padded(c, widths[2]), padded(d, 4));
    };
    QString out = line(header[0], header[1], header[2], QString());
    out += QStringLiteral("|%1|%2|%3|------|\n")
               .arg(QString(widths[0] + 2, QLatin1Char('-')), QString(widths[1] + 2, QLatin1Char('-')),
                    QString(widths[2] + 2, QLatin1Char('-')));
    for (const Row &row : m_rows) {
        if (row.heading) {
            out += line(QStringLiteral("**") + row.what + QStringLiteral("**"), {}, {}, {});
            continue;
        }
        const QString verdict = !row.passed ? QString() : *row.passed ? QStringLiteral("PASS") : QStringLiteral("MISS");
        out += line(row.what, row.figure, row.target, verdict);
    }
    return out;
}

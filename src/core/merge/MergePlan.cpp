#include "merge/MergePlan.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

MergePlan::MergePlan(MergeMode mode, std::vector<int> rows, int copies, int cellsPerSheet)
    : m_mode(mode), m_rows(std::move(rows)), m_copies(std::max(copies, 0)), m_cells(std::max(cellsPerSheet, 1))
{
}

std::int64_t MergePlan::pageCount() const
{
    const std::int64_t cards = std::int64_t(m_rows.size()) * m_copies;
    if (m_mode == MergeMode::Sheet)
        return cards;
    return (cards + m_cells - 1) / m_cells;
}

int MergePlan::rowAt(std::int64_t page, int cell) const
{
    if (page < 0 || page >= pageCount() || cell < 0 || cell >= m_cells)
        return -1;
    if (m_mode == MergeMode::Sheet)
        return m_rows[size_t(page / m_copies)];
    const std::int64_t card = page * m_cells + cell;
    if (card >= std::int64_t(m_rows.size()) * m_copies)
        return -1;
    return m_rows[size_t(card / m_copies)];
}

std::optional<std::vector<int>> parseRowSelection(const QString &text, int rowCount, QString *problem)
{
    static const QRegularExpression range(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    const auto fail = [&](const QString &why) -> std::optional<std::vector<int>> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    std::vector<bool> chosen(size_t(std::max(rowCount, 0)), false);
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QRegularExpressionMatch match = range.match(part);
        if (!match.hasMatch())
            return fail(QStringLiteral("rows are numbers and ranges such as 1-20,25, not '%1'").arg(text));
        const int first = match.captured(1).toInt();
        const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
        if (first < 1 || last < first)
            return fail(QStringLiteral("'%1' is no range of rows (rows count from 1)").arg(part.trimmed()));
        if (last > rowCount)
            return fail(QStringLiteral("row %1 is past the last row of the list (%2)").arg(last).arg(rowCount));
        std::fill(chosen.begin() + (first - 1), chosen.begin() + last, true);
    }
    std::vector<int> rows;
    for (int row = 0; row < rowCount; ++row) {
        if (chosen[size_t(row)])
            rows.push_back(row);
    }
    return rows;
}

std::vector<int> allRows(int rowCount)
{
    std::vector<int> rows(size_t(std::max(rowCount, 0)));
    for (int row = 0; row < rowCount; ++row)
        rows[size_t(row)] = row;
    return rows;
}

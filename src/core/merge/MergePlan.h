#pragma once
// Which row of the list each card cell of each page shows.
// - Sheet mode: each row fills whole sheets with its own card, copies sheets
//   a row, rows in list order.
// - Card mode: one card a row (copies times in a row), the cells filled left
//   to right, then top to bottom; the last sheet may be partly empty.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

enum class MergeMode { Sheet, Card };

class MergePlan
{
public:
    // More pages than this is refused: no job that size is meant.
    static constexpr std::int64_t MaxPages = 100000;

    // rows: the rows to print (from 0), in the order to print them;
    // cellsPerSheet: the cards on one sheet of the paper layout.
    MergePlan(MergeMode mode, std::vector<int> rows, int copies, int cellsPerSheet);

    MergeMode mode() const { return m_mode; }
    const std::vector<int> &rows() const { return m_rows; }
    int copies() const { return m_copies; }
    int cellsPerSheet() const { return m_cells; }

    std::int64_t pageCount() const;
    // The row shown by cell (from 0, left to right, then top to bottom) of
    // page (from 0), or −1 for an empty cell.
    int rowAt(std::int64_t page, int cell) const;

private:
    MergeMode m_mode;
    std::vector<int> m_rows;
    int m_copies;
    int m_cells;
};

// Rows chosen as people write them: "1-20,25" (from 1 = the first data row),
// given back from 0, in list order, each once. Nothing when the text is not
// such a list or names a row past rowCount; *problem says why.
std::optional<std::vector<int>> parseRowSelection(const QString &text, int rowCount, QString *problem);

// Every row of a list of rowCount rows.
std::vector<int> allRows(int rowCount);

#pragma once
// The pages of a merge job, laid out for one device: each card cell shows
// the card of the row the plan puts there, made from the design with the
// row's values in place of its fields. The design itself is never changed.
//
// Pictures whose path holds no field are prepared once for the whole job
// and drawn as the same picture objects everywhere, so a PDF embeds each
// once. A picture whose path holds fields is loaded once per distinct path
// (kept while memory allows); one that cannot be loaded leaves its card
// without the picture and is listed once.
#include "card/CardDocument.h"
#include "merge/MergePlan.h"
#include "sheet/CardSheet.h"

#include <QCache>
#include <QSet>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class MergeList;
class QPaintDevice;
class QPainter;

class MergedSheets
{
public:
    MergedSheets(const CardDocument &design, const MergeList &list, const MergePlan &plan, const QPaintDevice &device,
                 SheetOffset offset = {});
    ~MergedSheets();
    MergedSheets(const MergedSheets &) = delete;
    MergedSheets &operator=(const MergedSheets &) = delete;

    std::int64_t pageCount() const { return m_plan.pageCount(); }
    // Draws page (from 0) as CardSheet::draw draws a sheet.
    void drawPage(QPainter &painter, std::int64_t page);

    // One message for each merged picture that could not be loaded, in the
    // order they were met.
    const QStringList &pictureProblems() const { return m_problems; }

private:
    struct PictureWant {
        QString path;
        QSize size;
        QString key() const;
    };

    const CardSheet &sheetFor(int row);
    std::vector<PictureWant> picturesOf(int row) const;
    void loadPictures(std::vector<PictureWant> wants);
    void fillScratch(int row);

    const CardDocument &m_design;
    const MergeList &m_list;
    MergePlan m_plan;
    const QPaintDevice &m_device;
    SheetOffset m_offset;
    SheetLayout m_layout;
    CardDocument m_scratch;                 // the card of one row, while its sheet is made
    std::vector<QImage> m_fixedPictures;    // by slot: prepared pictures of paths without fields
    std::vector<QSize> m_printedSizes;      // by slot
    std::unique_ptr<CardSheet> m_frame;     // the design's sheet: the guides, empty cells
    std::map<int, std::unique_ptr<CardSheet>> m_sheets;   // the rows of the current page
    QCache<QString, QImage> m_pictures;     // merged pictures by path and size
    QSet<QString> m_failed;                 // merged paths that could not be loaded
    QStringList m_problems;
};

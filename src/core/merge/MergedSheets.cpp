#include "merge/MergedSheets.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "picture/PictureLoader.h"

#include <QPaintDevice>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace {

// Merged pictures kept for rows still to come, in kibibytes of pixels.
constexpr int PictureCacheKiB = 256 * 1024;

int costOf(const QImage &picture) { return int(std::max<qsizetype>(picture.sizeInBytes() / 1024, 1)); }

} // namespace

QString MergedSheets::PictureWant::key() const
{
    return QStringLiteral("%1x%2 ").arg(size.width()).arg(size.height()) + path;
}

MergedSheets::MergedSheets(const CardDocument &design, const MergeList &list, const MergePlan &plan,
                           const QPaintDevice &device, SheetOffset offset)
    : m_design(design), m_list(list), m_plan(plan), m_device(device), m_offset(offset),
      m_layout(device.logicalDpiX(), device.logicalDpiY(), design.screenPpi(), design.MarginLeft(), design.MarginTop(),
               design.printSettings().Layout, offset),
      m_fixedPictures(CardDocument::SlotCount), m_printedSizes(CardDocument::SlotCount), m_pictures(PictureCacheKiB)
{
    m_scratch.setScreenPpi(design.screenPpi());
    m_scratch.setPrintSettings(design.printSettings());
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = design.ImageBoxes(slot);
        if (!record)
            continue;
        m_printedSizes[size_t(slot)] = CardSheet::printedPictureSize(m_layout, record->bounds);
        if (!MergeFields::hasFields(record->ImagePath))
            m_fixedPictures[size_t(slot)] = pictureForPrint(record->Picture, m_printedSizes[size_t(slot)]);
    }
    fillScratch(-1);
    m_frame = std::make_unique<CardSheet>(m_scratch, device, offset);
}

MergedSheets::~MergedSheets() = default;

void MergedSheets::drawPage(QPainter &painter, std::int64_t page)
{
    const int columns = m_layout.columns();
    const int cells = std::min(m_plan.cellsPerSheet(), columns * m_layout.rows());
    std::vector<int> rows(size_t(cells), -1);
    for (int cell = 0; cell < cells; ++cell)
        rows[size_t(cell)] = m_plan.rowAt(page, cell);

    // The sheets of the rows on this page; those of the page before that
    // come again (a row's further copies) are kept.
    for (auto it = m_sheets.begin(); it != m_sheets.end();)
        it = std::find(rows.begin(), rows.end(), it->first) == rows.end() ? m_sheets.erase(it) : std::next(it);
    std::vector<PictureWant> wants;
    for (int row : rows) {
        if (row >= 0 && !m_sheets.count(row)) {
            const std::vector<PictureWant> more = picturesOf(row);
            wants.insert(wants.end(), more.begin(), more.end());
        }
    }
    loadPictures(std::move(wants));

    m_frame->drawCells(painter, [&](int column, int row) -> const CardSheet * {
        const int cell = row * columns + column;
        if (cell >= cells || rows[size_t(cell)] < 0)
            return nullptr;
        return &sheetFor(rows[size_t(cell)]);
    });
}

const CardSheet &MergedSheets::sheetFor(int row)
{
    std::unique_ptr<CardSheet> &sheet = m_sheets[row];
    if (!sheet) {
        fillScratch(row);
        sheet = std::make_unique<CardSheet>(m_scratch, m_device, m_offset);
    }
    return *sheet;
}

std::vector<MergedSheets::PictureWant> MergedSheets::picturesOf(int row) const
{
    std::vector<PictureWant> wants;
    const MergeFields::Lookup lookup = MergeFields::rowLookup(m_list, row);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = m_design.ImageBoxes(slot);
        if (!record || !MergeFields::hasFields(record->ImagePath))
            continue;
        PictureWant want{MergeFields::fill(record->ImagePath, lookup), m_printedSizes[size_t(slot)]};
        if (!m_failed.contains(want.path) && !m_pictures.contains(want.key()))
            wants.push_back(std::move(want));
    }
    return wants;
}

void MergedSheets::loadPictures(std::vector<PictureWant> wants)
{
    std::sort(wants.begin(), wants.end(), [](const PictureWant &a, const PictureWant &b) { return a.key() < b.key(); });
    wants.erase(std::unique(wants.begin(), wants.end(),
                            [](const PictureWant &a, const PictureWant &b) { return a.key() == b.key(); }),
                wants.end());
    struct Loaded {
        QImage picture;
        QString error;
    };
    // Reading and decoding the pictures of a page: on every core.
    const QList<Loaded> loaded = QtConcurrent::blockingMapped<QList<Loaded>>(wants, [](const PictureWant &want) {
        Loaded result;
        try {
            result.picture = pictureForPrint(PictureLoader::load(want.path), want.size);
        } catch (const TaveloError &e) {
            result.error = e.message();
        }
        return result;
    });
    for (size_t n = 0; n < wants.size(); ++n) {
        const Loaded &result = loaded[qsizetype(n)];
        if (!result.error.isEmpty()) {
            if (!m_failed.contains(wants[n].path)) {
                m_failed.insert(wants[n].path);
                m_problems << Msg::mergePictureNotLoaded(wants[n].path, result.error);
            }
            continue;
        }
        m_pictures.insert(wants[n].key(), new QImage(result.picture), costOf(result.picture));
    }
}

void MergedSheets::fillScratch(int row)
{
    const MergeFields::Lookup lookup =
        row >= 0 ? MergeFields::rowLookup(m_list, row) : [](const QString &) { return std::optional<QString>(); };
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        std::optional<TextBox> box;
        if (const TextBox *design = m_design.TextBoxes(slot)) {
            box = *design;
            box->Caption = MergeFields::fill(design->Caption, lookup);
        }
        m_scratch.restoreTextBox(slot, box);

        std::optional<MoveImageRecord> record;
        if (const MoveImageRecord *design = m_design.ImageBoxes(slot)) {
            record = *design;
            if (!MergeFields::hasFields(design->ImagePath)) {
                record->Picture = m_fixedPictures[size_t(slot)];
            } else {
                record->ImagePath = MergeFields::fill(design->ImagePath, lookup);
                const QImage *picture = row >= 0 ? m_pictures.object(PictureWant{record->ImagePath, m_printedSizes[size_t(slot)]}.key())
                                                 : nullptr;
                record->Picture = picture ? *picture : QImage();
            }
        }
        m_scratch.restoreImageBox(slot, record);
    }
}

#include "merge/MergedSheets.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "cardfile/CardFile.h"
#include "merge/BoxNames.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "picture/PictureLoader.h"
#include "qr/QrCaption.h"

#include <QPaintDevice>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <climits>

namespace {

int costOf(const QImage &picture) { return int(std::clamp<qsizetype>(picture.sizeInBytes() / 1024, 1, INT_MAX)); }

} // namespace

// No picture is scaled down to this: a background picture is kept whole.
const QSize BackgroundWantSize(1 << 30, 1 << 30);

QString MergedSheets::PictureWant::key() const
{
    return QStringLiteral("%1x%2 ").arg(size.width()).arg(size.height()) + path;
}

namespace {

SheetLayout unturnedLayout(const CardDocument &design, const QPaintDevice &device, SheetOffset offset)
{
    return SheetLayout(device.logicalDpiX(), device.logicalDpiY(), design.screenPpi(), design.MarginLeft(),
                       design.MarginTop(), design.printSettings().Layout, offset);
}

// The size each image box's picture prints at (by slot).
std::vector<QSize> printedSizes(const CardSide &boxes, const SheetLayout &layout)
{
    std::vector<QSize> sizes(CardDocument::SlotCount);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const MoveImageRecord *record = boxes.ImageBoxes(slot))
            sizes[size_t(slot)] = CardSheet::printedPictureSize(layout, record->bounds);
    }
    return sizes;
}

} // namespace

std::vector<QImage> MergedSheets::fixedPicturesFor(const CardDocument &design, const QPaintDevice &device,
                                                   SheetOffset offset, const SheetFace &face)
{
    const CardSide &boxes = design.side(face.side);
    const std::vector<QSize> sizes = printedSizes(boxes, unturnedLayout(design, device, offset));
    std::vector<QImage> pictures(CardDocument::SlotCount);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = boxes.ImageBoxes(slot);
        if (record && !MergeFields::hasFields(record->ImagePath))
            pictures[size_t(slot)] = pictureForPrint(record->Picture, sizes[size_t(slot)]);
    }
    return pictures;
}

MergedSheets::MergedSheets(const CardDocument &design, const MergeList &list, const MergePlan &plan,
                           const QPaintDevice &device, SheetOffset offset, int pictureCacheKiB, const SheetFace &face,
                           const std::vector<QImage> &fixedPictures)
    : m_boxes(design.side(face.side)), m_face{Side::Front, face.turned, face.backgroundBleed}, m_list(list),
      m_plan(plan), m_device(device), m_offset(offset), m_layout(unturnedLayout(design, device, offset)),
      m_fixedPictures(fixedPictures.size() == size_t(CardDocument::SlotCount)
                          ? fixedPictures
                          : fixedPicturesFor(design, device, offset, face)),
      m_printedSizes(printedSizes(m_boxes, m_layout)), m_pictures(pictureCacheKiB)
{
    m_scratch.setScreenPpi(design.screenPpi());
    m_scratch.setPrintSettings(design.printSettings());
    fillScratch(-1);
    if (m_face.turned)
        m_layout = m_layout.turnedOver(*m_face.turned);
    m_frame = std::make_unique<CardSheet>(m_scratch, device, m_face, offset);
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
    // The sheets made hold what they show.
    m_pagePictures.clear();
}

const CardSheet &MergedSheets::sheetFor(int row)
{
    std::unique_ptr<CardSheet> &sheet = m_sheets[row];
    if (!sheet) {
        fillScratch(row);
        sheet = std::make_unique<CardSheet>(m_scratch, m_device, m_face, m_offset);
        // A code the row made that does not print; the design's own codes
        // show on the card as they print.
        for (const CardSheet::UnprintedQr &qr : sheet->unprintedQrCodes()) {
            const TextBox &design = *m_boxes.TextBoxes(qr.slot);
            if (MergeFields::hasFields(design.Caption))
                tell(row, BoxNames::textBox(design),
                     qr.why == CardSheet::QrLeftOut::TooLong ? Msg::mergeQrLeftOut() : Msg::mergeQrTooSmall());
        }
        if (m_rowCardMade)
            m_rowCardMade(row, m_scratch, *sheet);
    }
    return *sheet;
}

QString MergedSheets::filledText(const QString &text, int row, bool *cut) const
{
    const MergeFields::Lookup lookup =
        row >= 0 ? MergeFields::rowLookup(m_list, row) : [](const QString &) { return std::optional<QString>(); };
    // A row's values may make a text of any length; only what a card holds is made.
    return FieldText::fill(text, lookup, MaxCardTextLength, cut);
}

void MergedSheets::tell(int row, const QString &box, const QString &why)
{
    const QString problem = Msg::mergeDropped(row + 1, box, why);
    if (m_told.contains(problem))
        return;
    m_told.insert(problem);
    m_problems << problem;
}

std::vector<MergedSheets::PictureWant> MergedSheets::picturesOf(int row) const
{
    std::vector<PictureWant> wants;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = m_boxes.ImageBoxes(slot);
        if (!record || !MergeFields::hasFields(record->ImagePath))
            continue;
        bool cut = false;
        PictureWant want{filledText(record->ImagePath, row, &cut), m_printedSizes[size_t(slot)]};
        if (!cut && !m_failed.contains(want.path))
            wants.push_back(std::move(want));
    }
    // A background picture with fields, at full size: the sheet crops it to
    // the card before it scales it.
    if (MergeFields::hasFields(m_boxes.background.picturePath)) {
        bool cut = false;
        PictureWant want{filledText(m_boxes.background.picturePath, row, &cut), BackgroundWantSize};
        if (!cut && !m_failed.contains(want.path))
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
    // Those kept from earlier pages are not loaded again.
    wants.erase(std::remove_if(wants.begin(), wants.end(),
                               [&](const PictureWant &want) {
                                   const QImage *kept = m_pictures.object(want.key());
                                   if (kept)
                                       m_pagePictures[want.key()] = *kept;
                                   return kept != nullptr;
                               }),
                wants.end());
    // Most pages need none: the other cores are not woken for nothing.
    if (wants.empty())
        return;
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
        // The page holds every picture it shows; the cache keeps what fits
        // for later pages (one larger than all of it is not kept).
        m_pagePictures[wants[n].key()] = result.picture;
        m_pictures.insert(wants[n].key(), new QImage(result.picture), costOf(result.picture));
    }
}

void MergedSheets::fillScratch(int row)
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        std::optional<TextBox> box;
        if (const TextBox *design = m_boxes.TextBoxes(slot)) {
            box = *design;
            bool cut = false;
            box->Caption = filledText(design->Caption, row, &cut);
            // A code cut short is no code at all: the sheet tells it as too long.
            if (cut && row >= 0 && !qrCaption(box->Caption))
                tell(row, BoxNames::textBox(*design), Msg::mergeTextCut(MaxCardTextLength));
        }
        m_scratch.restoreTextBox(slot, box);

        std::optional<MoveImageRecord> record;
        if (const MoveImageRecord *design = m_boxes.ImageBoxes(slot)) {
            record = *design;
            if (!MergeFields::hasFields(design->ImagePath)) {
                record->Picture = m_fixedPictures[size_t(slot)];
            } else {
                bool cut = false;
                record->ImagePath = filledText(design->ImagePath, row, &cut);
                if (cut && row >= 0)
                    tell(row, BoxNames::imageBox(*design), Msg::mergePathTooLong(MaxCardTextLength));
                const QString key = PictureWant{record->ImagePath, m_printedSizes[size_t(slot)]}.key();
                const auto found = m_pagePictures.find(key);
                record->Picture = !cut && row >= 0 && found != m_pagePictures.end() ? found->second : QImage();
            }
        }
        m_scratch.restoreImageBox(slot, record);
    }
    // The background and the shapes print on every merged card; a
    // background picture with fields is the row's.
    m_scratch.restoreShapes(m_boxes.shapes);
    CardBackground background = m_boxes.background;
    if (MergeFields::hasFields(background.picturePath)) {
        bool cut = false;
        background.picturePath = filledText(m_boxes.background.picturePath, row, &cut);
        const auto found = m_pagePictures.find(PictureWant{background.picturePath, BackgroundWantSize}.key());
        background.picture = !cut && row >= 0 && found != m_pagePictures.end() ? found->second : QImage();
    }
    m_scratch.setBackground(background);
}

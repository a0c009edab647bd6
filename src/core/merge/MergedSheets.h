#pragma once
// The pages of a merge job, laid out for one device: each card cell shows
// the card of the row the plan puts there, made from the design with the
// row's values in place of its fields. The design itself is never changed.
//
// Pictures whose path holds no field are prepared once for the whole job
// and drawn as the same picture objects everywhere, so a PDF embeds each
// once. A picture whose path holds fields is loaded once per distinct path
// (kept for later pages while memory allows, and always for the page that
// shows it); one that cannot be loaded leaves its card without the picture
// and is listed once.
//
// Nothing a row's values bring is left off a card without a word: a text
// cut to the longest a card holds, a QR code no symbol or box holds, a
// picture path too long to name a file are each listed with the row and the
// box.
#include "card/CardDocument.h"
#include "merge/MergePlan.h"
#include "sheet/CardSheet.h"

#include <QCache>
#include <QSet>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class MergeList;
class QPaintDevice;
class QPainter;

class MergedSheets
{
public:
    // Merged pictures kept for rows still to come, in kibibytes of pixels.
    static constexpr int DefaultPictureCacheKiB = 256 * 1024;

    // face: the side of the design the cards show, and for a back sheet
    // how the page is turned (the cells of the same rows stand mirrored).
    // fixedPictures: the pictures of paths without fields as fixedPicturesFor
    // prepares them, or what to draw in their place; prepared here when
    // empty.
    MergedSheets(const CardDocument &design, const MergeList &list, const MergePlan &plan, const QPaintDevice &device,
                 SheetOffset offset = {}, int pictureCacheKiB = DefaultPictureCacheKiB, const SheetFace &face = {},
                 const std::vector<QImage> &fixedPictures = {});
    ~MergedSheets();
    MergedSheets(const MergedSheets &) = delete;
    MergedSheets &operator=(const MergedSheets &) = delete;

    // The pictures of the face's boxes whose path holds no field, prepared
    // once for device (by slot, null for the others): every card shows them.
    static std::vector<QImage> fixedPicturesFor(const CardDocument &design, const QPaintDevice &device,
                                                SheetOffset offset = {}, const SheetFace &face = {});

    std::int64_t pageCount() const { return m_plan.pageCount(); }
    // Draws page (from 0) as CardSheet::draw draws a sheet.
    void drawPage(QPainter &painter, std::int64_t page);

    // Given each row's card and its sheet once they are made, before the
    // sheet is drawn (once a row: the sheet serves the row's further copies
    // on the page): a check of what the row filled in reuses its layout.
    using RowCardMade = std::function<void(int row, const CardDocument &card, const CardSheet &sheet)>;
    void setRowCardMade(RowCardMade made) { m_rowCardMade = std::move(made); }

    // One message for each merged picture that could not be loaded and each
    // item a row's values left off or cut, in the order they were met.
    const QStringList &problems() const { return m_problems; }

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
    // text filled from row (from 0), cut to the longest text a card holds.
    QString filledText(const QString &text, int row, bool *cut) const;
    void tell(int row, const QString &box, const QString &why);

    const CardSide &m_boxes;                // the side of the design printed
    SheetFace m_face;                       // how m_scratch's front is printed
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
    std::map<QString, QImage> m_pagePictures;   // those the page being drawn shows, whatever their size
    QSet<QString> m_failed;                 // merged paths that could not be loaded
    QSet<QString> m_told;                   // problems listed, each once
    QStringList m_problems;
    RowCardMade m_rowCardMade;
};

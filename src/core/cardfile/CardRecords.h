#pragma once
// The back of a card in its file: one card property line per box of the
// back, "Back=" and that box's record with the box's own property lines,
// exactly as the front's records are written, escaped as every property
// value is. Every box property travels with the back that way, and a reader
// of the old format skips the lines.
#include "card/CardDocument.h"

#include <QByteArray>

#include <memory>

// A document whose shown side holds the boxes of one side of doc, for the
// record writer and the box keys, which read the side shown: doc itself when
// that side is shown, else a copy of that side.
class BoxesOf
{
public:
    BoxesOf(const CardDocument &doc, Side side);
    ~BoxesOf();
    BoxesOf(const BoxesOf &) = delete;
    BoxesOf &operator=(const BoxesOf &) = delete;
    const CardDocument *operator->() const { return m_doc; }
    const CardDocument &operator*() const { return *m_doc; }

private:
    const CardDocument *m_doc = nullptr;
    std::unique_ptr<CardDocument> m_copy;
};

namespace CardRecords {

inline const QByteArray BackKey = QByteArrayLiteral("Back");

// The back's lines joined by CR LF (text boxes, then image boxes, each in
// slot order); empty for a card without a back.
QByteArray backLines(const CardDocument &doc);

} // namespace CardRecords

#pragma once
// A box on the clipboard. The box travels as a card file that holds only that
// box (code page 932, under the program's own MIME type), so another window
// reads it with the card file's own rules; a line after the record, which a
// card file reader skips, keeps a text box's exact font height. Plain text
// (the caption, or the picture's path) goes along for other programs.
#include "editing/CardHistory.h"

#include <QByteArray>
#include <QMimeData>

#include <memory>
#include <optional>

class MessageSink;

namespace BoxClipboard {

QString mimeType();

// The card file text of the box; nothing when the slot is empty, or (after
// the card file's message) when the box holds text the file cannot store.
std::optional<QByteArray> encodeBytes(const CardDocument &doc, BoxRef box);
std::unique_ptr<QMimeData> encode(const CardDocument &doc, BoxRef box);

// The first box of the text, read as the card file reader reads a card at the
// given screen density: its messages go to sink, a bad number throws the
// reader's TaveloError. Nothing when the text holds no box.
std::optional<ClipBox> decodeBytes(const QByteArray &bytes, std::int32_t screenPpi, MessageSink *sink);
// Nothing when the clipboard holds no box of the program's.
std::optional<ClipBox> decode(const QMimeData &data, std::int32_t screenPpi, MessageSink *sink);

} // namespace BoxClipboard

#pragma once
// The card data file (.tvl): four fixed lines, then ten-line text box records
// and six-line image box records; CR LF line ends, text in code page 932.
#include "cardfile/PictureLoads.h"
#include "files/FileFingerprint.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>


// The longest text (caption, font name, picture path) read from a card file,
// in characters: as much as the inline editor takes. A longer line keeps its
// beginning and the user is told.
constexpr int MaxCardTextLength = 32767;

// What a caption's record holds: the caption with each character that code
// page 932 cannot store (and CR or Ctrl-Z) as CaptionStandIn. A caption that
// differs from it is written whole in its box's "Caption=" line as well.
inline constexpr QChar CaptionStandIn = QChar(0x3013);   // 〓, the mark for a missing character
QString captionInRecord(const QString &caption);
// That text and its bytes in the record.
struct CaptionRecord {
    QString text;
    QByteArray bytes;
};
CaptionRecord captionRecord(const QString &caption);

// Writes the document to path. The file is replaced only once the new content
// is complete on disk; on failure the old file stays and a TaveloError with the
// I/O message is thrown. Returns false without writing when the document holds
// a font name or picture path that code page 932 cannot store, or a caption
// that is no valid text (the information box says which).
bool WriteCardFile(const CardDocument &doc, const QString &path);
// Save: WriteCardFile to the document's own file name; once the card is in
// its file the modified flag is cleared and the document keeps the file's
// fingerprint as written.
bool SaveCardFile(CardDocument &doc);

// What WriteCardFile writes; nothing (after the same message) when the
// document holds text that code page 932 cannot store.
std::optional<QByteArray> CardFileBytes(const CardDocument &doc);
// What CardFileBytes gives with each picture path as pathFor says: the image
// box's in slot of side, or (slot −1) the side's background picture, given
// the path the card holds. A card whose pictures were copied elsewhere.
using PicturePathFor = std::function<QString(Side side, int slot, const QString &path)>;
std::optional<QByteArray> CardFileBytesWithPictures(const CardDocument &doc, const PicturePathFor &pathFor);
// The same without the message: nothing when the text cannot be stored.
std::optional<QByteArray> CardFileBytesIfStorable(const CardDocument &doc);

// Reads path into the (cleared) document: print settings, then one box per
// record. A wrong header is reported through the document's message sink and
// ends the read; a picture that cannot be loaded is reported as an error
// through the sink and the read goes on; a bad number or an I/O failure throws
// a TaveloError and ends the read where it stands. *isCard, when given, is
// set once the header has been accepted: false means nothing of the file was
// read (it could not be opened, or it is not a card file).
// use says what is kept of each picture loaded.
// A read, finished or not, leaves the modified flag clear: the card is as
// its file holds it (or as far as it could be read).
void LoadCardFile(CardDocument &doc, const QString &path, bool *isCard = nullptr, const PictureUse &use = {});
// The Open command's read: LoadCardFile, and the document keeps the file's
// fingerprint, taken from the open file before its bytes are read (for a file
// that is not there, its absence), so that a save can tell whether another
// program has changed it since.
void OpenCardFile(CardDocument &doc, const QString &path, bool *isCard = nullptr);
// How the document's file now differs from what was read or last written;
// no change when that is not known. quick as for compareWithDisk.
DiskChange cardFileOnDisk(const CardDocument &doc, bool quick = false);
// The same read from a file already open, from where it stands.
void LoadCardStream(CardDocument &doc, int fd, bool *isCard = nullptr, const PictureUse &use = {});

// The card file's number rule: optional leading spaces, then an optional sign
// and decimal digits, or "$" and hexadecimal digits; nothing after; 32 bits.
std::optional<std::int32_t> parseCardInteger(const QByteArray &line);

// The message for a failed file operation, chosen by the errno value.
QString ioErrorMessage(int errnoValue);

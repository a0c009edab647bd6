#pragma once
// The extension lines the program knows: for the whole card and for each
// kind of box, how a line's value is read into the document and how the line
// is written from it. The card file's reader and writer (and nothing else)
// go through these tables; a feature that stores a new property adds its row
// here, in the place its line takes in the file.
#include <QByteArray>
#include <QList>
#include <QString>

class CardDocument;

namespace ExtensionKeys {

// How a line of a known key was taken.
enum class Read {
    Applied,
    Bad,   // the value is malformed: the default stays
};

struct CardKey {
    QByteArray key;
    // value is the text after "=", still escaped.
    Read (*read)(CardDocument &doc, const QByteArray &value);
    // The whole line, or an empty array when the card has the default.
    QByteArray (*write)(const CardDocument &doc);
    // The message for a bad line; the reader's common one when null.
    QString (*badMessage)(int lineNumber, const QString &line) = nullptr;
    // A line whose value, unescaped, is one box's record and the box's own
    // lines, read by the record reader into the back (read is not used).
    bool backBox = false;
};

struct BoxKey {
    const char *key;
    Read (*read)(CardDocument &doc, int slot, const QByteArray &value);
    QByteArray (*write)(const CardDocument &doc, int slot);
    QString (*badMessage)(int lineNumber, const QString &line) = nullptr;
};

// In the order their lines are written.
const QList<CardKey> &cardKeys();
const QList<BoxKey> &textBoxKeys();
const QList<BoxKey> &imageBoxKeys();

} // namespace ExtensionKeys

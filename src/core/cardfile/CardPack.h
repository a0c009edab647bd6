#pragma once
// A card packed with its pictures: a copy of the card file and of every
// picture it shows (image boxes, SVG drawings and backgrounds, front and
// back), in one folder, the copy's picture paths
// pointing into that folder. Copied on together, the folder opens complete
// anywhere (a picture not at its path is looked for beside the card).
#include <QString>
#include <QStringList>

class CardDocument;

namespace CardPack {

enum class Existing {
    Refuse,    // a folder that holds anything is not packed into
    Replace,   // files of the same names in the folder are replaced (the user agreed)
};

struct Packed {
    QString cardFile;        // the card file written
    QStringList pictures;    // the pictures copied, in the folder
    QStringList missing;     // pictures that could not be copied: their boxes keep their paths
};

// Whether folder is a folder that holds something (a file is reported by pack).
bool holdsFiles(const QString &folder);

// Packs doc into folder, which is made when it is not there. The card file
// takes the document's file name; pictures keep their file names, two
// different pictures of one name are told apart by "-2", "-3" … before the
// extension. The document itself is not changed. A picture that cannot be
// read is left out and listed in missing. Throws a TaveloError, after removing
// what it wrote, when the folder cannot be used or a file cannot be written:
// a non-empty folder under Existing::Refuse, a picture that could no longer
// be read when it was copied. Returns an empty cardFile, having written nothing, when
// the card's own text cannot be stored, or a folder whose path the card file
// cannot store (the document's message sink says why).
Packed pack(const CardDocument &doc, const QString &folder, Existing existing);

} // namespace CardPack

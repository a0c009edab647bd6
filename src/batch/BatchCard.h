#pragma once
// Reading the card for a command of tavelo-batch.
#include "cardfile/PictureLoads.h"

#include <QString>

#include <cstdint>

class CollectingSink;

// Reads path into doc as the Open command does, laid out at screenDpi; every
// message the program would have shown, the error that ended the read
// included, is collected in sink; what it only tells (pictures found beside
// the card) is written on stderr. Returns false when nothing of the card
// could be read: the file could not be opened or is not a card file.
// use says what is kept of each picture loaded.
bool readCard(CardDocument &doc, CollectingSink &sink, const QString &path, std::int32_t screenDpi,
              const PictureUse &use = {});

#pragma once
// A box (or the background's picture) as a merge job's and the preflight's
// messages name it: its design's caption or picture path, short enough for
// one line.
#include "card/CardDocument.h"

#include <QString>

namespace BoxNames {

// The caption's beginning: what a user wrote first.
QString textBox(const TextBox &box);
// The path's end: the file's name.
QString imageBox(const MoveImageRecord &record);
QString backgroundPicture(const CardBackground &background);

}   // namespace BoxNames

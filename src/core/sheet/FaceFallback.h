#pragma once
// The faces that draw what a box's face has not: names of the civil registry
// (𠮷, 髙 …) and signs such as ☎ are missing from the IPA faces that stand in
// for the card's Windows faces. The installed Japanese faces that have them
// follow the box's face, in one order for every device, so the screen, the
// preview, a PDF and a printer draw a caption with the same glyphs.
//
// FontMapping::toQFont gives every box font this chain (QFont::setFamilies:
// Qt picks the first face of the list that has a glyph, per character); a
// layout that shapes text itself asks rawFontFor() for each character.
#include <QFont>
#include <QList>
#include <QRawFont>
#include <QString>
#include <QStringList>

namespace FaceFallback {

// The installed faces tried after a face, best first: IPAmj Mincho (every
// name character of the civil registry) and the Noto CJK faces where they
// are installed; a gothic face tries the sans-serif Noto faces first, so a
// gothic caption does not take a mincho glyph while a gothic one exists.
QStringList chainFor(const QString &face);

// The face itself followed by its chain, as QFont::setFamilies takes them.
QStringList familiesFor(const QString &face);

// The face that draws ucs4 in font: the font's own face when it has the
// character, else the first of its chain that has it, else the face Qt's
// own fallback finds; at the font's pixel size. An invalid QRawFont when no
// installed face has the character (it prints as the missing-glyph box).
// Safe to call from any thread.
QRawFont rawFontFor(const QFont &font, char32_t ucs4);

// The characters of text, each once and in order, that no installed face
// draws in font; the first MaxMissingListed of them, which is all a message
// shows (and keeps a caption of thousands of such characters cheap). Spaces
// and control characters are never listed.
inline constexpr qsizetype MaxMissingListed = 16;
QList<char32_t> missingCharacters(const QFont &font, const QString &text);

} // namespace FaceFallback

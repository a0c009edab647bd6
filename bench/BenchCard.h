#pragma once
// The benchmark's inputs, made on the spot: different 1600 x 1200 24-bit
// bitmaps and the largest card the program allows (20 text boxes with
// Japanese captions in several fonts, 20 image boxes), or a smaller one of the
// same kind for the growth checks.
#include <QString>
#include <QStringList>

class CardDocument;

namespace BenchCard {

constexpr int PictureWidth = 1600;
constexpr int PictureHeight = 1200;
// Every image box is this large in screen pixels at 96 pixels per inch.
constexpr int ImageBoxWidth = 64;
constexpr int ImageBoxHeight = 48;
constexpr int ScreenPpi = 96;
// The captions use this many faces.
constexpr int FaceCount = 4;

// Writes count different bitmaps into dir and returns their paths.
QStringList writePictures(const QString &dir, int count);

// Fills an empty document with boxes text and image boxes (at most 20 each);
// image box n shows pictures[n], or no picture when pictures is empty. The
// pictures are only named here, not loaded.
void fill(CardDocument &doc, int boxes, const QStringList &pictures);

// Loads every named picture into the document's image boxes.
void loadPictures(CardDocument &doc);

// Writes a card with boxes text and image boxes to path; false on failure.
bool writeCard(const QString &path, int boxes, const QStringList &pictures);

// Seconds this process takes to print doc's sheet to a PDF at path, from
// memory given back to the system; a failure ends the benchmark.
double pdfSeconds(const CardDocument &doc, const QString &path);

} // namespace BenchCard

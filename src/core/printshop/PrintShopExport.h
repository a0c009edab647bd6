#pragma once
// The print-shop PDF (入稿用PDF): one page per card side (and, with a merge
// list, per row), each the trim plus the bleed and, when asked for, the
// crop marks, drawn by the card sheet's renderer with everything that lies
// past the trim drawn into the bleed, then finished as PDF/X-1a:2003
// (PdfxFinish). The preflight's problems come with it; they never stop it.
#include "card/CardDocument.h"
#include "printshop/PrintShopLayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>
#include <vector>

class MergeList;

enum class SideChoice { Front, Back, Both };

struct PrintShopJob {
    PrintShopOptions options;
    SideChoice sides = SideChoice::Both;
    QString title;       // the document's title, e.g. the card file's name
    QDateTime created;   // when the file is made; now when not valid
};

namespace PrintShopExport {

// Pages are drawn at this density: card points land where a 600-dpi sheet
// puts them, and pictures keep up to 600 dpi at their printed size, above
// the 350 the shops ask for.
constexpr int Dpi = 600;
// Far beyond any real order; a merge job of more rows is refused.
constexpr int MaxPages = 100000;

// The sides the card has, front first.
std::vector<Side> sidesOf(const CardDocument &doc);
// The sides choice gives for doc, or nothing with *problem saying why (the
// back of a card that has none).
std::optional<std::vector<Side>> chosenSides(const CardDocument &doc, SideChoice choice, QString *problem);

// The preflight of doc for job, without making the PDF (the dialog's list).
QStringList preflight(const CardDocument &doc, const PrintShopJob &job);

// The finished PDF of doc; *preflight gets the preflight's problems and
// those found while finishing. Nothing, with *error, when it cannot be made.
std::optional<QByteArray> pdf(const CardDocument &doc, const PrintShopJob &job, QStringList *preflight, QString *error);

// The same for a merge job: the card of each of rows (from 0, in order),
// every side of it. Problems of a row name the row.
std::optional<QByteArray> mergedPdf(const CardDocument &design, const MergeList &list, const std::vector<int> &rows,
                                    const PrintShopJob &job, QStringList *preflight, QString *error);

// Writes bytes to path whole (AtomicFile); false with *error on failure.
bool save(const QString &path, const QByteArray &bytes, QString *error);

}   // namespace PrintShopExport

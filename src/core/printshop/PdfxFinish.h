#pragma once
// Turns the PDF that Qt drew of a print-shop job into PDF/X-1a:2003, with
// qpdf: every colour operator of the content streams and every picture
// converted from RGB to CMYK (CmykColour), pictures with an alpha channel
// flattened on white, the exact page, bleed and trim boxes, the crop marks in
// registration black (the Separation colour All, which prints on every
// plate), the output intent (Japan Color 2001 Coated), the document
// information PDF/X asks for and a trailer ID. The content streams are read
// with qpdf's tokenizer and written back token by token: nothing of the PDF
// is parsed by hand.
#include "printshop/PrintShopLayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPDF;

namespace PdfxFinish {

struct DocumentInfo {
    QString title;
    QDateTime created;   // also the modification date
};

// The finished file, or nothing with *error saying why when Qt's PDF could
// not be read. Every page is laid out by layout; the drawing's top-left
// corner is the page's. What could not be made PDF/X-conforming (a colour of
// no known kind, transparency, a font not embedded) is added to *problems,
// each once; the file is still made.
//
// prepare, if given, is run on Qt's PDF as read, before anything is
// converted (the pictures put in place of their stand-ins); when it returns
// false nothing is made and *error is left as it was.
using Preparation = std::function<bool(QPDF &drawn)>;
std::optional<QByteArray> finish(const QByteArray &drawn, const PrintShopLayout &layout, const DocumentInfo &info,
                                 QStringList *problems, QString *error, const Preparation &prepare = {});

// The identifier and registry of the output intent.
inline QString outputConditionIdentifier() { return QStringLiteral("JC200103"); }
inline QString outputRegistry() { return QStringLiteral("http://www.color.org"); }

}   // namespace PdfxFinish

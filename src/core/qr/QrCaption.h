#pragma once
// A text box whose caption begins with "QR:" is drawn as a QR code; the rest
// of the caption is the code's content. The code is made at error-correction
// level M unless the content begins with a level mark: "(L)", "(M)", "(Q)" or
// "(H)", which is taken off. A content that itself begins with such a mark is
// written after an explicit "(M)", so every content and level round-trips.
//
// The card file keeps the caption as it is: a reader that knows nothing of QR
// codes shows the text.
#include "qr/QrSymbol.h"

#include <QString>

#include <optional>

struct QrCaption {
    QString content;
    QrLevel level = QrLevel::M;

    // The caption of a box showing this code.
    QString captionText() const;
    // The symbol for the content as UTF-8.
    QrSymbol symbol() const;
};

bool isQrCaption(const QString &caption);

// The code a caption asks for, or nothing when the caption is plain text.
// Every path from a caption to a QR code goes through here (the screen, the
// sheet, tavelo-batch), so a caption filled in by merge printing is read the
// same way.
std::optional<QrCaption> qrCaption(const QString &caption);

char qrLevelLetter(QrLevel level);

#pragma once
// A card document with a recording message sink and a folder of its own, for
// tests that read and write card files.
#include "CardDocument.h"
#include "CardFile.h"
#include "RecordingSink.h"
#include "TaveloError.h"
#include "TestFiles.h"

#include <QTemporaryDir>

struct CardFixture {
    CardFixture() { doc.setMessageSink(&sink); }

    QString path(const QString &name = QStringLiteral("card.tvl")) const { return dir.filePath(name); }

    // Reads the file; returns the message of the error that ended the read.
    QString load(const QString &file)
    {
        try {
            LoadCardFile(doc, file);
            return QString();
        } catch (const TaveloError &e) {
            return e.message();
        }
    }
    QString loadBytes(const QByteArray &bytes)
    {
        if (!TestFiles::writeFile(path(), bytes))
            return QStringLiteral("test file not written");
        return load(path());
    }
    // Writes the document; returns the message of the error, "refused" for false.
    QString save(const QString &file)
    {
        try {
            return WriteCardFile(doc, file) ? QString() : QStringLiteral("refused");
        } catch (const TaveloError &e) {
            return e.message();
        }
    }

    QTemporaryDir dir;
    CardDocument doc;
    RecordingSink sink;
};

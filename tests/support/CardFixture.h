#pragma once
// A card document with a recording message sink and a folder of its own, for
// tests that read and write card files.
#include "RecordingSink.h"
#include "TestFiles.h"
#include "Thrown.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QTemporaryDir>

struct CardFixture {
    CardFixture() { doc.setMessageSink(&sink); }

    QString path(const QString &name = QStringLiteral("card.tvl")) const { return dir.filePath(name); }

    // Reads the file; returns the message of the error that ended the read.
    QString load(const QString &file)
    {
        return thrownMessage([&] { LoadCardFile(doc, file); });
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
        bool written = true;
        const QString message = thrownMessage([&] { written = WriteCardFile(doc, file); });
        return written ? message : QStringLiteral("refused");
    }

    QTemporaryDir dir;
    CardDocument doc;
    RecordingSink sink;
};

#include "cardfile/CardPack.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "card/FieldText.h"
#include "cardfile/CardFile.h"
#include "cardfile/PicturePlaces.h"
#include "files/AtomicFile.h"
#include "files/RegularFile.h"
#include "picture/PictureLimits.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace CardPack {
namespace {

// Whether path is a picture file that can be copied (one too large for any
// card is not).
bool copiable(const QString &path)
{
    const OpenedFile file = openRegularFile(path);
    return file.ok() && file.size <= PictureLimits::MaxFileBytes;
}

// The whole of a picture file, or nothing when it cannot be read.
std::optional<QByteArray> pictureBytes(const QString &path)
{
    const OpenedFile file = openRegularFile(path);
    if (!file.ok() || file.size > PictureLimits::MaxFileBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(file.size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const long long n = readSome(file.fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += qsizetype(n);
    }
    bytes.truncate(filled);
    return bytes;
}

// name, or name with "-2", "-3" … before its extension, whichever no other
// picture of the pack has taken (in any capitals: the folder may go to Windows).
QString freeName(const QString &name, const QHash<QString, QString> &taken)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size());
    QString candidate = name;
    for (int n = 2; taken.contains(candidate.toLower()); ++n)
        candidate = QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
    return candidate;
}

// What was written, removed again when the pack fails part-way.
class Written
{
public:
    explicit Written(const QString &folder, bool made) : m_folder(folder), m_made(made) {}
    ~Written()
    {
        if (m_kept)
            return;
        for (const QString &file : m_files)
            QFile::remove(file);
        if (m_made)
            QDir().rmdir(m_folder);
    }
    Written(const Written &) = delete;
    Written &operator=(const Written &) = delete;

    void write(const QString &path, const QByteArray &bytes)
    {
        // A file there already is the user's (Existing::Replace): replaced, not removed.
        const bool isNew = !QFileInfo::exists(path);
        AtomicFile::replace(path, bytes);
        if (isNew)
            m_files << path;
    }
    void keep() { m_kept = true; }

private:
    QString m_folder;
    bool m_made;
    QStringList m_files;
    bool m_kept = false;
};

} // namespace

bool holdsFiles(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && !QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

Packed pack(const CardDocument &doc, const QString &folder, Existing existing)
{
    const QFileInfo info(folder);
    const QString target = info.absoluteFilePath();
    if (info.exists() && !info.isDir())
        throw TaveloError(Msg::notAFolder(QDir::toNativeSeparators(target)));
    if (existing == Existing::Refuse && holdsFiles(target))
        throw TaveloError(Msg::packFolderNotEmpty(QDir::toNativeSeparators(target)));

    QString cardName = QFileInfo(doc.DocFileName()).fileName();
    if (cardName.isEmpty())
        cardName = Msg::defaultDocumentName();

    // Each picture once, under a name of its own in the folder: the image
    // boxes' and the backgrounds', of the front and of the back. Read one at
    // a time when written: a card's pictures may be many and large.
    Packed packed;
    QHash<QString, QString> taken{{cardName.toLower(), QString()}};   // lower-case name in the folder -> source
    QHash<QString, QString> copiedAs;                                 // source -> path in the folder
    QList<std::pair<QString, QString>> copies;                        // path in the folder, source
    const auto packedPath = [&](Side, int, const QString &source) -> QString {
        // No picture, or one that each merge row names.
        if (source.isEmpty() || FieldText::isPicturePlaceholder(source))
            return source;
        const QString key = QFileInfo(source).absoluteFilePath();
        if (const auto it = copiedAs.constFind(key); it != copiedAs.constEnd())
            return *it;
        if (!copiable(source)) {
            if (!packed.missing.contains(source))
                packed.missing << source;
            return source;
        }
        const QString name = freeName(PicturePlaces::fileName(source), taken);
        taken.insert(name.toLower(), key);
        const QString copy = QDir(target).filePath(name);
        copiedAs.insert(key, copy);
        copies.append({copy, source});
        return copy;
    };
    const std::optional<QByteArray> card = CardFileBytesWithPictures(doc, packedPath);
    if (!card)
        return {};

    const bool made = !info.exists();
    if (made && !QDir().mkpath(target))
        throw TaveloError(Msg::cannotMakeFolder(QDir::toNativeSeparators(target)));
    Written written(target, made);
    for (const auto &[copy, source] : copies) {
        // Gone or unreadable since it was looked at: the card would name a
        // picture the folder lacks.
        const std::optional<QByteArray> bytes = pictureBytes(source);
        if (!bytes)
            throw TaveloError(Msg::cannotOpenFile(QDir::toNativeSeparators(source)));
        written.write(copy, *bytes);
        packed.pictures << copy;
    }
    packed.cardFile = QDir(target).filePath(cardName);
    written.write(packed.cardFile, *card);
    written.keep();
    return packed;
}

} // namespace CardPack

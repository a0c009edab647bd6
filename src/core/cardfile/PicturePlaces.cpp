#include "cardfile/PicturePlaces.h"

#include <QDir>
#include <QFileInfo>

namespace PicturePlaces {
namespace {

// A file of name in folder: the same capitals first, else any.
std::optional<QString> inFolder(const QDir &folder, const QString &name)
{
    const QFileInfo exact(folder.filePath(name));
    if (exact.isFile())
        return exact.absoluteFilePath();
    if (!folder.exists())
        return std::nullopt;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder.absoluteFilePath(entry);
    }
    return std::nullopt;
}

} // namespace

QString fileName(const QString &storedPath)
{
    const qsizetype cut = std::max(storedPath.lastIndexOf(QLatin1Char('/')), storedPath.lastIndexOf(QLatin1Char('\\')));
    return storedPath.mid(cut + 1);
}

std::optional<QString> besideCard(const QString &storedPath, const QString &cardPath)
{
    const QString name = fileName(storedPath);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || cardPath.isEmpty())
        return std::nullopt;
    const QDir cardFolder = QFileInfo(cardPath).absoluteDir();
    if (const std::optional<QString> found = inFolder(cardFolder, name))
        return found;
    for (const QString &folder : PictureFolders) {
        if (const std::optional<QString> found = inFolder(QDir(cardFolder.filePath(folder)), name))
            return found;
    }
    return std::nullopt;
}

} // namespace PicturePlaces

#pragma once
// Where a card's picture is looked for when its stored path leads nowhere: a
// card copied to another computer or folder together with its pictures keeps
// the paths of the place it came from.
#include <QString>
#include <QStringList>

#include <optional>

namespace PicturePlaces {

// The folders beside a card that pictures are kept in, after the card's own.
inline const QStringList PictureFolders{QStringLiteral("pictures"), QStringLiteral("画像")};

// The file name of a stored picture path, whichever system wrote it
// ("C:\Users\…\logo.bmp" as well as "/home/…/logo.bmp").
QString fileName(const QString &storedPath);

// The picture of storedPath beside the card at cardPath: a regular file of
// the same name in the card's folder, else in its "pictures" or "画像"
// folder; of a name in other capitals when no file has the same capitals (a
// card from Windows). Nothing when no such file exists.
std::optional<QString> besideCard(const QString &storedPath, const QString &cardPath);

} // namespace PicturePlaces

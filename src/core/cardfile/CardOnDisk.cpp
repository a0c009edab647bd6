// The card's file as the Open command read it, and whether it is still so.
#include "cardfile/CardFile.h"

#include "base/FileErrors.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/RegularFile.h"

#include <cerrno>

void OpenCardFile(CardDocument &doc, const QString &path, bool *isCard)
{
    if (isCard)
        *isCard = false;
    doc.setDiskFingerprint(std::nullopt);
    OpenedFile file = openRegularFile(path);
    if (!file.ok()) {
        // A card that is not there may be saved there, unless one appears.
        if (file.error == ENOENT)
            doc.setDiskFingerprint(FileFingerprint());
        throw TaveloError(openErrorMessage(path, file.error));
    }
    // Taken before the read: a file changed while it is read differs from it
    // afterwards, and a save asks.
    doc.setDiskFingerprint(FileFingerprint::ofOpenFile(file.fd.get()));
    PictureUse use;
    use.cardPath = path;
    LoadCardStream(doc, file.fd.get(), isCard, use);
}

DiskChange cardFileOnDisk(const CardDocument &doc, bool quick)
{
    const std::optional<FileFingerprint> &known = doc.diskFingerprint();
    return known ? compareWithDisk(*known, doc.DocFileName(), quick) : DiskChange::None;
}

#pragma once
// The temporary file a save writes beside its target. It is held under an
// advisory lock (flock) from its creation until the save has renamed it or
// given up, so a temporary file that nobody holds locked was left by a save
// that was killed, and the next save into the folder removes it.
#include "files/UniqueFd.h"

#include <QByteArray>

namespace SaveTemporary {

struct Locked {
    QByteArray name;   // empty when no file could be created
    UniqueFd fd;       // for writing; may be closed before the rename
    UniqueFd lock;     // the same open file: holds the lock until destroyed
};

// Creates a new temporary file in folder, locked; errno tells why not.
Locked create(const QByteArray &folder);

// Removes the temporary files in folder that no process holds locked.
void removeStale(const QByteArray &folder);

} // namespace SaveTemporary

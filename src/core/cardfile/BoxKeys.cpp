// The boxes' extension lines, each written directly after its box's record.
#include "cardfile/ExtensionKeys.h"

#include "card/CardDocument.h"

namespace ExtensionKeys {

const QList<BoxKey> &textBoxKeys()
{
    static const QList<BoxKey> keys = {};
    return keys;
}

const QList<BoxKey> &imageBoxKeys()
{
    static const QList<BoxKey> keys = {};
    return keys;
}

} // namespace ExtensionKeys

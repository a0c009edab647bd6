#include "BatchCard.h"

#include "CardDocument.h"
#include "CardFile.h"
#include "CollectingSink.h"
#include "TaveloError.h"

bool readCard(CardDocument &doc, CollectingSink &sink, const QString &path, std::int32_t screenDpi)
{
    doc.setMessageSink(&sink);
    doc.setScreenPpi(screenDpi);
    doc.SetDocFileName(path);
    bool isCard = false;
    try {
        LoadCardFile(doc, path, &isCard);
    } catch (const TaveloError &e) {
        sink.error(e.message());
    }
    return isCard;
}

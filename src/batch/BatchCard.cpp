#include "BatchCard.h"

#include "CardDocument.h"
#include "CardFile.h"
#include "CollectingSink.h"
#include "TaveloError.h"

bool readCard(CardDocument &doc, CollectingSink &sink, const QString &path, std::int32_t screenDpi,
              const PictureFit &fit)
{
    doc.setMessageSink(&sink);
    doc.setScreenPpi(screenDpi);
    doc.SetDocFileName(path);
    bool isCard = false;
    try {
        LoadCardFile(doc, path, &isCard, fit);
    } catch (const TaveloError &e) {
        sink.error(e.message());
    }
    return isCard;
}

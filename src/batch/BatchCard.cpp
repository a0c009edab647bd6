#include "BatchCard.h"

#include "CardDocument.h"
#include "CardFile.h"
#include "CollectingSink.h"
#include "TaveloError.h"

void readCard(CardDocument &doc, CollectingSink &sink, const QString &path, std::int32_t screenDpi)
{
    doc.setMessageSink(&sink);
    doc.setScreenPpi(screenDpi);
    doc.SetDocFileName(path);
    try {
        LoadCardFile(doc, path);
    } catch (const TaveloError &e) {
        sink.error(e.message());
    }
}

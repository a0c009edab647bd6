#include "BatchCard.h"

#include "CollectingSink.h"
#include "TerminalStream.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "qr/QrCaption.h"

bool readCard(CardDocument &doc, CollectingSink &sink, const QString &path, std::int32_t screenDpi,
              const PictureUse &use)
{
    doc.setMessageSink(&sink);
    doc.setScreenPpi(screenDpi);
    doc.SetDocFileName(path);
    bool isCard = false;
    try {
        LoadCardFile(doc, path, &isCard, use);
    } catch (const TaveloError &e) {
        sink.error(e.message());
    }
    // Pictures found beside the card: said on stderr, whatever the command
    // writes on stdout; the job goes on as a clean one.
    if (!sink.notices().isEmpty()) {
        TerminalStream err(stderr);
        for (const QString &notice : sink.notices())
            err << notice << '\n';
        err.flush();
    }
    // A QR code no symbol can carry is left off the sheet: the user is told.
    for (const Side side : {Side::Front, Side::Back}) {
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
            const TextBox *box = doc.side(side).TextBoxes(slot);
            const std::optional<QrCaption> qr = box ? qrCaption(box->Caption) : std::nullopt;
            if (qr && qr->symbol().status() == QrSymbol::Status::TooLong)
                sink.information(Msg::qrTooLong(), MsgButton::Ok);
        }
    }
    return isCard;
}

#include "editing/BoxClipboard.h"

#include "base/TaveloError.h"
#include "cardfile/CardFile.h"
#include "cardfile/CardInteger.h"
#include "files/UniqueFd.h"

#include <cerrno>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const QByteArray FontHeightField = QByteArrayLiteral("FontHeight=");

// The bytes in an anonymous file, positioned at its start, for the reader.
UniqueFd memoryFile(const QByteArray &bytes)
{
    UniqueFd fd(memfd_create("tavelo-clipboard", MFD_CLOEXEC));
    if (!fd.isOpen())
        throw TaveloError(ioErrorMessage(errno));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw TaveloError(ioErrorMessage(n < 0 ? errno : ENOSPC));
        written += n;
    }
    if (::lseek(fd.get(), 0, SEEK_SET) != 0)
        throw TaveloError(ioErrorMessage(errno));
    return fd;
}

// The exact font height from its own line, if the text has one.
std::optional<std::int32_t> fontHeight(const QByteArray &bytes)
{
    const qsizetype at = bytes.indexOf("\r\n" + FontHeightField);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + 2 + FontHeightField.size();
    const qsizetype end = bytes.indexOf('\r', start);
    return parseCardInteger(bytes.mid(start, end < 0 ? -1 : end - start));
}

} // namespace

namespace BoxClipboard {

QString mimeType()
{
    return QStringLiteral("application/x-tavelo-box");
}

std::optional<QByteArray> encodeBytes(const CardDocument &doc, BoxRef box)
{
    CardDocument single;
    single.setScreenPpi(doc.screenPpi());
    single.setMessageSink(doc.messageSink());
    single.setPrintSettings(doc.printSettings());
    const TextBox *text = box.isText() ? doc.TextBoxes(box.slot) : nullptr;
    const MoveImageRecord *image = box.isImage() ? doc.ImageBoxes(box.slot) : nullptr;
    if (text)
        single.restoreTextBox(0, *text);
    else if (image)
        single.restoreImageBox(0, *image);
    else
        return std::nullopt;
    std::optional<QByteArray> bytes = CardFileBytes(single);
    if (bytes && text)
        *bytes += FontHeightField + QByteArray::number(text->Font.height()) + "\r\n";
    return bytes;
}

std::unique_ptr<QMimeData> encode(const CardDocument &doc, BoxRef box)
{
    const std::optional<QByteArray> bytes = encodeBytes(doc, box);
    if (!bytes)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(mimeType(), *bytes);
    if (box.isText())
        data->setText(doc.TextBoxes(box.slot)->Caption);
    else
        data->setText(doc.ImageBoxes(box.slot)->ImagePath);
    return data;
}

std::optional<ClipBox> decodeBytes(const QByteArray &bytes, std::int32_t screenPpi, MessageSink *sink)
{
    CardDocument read;
    read.setScreenPpi(screenPpi);
    read.setMessageSink(sink);
    const UniqueFd fd = memoryFile(bytes);
    LoadCardStream(read, fd.get());
    for (int n = 0; n < CardDocument::SlotCount; ++n) {
        if (const TextBox *text = read.TextBoxes(n)) {
            ClipBox box{*text, std::nullopt};
            if (const std::optional<std::int32_t> height = fontHeight(bytes))
                box.text->Font.setHeight(*height);
            // The clipboard's own line is no property of the box.
            box.text->UnknownLines.removeIf([](const QByteArray &line) { return line.startsWith(FontHeightField); });
            return box;
        }
    }
    for (int n = 0; n < CardDocument::SlotCount; ++n) {
        if (const MoveImageRecord *image = read.ImageBoxes(n))
            return ClipBox{std::nullopt, *image};
    }
    return std::nullopt;
}

std::optional<ClipBox> decode(const QMimeData &data, std::int32_t screenPpi, MessageSink *sink)
{
    if (!data.hasFormat(mimeType()))
        return std::nullopt;
    return decodeBytes(data.data(mimeType()), screenPpi, sink);
}

} // namespace BoxClipboard

#include "qr/QrSymbol.h"

#include <qrencode.h>

#include <memory>

namespace {
QRecLevel libraryLevel(QrLevel level)
{
    switch (level) {
    case QrLevel::L: return QR_ECLEVEL_L;
    case QrLevel::M: return QR_ECLEVEL_M;
    case QrLevel::Q: return QR_ECLEVEL_Q;
    case QrLevel::H: return QR_ECLEVEL_H;
    }
    return QR_ECLEVEL_M;
}
} // namespace

int QrSymbol::byteCapacity(QrLevel level)
{
    // Data capacity of version 40 in 8-bit mode (ISO/IEC 18004, table 7).
    switch (level) {
    case QrLevel::L: return 2953;
    case QrLevel::M: return 2331;
    case QrLevel::Q: return 1663;
    case QrLevel::H: return 1273;
    }
    return 0;
}

QrSymbol QrSymbol::encode(const QByteArray &bytes, QrLevel level)
{
    QrSymbol symbol;
    if (bytes.isEmpty())
        return symbol;
    // The library answers ERANGE for too much data; checking the length
    // first gives the same answer without the attempt.
    if (bytes.size() > byteCapacity(level)) {
        symbol.m_status = Status::TooLong;
        return symbol;
    }
    const std::unique_ptr<QRcode, void (*)(QRcode *)> code(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
                          libraryLevel(level)),
        QRcode_free);
    if (!code) {
        symbol.m_status = Status::TooLong;
        return symbol;
    }
    symbol.m_status = Status::Ok;
    symbol.m_width = code->width;
    symbol.m_version = code->version;
    const size_t count = size_t(code->width) * size_t(code->width);
    symbol.m_modules.resize(count);
    // Bit 0 of each byte is the module's colour; the others describe its role.
    for (size_t i = 0; i < count; ++i)
        symbol.m_modules[i] = code->data[i] & 1U;
    return symbol;
}

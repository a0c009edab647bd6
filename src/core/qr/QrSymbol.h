#pragma once
// A QR code symbol made by libqrencode: the content's bytes in 8-bit mode at
// one of the four error-correction levels, in the smallest version that holds
// them. The symbol is a square of modules, each dark or light.
#include <QByteArray>

#include <cstdint>
#include <vector>

enum class QrLevel { L, M, Q, H };

class QrSymbol
{
public:
    enum class Status { Ok, Empty, TooLong };

    // Encodes bytes (the caller passes UTF-8, what phone readers expect).
    static QrSymbol encode(const QByteArray &bytes, QrLevel level);

    // The most bytes a version 40 symbol holds in 8-bit mode at level.
    static int byteCapacity(QrLevel level);

    Status status() const { return m_status; }
    bool isValid() const { return m_status == Status::Ok; }
    int width() const { return m_width; }   // modules per side, 0 when not valid
    int version() const { return m_version; }
    bool dark(int x, int y) const { return m_modules[size_t(y) * size_t(m_width) + size_t(x)] != 0; }

private:
    Status m_status = Status::Empty;
    int m_width = 0;
    int m_version = 0;
    std::vector<std::uint8_t> m_modules;
};

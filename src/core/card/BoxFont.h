#pragma once
// A text box's font as the card stores it: face name, pixel height at the
// screen's density, colour value and style. Height follows the usual Windows
// convention: negative is the character height without internal leading,
// positive the whole cell.
#include <QFlags>
#include <QString>
#include <cstdint>

enum class FontStyle : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

// a × b ÷ c on 32-bit values, rounded half away from zero; −1 when c is 0 or
// the result leaves the 32-bit range, as the system's MulDiv answers.
std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// The rule that ties a text box's font height to its height: each is 2 − the
// other, in 32 bits with wrap-around as the rule has always been computed.
// Every size change of a text box and every fit of a box to its font asks here.
std::int32_t fontHeightForBoxHeight(std::int32_t boxHeight);
std::int32_t boxHeightForFontHeight(std::int32_t fontHeight);

class BoxFont
{
public:
    static constexpr int MaxNameBytes = 31;
    static QString defaultTextBoxFace() { return QStringLiteral("ＭＳ Ｐ明朝"); }

    BoxFont() = default;
    BoxFont(const QString &name, std::int32_t height, std::int32_t color = 0, FontStyles style = {});

    const QString &name() const { return m_name; }
    // An empty name leaves the name as it was; longer names are cut to 31
    // bytes of code page 932 without splitting a character.
    void setName(const QString &name);

    std::int32_t height() const { return m_height; }
    void setHeight(std::int32_t height) { m_height = height; }

    std::int32_t color() const { return m_color; }
    void setColor(std::int32_t color) { m_color = color; }

    FontStyles style() const { return m_style; }
    void setStyle(FontStyles style) { m_style = style; }

    // Size in points and height in pixels are two views of one value.
    std::int32_t size(std::int32_t ppi) const { return sizeFromHeight(m_height, ppi); }
    void setSize(std::int32_t points, std::int32_t ppi) { m_height = heightFromSize(points, ppi); }

    static std::int32_t sizeFromHeight(std::int32_t height, std::int32_t ppi);
    static std::int32_t heightFromSize(std::int32_t points, std::int32_t ppi);

    bool operator==(const BoxFont &o) const
    {
        return m_name == o.m_name && m_height == o.m_height && m_color == o.m_color && m_style == o.m_style;
    }
    bool operator!=(const BoxFont &o) const { return !(*this == o); }

private:
    QString m_name = QStringLiteral("System");
    std::int32_t m_height = -13;
    std::int32_t m_color = 0;
    FontStyles m_style;
};

#pragma once
// How a text box sets its caption: alignment in the box (均等割付 included),
// the glyphs' width and height (長体 / 平体), letter spacing, vertical writing
// and the digits set side by side in a vertical line (縦中横). The default is
// what every card without these properties means: left, 100 %, no spacing,
// horizontal.
#include <QString>

#include <cstdint>
#include <optional>

enum class TextAlign : std::uint8_t { Left, Center, Right, Justify };

struct TextSetting {
    static constexpr int MinScale = 50;       // percent
    static constexpr int MaxScale = 200;
    static constexpr int MinSpacing = -500;   // thousandths of an em
    static constexpr int MaxSpacing = 2000;
    static constexpr int MaxTcy = 4;          // half-width digits in one em
    static constexpr int DefaultTcy = 2;

    TextAlign align = TextAlign::Left;
    int scaleX = 100;   // 文字幅, percent
    int scaleY = 100;   // 文字高さ, percent
    int spacing = 0;
    bool vertical = false;
    int tcy = DefaultTcy;   // used only in a vertical line; 0 sets no digits side by side

    // Whether the caption is set exactly as a card without these properties
    // sets it (the digits' setting counts only in a vertical line).
    bool isDefault() const
    {
        return align == TextAlign::Left && scaleX == 100 && scaleY == 100 && spacing == 0 && !vertical;
    }
    // Every value within its range: what the card file and the tool accept.
    bool isValid() const;

    bool operator==(const TextSetting &o) const
    {
        return align == o.align && scaleX == o.scaleX && scaleY == o.scaleY && spacing == o.spacing
               && vertical == o.vertical && tcy == o.tcy;
    }
    bool operator!=(const TextSetting &o) const { return !(*this == o); }

    // The names the card file and the tool use: left, center, right, justify.
    static QString alignName(TextAlign align);
    static std::optional<TextAlign> alignFromName(const QString &name);
};

#include "card/TextSetting.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<TextAlign, const char *>, 4> AlignNames = {{
    {TextAlign::Left, "left"},
    {TextAlign::Center, "center"},
    {TextAlign::Right, "right"},
    {TextAlign::Justify, "justify"},
}};

bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

bool TextSetting::isValid() const
{
    return within(scaleX, MinScale, MaxScale) && within(scaleY, MinScale, MaxScale)
           && within(spacing, MinSpacing, MaxSpacing) && within(tcy, 0, MaxTcy);
}

QString TextSetting::alignName(TextAlign align)
{
    for (const auto &[value, name] : AlignNames) {
        if (value == align)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("left");
}

std::optional<TextAlign> TextSetting::alignFromName(const QString &name)
{
    for (const auto &[value, text] : AlignNames) {
        if (name == QLatin1String(text))
            return value;
    }
    return std::nullopt;
}

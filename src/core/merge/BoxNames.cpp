#include "merge/BoxNames.h"

#include "base/Messages.h"

namespace BoxNames {
namespace {

QString shortened(const QString &text, bool keepEnd)
{
    constexpr qsizetype Shown = 24;
    if (text.size() <= Shown)
        return text;
    const QString ellipsis(QChar(0x2026));
    return keepEnd ? ellipsis + text.right(Shown) : text.left(Shown) + ellipsis;
}

}   // namespace

QString textBox(const TextBox &box) { return Msg::mergeTextBox(shortened(box.Caption, false)); }

QString imageBox(const MoveImageRecord &record) { return Msg::mergeImageBox(shortened(record.ImagePath, true)); }

QString backgroundPicture(const CardBackground &background)
{
    return Msg::backgroundPictureNamed(shortened(background.picturePath, true));
}

}   // namespace BoxNames

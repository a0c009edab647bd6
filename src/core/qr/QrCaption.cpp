#include "qr/QrCaption.h"

namespace {
const QString Prefix = QStringLiteral("QR:");

std::optional<QrLevel> levelMark(const QString &text)
{
    if (text.size() < 3 || text.at(0) != QLatin1Char('(') || text.at(2) != QLatin1Char(')'))
        return std::nullopt;
    switch (text.at(1).unicode()) {
    case 'L': return QrLevel::L;
    case 'M': return QrLevel::M;
    case 'Q': return QrLevel::Q;
    case 'H': return QrLevel::H;
    default: return std::nullopt;
    }
}
} // namespace

char qrLevelLetter(QrLevel level)
{
    switch (level) {
    case QrLevel::L: return 'L';
    case QrLevel::M: return 'M';
    case QrLevel::Q: return 'Q';
    case QrLevel::H: return 'H';
    }
    return 'M';
}

bool isQrCaption(const QString &caption)
{
    return caption.startsWith(Prefix);
}

std::optional<QrCaption> qrCaption(const QString &caption)
{
    if (!isQrCaption(caption))
        return std::nullopt;
    QrCaption qr;
    qr.content = caption.mid(Prefix.size());
    if (const std::optional<QrLevel> level = levelMark(qr.content)) {
        qr.level = *level;
        qr.content.remove(0, 3);
    }
    return qr;
}

QString QrCaption::captionText() const
{
    QString text = Prefix;
    if (level != QrLevel::M || levelMark(content))
        text += QStringLiteral("(%1)").arg(QLatin1Char(qrLevelLetter(level)));
    return text + content;
}

QrSymbol QrCaption::symbol() const
{
    return QrSymbol::encode(content.toUtf8(), level);
}

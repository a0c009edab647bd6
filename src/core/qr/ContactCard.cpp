#include "qr/ContactCard.h"

#include <QStringList>

namespace {

// Text values escaped as vCard 3.0 asks (RFC 2426, 4: backslash, comma,
// semicolon, line feed).
QString escaped(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char(','), QStringLiteral("\\,"));
    value.replace(QLatin1Char(';'), QStringLiteral("\\;"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return value;
}

// Family and given name: the name up to its first space (half or full width)
// and the rest.
std::pair<QString, QString> splitName(const QString &name)
{
    const QString trimmed = name.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed.at(i) == QLatin1Char(' ') || trimmed.at(i) == QChar(0x3000))
            return {trimmed.left(i), trimmed.mid(i + 1).trimmed()};
    }
    return {trimmed, QString()};
}

} // namespace

bool ContactCard::operator==(const ContactCard &o) const
{
    return name == o.name && kana == o.kana && company == o.company && department == o.department
           && title == o.title && phone == o.phone && mobile == o.mobile && email == o.email && url == o.url
           && address == o.address;
}

QString ContactCard::toVCard() const
{
    QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:3.0")};
    const auto [family, given] = splitName(name);
    lines << QStringLiteral("N:%1;%2;;;").arg(escaped(family), escaped(given));
    lines << QStringLiteral("FN:") + escaped(name.trimmed());
    if (!kana.trimmed().isEmpty()) {
        // What phones read for the reading of a name.
        const auto [familyKana, givenKana] = splitName(kana);
        lines << QStringLiteral("X-PHONETIC-LAST-NAME:") + escaped(familyKana);
        if (!givenKana.isEmpty())
            lines << QStringLiteral("X-PHONETIC-FIRST-NAME:") + escaped(givenKana);
    }
    if (!company.isEmpty() || !department.isEmpty())
        lines << QStringLiteral("ORG:%1%2").arg(escaped(company),
                                               department.isEmpty() ? QString() : QLatin1Char(';') + escaped(department));
    const auto add = [&lines](const char *property, const QString &value) {
        if (!value.isEmpty())
            lines << QLatin1String(property) + escaped(value);
    };
    add("TITLE:", title);
    add("TEL;TYPE=WORK,VOICE:", phone);
    add("TEL;TYPE=CELL:", mobile);
    add("EMAIL;TYPE=INTERNET:", email);
    add("URL:", url);
    if (!address.isEmpty())
        lines << QStringLiteral("ADR;TYPE=WORK:;;%1;;;;").arg(escaped(address));
    lines << QStringLiteral("END:VCARD");
    return lines.join(QLatin1Char('\n'));
}

std::optional<ContactCard> ContactCard::fromVCard(const QString &text)
{
    if (!text.startsWith(QStringLiteral("BEGIN:VCARD\n")))
        return std::nullopt;
    ContactCard card;
    QString familyKana, givenKana;
    const QStringList lines = text.split(QLatin1Char('\n'));
    // Values are read back only where they hold no escapes to undo; the
    // composed text decides below whether the reading was complete.
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString property = line.left(colon);
        const QString value = line.mid(colon + 1);
        const QStringList parts = value.split(QLatin1Char(';'));
        if (property == QLatin1String("FN"))
            card.name = value;
        else if (property == QLatin1String("X-PHONETIC-LAST-NAME"))
            familyKana = value;
        else if (property == QLatin1String("X-PHONETIC-FIRST-NAME"))
            givenKana = value;
        else if (property == QLatin1String("ORG")) {
            card.company = parts.value(0);
            card.department = parts.value(1);
        } else if (property == QLatin1String("TITLE"))
            card.title = value;
        else if (property == QLatin1String("TEL;TYPE=WORK,VOICE"))
            card.phone = value;
        else if (property == QLatin1String("TEL;TYPE=CELL"))
            card.mobile = value;
        else if (property == QLatin1String("EMAIL;TYPE=INTERNET"))
            card.email = value;
        else if (property == QLatin1String("URL"))
            card.url = value;
        else if (property == QLatin1String("ADR;TYPE=WORK"))
            card.address = parts.value(2);
    }
    card.kana = givenKana.isEmpty() ? familyKana : familyKana + QLatin1Char(' ') + givenKana;
    // Only a text the form gives back exactly is the form's: nothing of it is
    // lost by editing it there.
    if (card.toVCard() != text)
        return std::nullopt;
    return card;
}

#pragma once
// The contact a QR code can carry: the fields of the contact form, composed as
// a vCard 3.0 text with its lines separated by line feeds (a caption holds line
// feeds but no carriage return). Empty fields are left out.
#include <QString>

#include <optional>

struct ContactCard {
    QString name;         // 氏名: family name, a space, given name
    QString kana;         // ふりがな, split the same way
    QString company;
    QString department;
    QString title;
    QString phone;
    QString mobile;
    QString email;
    QString url;
    QString address;

    bool operator==(const ContactCard &o) const;

    QString toVCard() const;

    // The contact of a vCard this form composed; nothing for any other text,
    // so that a vCard written by hand is edited as the text it is.
    static std::optional<ContactCard> fromVCard(const QString &text);
};

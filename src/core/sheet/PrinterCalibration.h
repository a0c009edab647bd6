#pragma once
// How far each printer's sheets are to be shifted so that they land where the
// paper expects them: a horizontal and a vertical offset per printer, by its
// name, kept in the user's settings (never in a card).
#include "sheet/SheetLayout.h"

#include <QSettings>
#include <QString>

class PrinterCalibration
{
public:
    static constexpr std::int32_t MaxTenths = 200;   // ±20.0 mm

    // settings: the user's (~/.config/Tavelo/Tavelo.conf) unless a test gives
    // its own.
    explicit PrinterCalibration(QSettings *settings = nullptr);

    // The printer's offset; none for a printer never calibrated (or without
    // a name). A stored
    // value out of range is brought into it, one that is no number is 0.
    SheetOffset offsetFor(const QString &printerName) const;
    // Stores the offset, brought into ±MaxTenths; a zero offset removes the
    // printer's entry. A printer without a name keeps nothing.
    void setOffset(const QString &printerName, SheetOffset offset);

    // The back-side offset: added on the back sheets of two-sided jobs only
    // (a duplex unit lands the back a millimetre or two off), kept the same way.
    SheetOffset backOffsetFor(const QString &printerName) const;
    void setBackOffset(const QString &printerName, SheetOffset offset);

    static std::int32_t clampTenths(std::int64_t tenths);

private:
    QString key(const QString &printerName) const;
    QString backKey(const QString &printerName) const;
    SheetOffset storedOffset(const QString &key, const QString &printerName) const;
    void store(const QString &key, const QString &printerName, SheetOffset offset);

    QSettings m_userSettings;
    QSettings *m_settings;
};

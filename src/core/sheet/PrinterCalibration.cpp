#include "sheet/PrinterCalibration.h"

#include <QUrl>

#include <algorithm>

namespace {
const QString kGroup = QStringLiteral("printerCalibration");
// The back-side offsets, a group of their own: a front offset set to zero
// removes its printer's entry, which must not take the back's with it.
const QString kBackGroup = QStringLiteral("printerBackOffset");

std::int32_t storedTenths(const QVariant &value)
{
    bool ok = false;
    const qlonglong tenths = value.toLongLong(&ok);
    return ok ? PrinterCalibration::clampTenths(tenths) : 0;
}
} // namespace

PrinterCalibration::PrinterCalibration(QSettings *settings)
    : m_userSettings(QStringLiteral("Tavelo"), QStringLiteral("Tavelo")), m_settings(settings ? settings : &m_userSettings)
{
}

std::int32_t PrinterCalibration::clampTenths(std::int64_t tenths)
{
    return std::int32_t(std::clamp<std::int64_t>(tenths, -MaxTenths, MaxTenths));
}

// Printer names may hold "/" and "\", which settings keys treat as groups.
QString PrinterCalibration::key(const QString &printerName) const
{
    return kGroup + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

SheetOffset PrinterCalibration::offsetFor(const QString &printerName) const
{
    return storedOffset(key(printerName), printerName);
}

SheetOffset PrinterCalibration::backOffsetFor(const QString &printerName) const
{
    return storedOffset(backKey(printerName), printerName);
}

void PrinterCalibration::setOffset(const QString &printerName, SheetOffset offset)
{
    store(key(printerName), printerName, offset);
}

void PrinterCalibration::setBackOffset(const QString &printerName, SheetOffset offset)
{
    store(backKey(printerName), printerName, offset);
}

QString PrinterCalibration::backKey(const QString &printerName) const
{
    return kBackGroup + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

SheetOffset PrinterCalibration::storedOffset(const QString &k, const QString &printerName) const
{
    if (printerName.isEmpty())
        return {};
    return {storedTenths(m_settings->value(k + QStringLiteral("/x"))), storedTenths(m_settings->value(k + QStringLiteral("/y")))};
}

void PrinterCalibration::store(const QString &k, const QString &printerName, SheetOffset offset)
{
    if (printerName.isEmpty())
        return;
    const SheetOffset kept{clampTenths(offset.x), clampTenths(offset.y)};
    if (kept == SheetOffset{}) {
        m_settings->remove(k);
    } else {
        m_settings->setValue(k + QStringLiteral("/x"), kept.x);
        m_settings->setValue(k + QStringLiteral("/y"), kept.y);
    }
    m_settings->sync();
}

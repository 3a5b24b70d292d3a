#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

namespace vostrand::core {

// One measuring channel. Field names are the persisted value names (plus the record index).
struct SensorRecord
{
    static constexpr qsizetype kNameLength = 64;
    static constexpr qsizetype kAdrLength = 2;
    static constexpr qsizetype kDimensionLength = 20;
    static constexpr qsizetype kStatusTextLength = 20;
    static constexpr quint8 kFloat16Type = 16; // `CanType` of a 16-bit float channel

    // Persisted.
    QString Name; // the formula for a channel of the virtual math device
    bool Aktiv = false;
    QString Adr; // `NetAdress` of the owning device
    qint16 Protocol = 1;
    quint8 CanType = 1;
    float Mas = 0.1f;
    QString Dimension;
    qint16 Dopusk = 0;
    qint32 Period = 0;
    bool AktivBase = false;
    qint16 Sluj = 32000;
    double aTim = 0.0; // day number since 1899-12-30
    // Channel index within the device, from 0; null when the configuration did not say, and
    // then the sensor has no address and cannot be decoded.
    std::optional<qint16> Can;
    // Index of the owning device; null when no device with `Adr` exists: such a sensor is
    // kept (so its settings are not lost) but never polled.
    std::optional<qint16> Ind;

    // Run-time.
    float T = 0.0f;
    float SP = 0.0f;
    float Pw = 0.0f;
    QString StatusText;
    qint32 DbElapsed = 0;

    bool isFormula() const { return Adr == QLatin1String("FF"); }

    // Cuts the text fields to their stored lengths.
    void boundTexts()
    {
        Name.truncate(kNameLength);
        Adr.truncate(kAdrLength);
        Dimension.truncate(kDimensionLength);
        StatusText.truncate(kStatusTextLength);
    }
};

} // namespace vostrand::core

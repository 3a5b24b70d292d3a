#pragma once

#include "acquisition/station_snapshot.h"
#include "core/date_time.h"

#include <memory>
#include <ostream>

#include <QStringList>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << '{';
    for (const QString& line : lines)
        *os << " \"" << line.toStdString() << '"';
    *os << " }";
}
QT_END_NAMESPACE

namespace vostrand::network::test {

inline constexpr double kPassDay = 46001.56347;

inline core::DeviceRecord device(const QString& name, const QString& address, qint16 channels)
{
    core::DeviceRecord d;
    d.Name = name;
    d.NetAdress = address;
    d.Canals = channels;
    d.Prot = 2;
    d.Regtype = 3;
    d.TReply = QStringLiteral(":%1030600FA00FB00FC").arg(address);
    d.SpReply = QStringLiteral(":%1030601F401F501F6").arg(address);
    d.PwReply = QStringLiteral(":%10306000A000B000C").arg(address);
    return d;
}

inline core::SensorRecord sensor(const QString& address, qint16 channel, qint16 deviceIndex)
{
    core::SensorRecord s;
    s.Name = QStringLiteral("Датчик %1.%2").arg(address.toInt(nullptr, 16)).arg(channel + 1);
    s.Aktiv = true;
    s.Adr = address;
    s.Can = channel;
    s.Ind = deviceIndex;
    s.Protocol = 1;
    s.CanType = 1;
    s.Mas = 0.1f;
    s.Dimension = QStringLiteral("°C");
    return s;
}

// The station of the example exchange: device 05 with three channels, polling every 3 s,
// setpoints polled, power not.
inline acquisition::StationSnapshot exampleSnapshot()
{
    acquisition::StationSnapshot s;
    s.devices.append(device(QStringLiteral("ТРМ-05"), QStringLiteral("05"), 3));
    for (qint16 c = 0; c < 3; ++c)
        s.sensors.append(sensor(QStringLiteral("05"), c, 0));
    s.settings.set(u"SpinEdit4G.Value", 3);
    s.settings.set(u"SPRead", true);
    s.settings.set(u"PwRead", false);
    s.state = acquisition::PollingState::Polling;
    s.timerIntervalMs = 3000;
    s.passTime = core::DateTime::toDateTime(kPassDay);
    s.lastRecordLine = QStringLiteral("11.12.2026 13:31:24 25,0 25,1 25,2");
    return s;
}

inline acquisition::SnapshotPtr share(acquisition::StationSnapshot snapshot)
{
    return std::make_shared<const acquisition::StationSnapshot>(std::move(snapshot));
}

} // namespace vostrand::network::test

// Any request line against a small station whose tables come from the input too. The replies
// must keep their shape: the "ipscan" count is the listing's line count, every listing line
// can be read back, nothing past it can.
#include "network/data_server_replies.h"

#include <cstdlib>
#include <cstring>

#include <QByteArray>

namespace {

using namespace vostrand;

// Takes bytes off the front of the input; zeros once it is used up.
struct Input
{
    const uint8_t* data;
    size_t size;

    uint8_t byte()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
    QString text(size_t most)
    {
        const size_t length = std::min<size_t>(byte() % (most + 1), size);
        const QString t = QString::fromLatin1(reinterpret_cast<const char*>(data),
                                              static_cast<qsizetype>(length));
        data += length;
        size -= length;
        return t;
    }
};

acquisition::StationSnapshot stationFrom(Input& in)
{
    acquisition::StationSnapshot s;
    const uint8_t flags = in.byte();
    s.state = static_cast<acquisition::PollingState>(flags % 3);
    s.settings.set(u"SPRead", (flags & 0x04) != 0);
    s.settings.set(u"PwRead", (flags & 0x08) != 0);
    s.settings.set(u"SpinEdit4G.Value", in.byte());
    s.timerIntervalMs = in.byte() * 100;
    if (flags & 0x10)
        s.passTime = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(in.byte()) << 32 |
                                                    static_cast<qint64>(in.byte()) << 16);
    s.lastRecordLine = in.text(16);
    const int devices = in.byte() % 4;
    for (int d = 0; d < devices; ++d) {
        core::DeviceRecord device;
        device.Name = in.text(8);
        device.NetAdress = in.text(2);
        device.Canals = static_cast<qint16>(static_cast<int8_t>(in.byte())); // negative too
        device.TReply = in.text(16);
        device.SpReply = in.text(16);
        device.PwReply = in.text(16);
        device.RunState[0] = static_cast<qint16>(in.byte() << 8 | in.byte());
        s.devices.append(device);
    }
    const int sensors = in.byte() % 5;
    for (int i = 0; i < sensors; ++i) {
        core::SensorRecord sensor;
        sensor.Name = in.text(8);
        sensor.Adr = in.text(2);
        sensor.Sluj = static_cast<qint16>(in.byte() << 8 | in.byte());
        uint32_t bits = 0;
        for (int b = 0; b < 4; ++b)
            bits = bits << 8 | in.byte();
        std::memcpy(&sensor.Mas, &bits, sizeof(bits)); // NaN, infinities, denormals too
        if (in.byte() & 1)
            sensor.Can = static_cast<qint16>(in.byte());
        s.sensors.append(sensor);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    const bool comma = in.byte() & 1;
    const acquisition::StationSnapshot snapshot = stationFrom(in);
    const network::DataServerReplies replies(comma ? core::RegionalFormat::russian()
                                                   : core::RegionalFormat::dotDecimal());
    network::ScanListing listing;
    const QByteArray request(reinterpret_cast<const char*>(in.data),
                             static_cast<qsizetype>(in.size));
    replies.replyBytes(request, snapshot, listing);

    const QStringList count = replies.reply(u"ipscan", snapshot, listing);
    const qsizetype lines = 2 * snapshot.devices.Devcount() + 2 * snapshot.sensors.SensCount() + 3;
    if (count != QStringList{QString::number(lines)})
        std::abort();
    for (qsizetype n = 0; n < lines; ++n)
        if (replies.reply(QStringLiteral("ipscan%1").arg(n), snapshot, listing).size() != 1)
            std::abort();
    if (!replies.reply(QStringLiteral("ipscan%1").arg(lines), snapshot, listing).isEmpty())
        std::abort();
    return 0;
}

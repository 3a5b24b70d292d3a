#include "core/text_codec.h"
#include "network/data_server_replies.h"
#include "snapshot_fixture.h"

#include <gtest/gtest.h>

namespace vostrand::network {
namespace {

using acquisition::PollingState;
using acquisition::StationSnapshot;
using test::exampleSnapshot;

const QString F = QStringLiteral("^\t");

struct Replies
{
    explicit Replies(core::RegionalFormat regional = core::RegionalFormat::russian())
        : replies(std::move(regional))
    {}

    QStringList operator()(const QString& request, const StationSnapshot& snapshot)
    {
        return replies.reply(request, snapshot, listing);
    }

    DataServerReplies replies;
    ScanListing listing;
};

TEST(DataServerReplies, exampleExchangeWithCommaSeparator)
{
    Replies ask;
    const StationSnapshot s = exampleSnapshot();
    const core::DeviceRecord& d = s.devices.at(0);
    EXPECT_EQ(ask("allmodbus", s), QStringList{"1" + F + "3000" + F + "1" + F + "46001,56347" + F +
                                               d.TReply + F + d.SpReply + F});
    EXPECT_EQ(ask("ipscan", s), QStringList{"11"});
    const QStringList expected{
        "1",
        "ТРМ-05",
        "05" + F + "2" + F + "3" + F + "0" + F,
        "3",
        "Датчик 5.1",
        "05" + F + "0" + F + "1" + F + "°C" + F + "0" + F + "0" + F + "0" + F + "1" + F + "0,1" +
            F + "1" + F,
        "Датчик 5.2",
        "05" + F + "1" + F + "1" + F + "°C" + F + "0" + F + "0" + F + "0" + F + "1" + F + "0,1" +
            F + "1" + F,
        "Датчик 5.3",
        "05" + F + "2" + F + "1" + F + "°C" + F + "0" + F + "0" + F + "0" + F + "1" + F + "0,1" +
            F + "1" + F,
        "3" + F,
    };
    for (int n = 0; n < expected.size(); ++n)
        EXPECT_EQ(ask(QStringLiteral("ipscan%1").arg(n), s), QStringList{expected[n]}) << n;
    EXPECT_TRUE(ask("ipscan11", s).isEmpty());
    EXPECT_EQ(ask("dttimer", s), QStringList{"3"});
}

TEST(DataServerReplies, dotSeparatorReachesDayNumberAndScale)
{
    Replies ask(core::RegionalFormat::dotDecimal());
    StationSnapshot s = exampleSnapshot();
    s.sensors.edit(1, [](core::SensorRecord& r) { r.Mas = 0.01f; });
    EXPECT_EQ(ask("ddtime", s), QStringList{"46001.56347"});
    ask("ipscan", s);
    EXPECT_TRUE(ask("ipscan5", s).front().contains(F + "0.1" + F));
    EXPECT_TRUE(ask("ipscan7", s).front().contains(F + "0.010" + F));
}

TEST(DataServerReplies, everyRequestOfTheTable)
{
    StationSnapshot s = exampleSnapshot();
    const core::DeviceRecord& d = s.devices.at(0);
    const QString dt = "3 период опроса приборов Vostrand на сервере, s";
    const struct
    {
        QString request;
        QStringList reply;
    } cases[] = {
        {"t05", {d.TReply}},
        {"s05", {d.SpReply}},
        {"p05", {d.PwReply}},
        {"t5", {""}},
        {"t", {""}},
        {"t1", {"", s.lastRecordLine}},
        {"pdttimer", {"", "3"}},
        {"ddtime", {"46001,56347"}},
        {"IPTimer22", {"1"}},
        {"dttimer", {"3"}},
        {"dt", {dt}},
        {"allsensors", {s.lastRecordLine}},
        {"1", {s.lastRecordLine}},
        {"ipscan", {"11"}},
        {"ipscan1", {"ТРМ-05"}},
        {"ipscan0011", {}},
        {"ipscan-1", {}},
        {"ipscan+1", {}},
        {"ipscan 1", {}},
        {"ipscan99999999999999999999", {}},
        {"", {}},
        {"hello", {}},
        {"ALLMODBUS", {}},
        {"dttimer ", {}},
    };
    Replies ask;
    for (const auto& c : cases)
        EXPECT_EQ(ask(c.request, s), c.reply) << c.request.toStdString();
}

TEST(DataServerReplies, lastDeviceWithTheAddressWins)
{
    StationSnapshot s = exampleSnapshot();
    core::DeviceRecord twin = test::device("twin", "05", 1);
    twin.TReply = "second";
    s.devices.append(twin);
    Replies ask;
    EXPECT_EQ(ask("t05", s), QStringList{"second"});
}

TEST(DataServerReplies, pollingStateDecidesTheAnswers)
{
    Replies ask;
    StationSnapshot stopped = exampleSnapshot();
    stopped.state = PollingState::Stopped;
    EXPECT_EQ(ask("IPTimer22", stopped), QStringList{"0"});
    EXPECT_EQ(ask("allmodbus", stopped), QStringList{"0"});
    EXPECT_EQ(ask("gstat", stopped), QStringList{"0"});
    EXPECT_EQ(ask("allsensors", stopped),
              QStringList{"Error Vostrand: Опрос датчиков на сервере не включен"});

    StationSnapshot noLine = exampleSnapshot();
    noLine.lastRecordLine.clear();
    EXPECT_EQ(ask("1", noLine), QStringList{"Error Vostrand: Пока не получены данные с датчиков"});

    DataServerTexts english;
    english.noReading = "polling is off";
    DataServerReplies translated(core::RegionalFormat::russian(), english);
    ScanListing listing;
    EXPECT_EQ(translated.reply(u"1", stopped, listing),
              QStringList{"Error Vostrand: polling is off"});
}

TEST(DataServerReplies, allmodbusCarriesTheRepliesThePollingReads)
{
    StationSnapshot s = exampleSnapshot();
    s.devices.append(test::device("second", "0A", 2));
    const struct
    {
        bool sp;
        bool pw;
        qsizetype fields;
    } cases[] = {
        {false, false, 4 + 2}, {true, false, 4 + 4}, {false, true, 4 + 4}, {true, true, 4 + 6}};
    Replies ask;
    for (const auto& c : cases) {
        s.settings.set(u"SPRead", c.sp);
        s.settings.set(u"PwRead", c.pw);
        const QString reply = ask("allmodbus", s).front();
        EXPECT_EQ(reply.count(F), c.fields) << c.sp << c.pw;
        EXPECT_TRUE(reply.endsWith(F));
        EXPECT_EQ(reply.contains(s.devices.at(1).PwReply), c.pw);
    }
}

TEST(DataServerReplies, gstatWritesFourHexDigitsPerChannel)
{
    StationSnapshot s = exampleSnapshot();
    s.devices.append(test::device("regulator", "07", 2));
    s.devices.edit(1, [](core::DeviceRecord& d) {
        d.RunState[0] = 0;
        d.RunState[1] = 0x7FFF;
        d.StatusWords[0][0] = -2;
        d.StatusWords[0][1] = 10;
        d.StatusWords[6][0] = -1;
        d.ProgramIcon[1] = 36;
    });
    Replies ask;
    const QStringList fields = ask("gstat", s).front().split(F);
    // Count, then per device: index and nine arrays; the text ends with a field end.
    ASSERT_EQ(fields.size(), 1 + 2 * 10 + 1);
    EXPECT_EQ(fields[0], "2");
    EXPECT_EQ(fields[1], "0");
    EXPECT_EQ(fields[2], "7FFF7FFF7FFF"); // not read
    EXPECT_EQ(fields[11], "1");
    EXPECT_EQ(fields[12], "00007FFF");
    EXPECT_EQ(fields[13], "FFFE000A");
    EXPECT_EQ(fields[19], "FFFF7FFF");
    EXPECT_EQ(fields[20], "FFFF0024");
    EXPECT_EQ(fields[21], "");
}

TEST(DataServerReplies, listingServiceZoneAndScale)
{
    StationSnapshot s = exampleSnapshot();
    s.sensors.edit(0, [](core::SensorRecord& r) {
        r.Sluj = 32500;
        r.Mas = 0.01f;
    });
    s.sensors.edit(1, [](core::SensorRecord& r) {
        r.Mas = 10.0f;
        r.Aktiv = false;
        r.Can.reset();
        r.Ind.reset();
    });
    Replies ask;
    ask("ipscan", s);
    EXPECT_EQ(ask("ipscan5", s).front(), "05" + F + "0" + F + "1" + F + "°C" + F + "0" + F +
                                             "32500" + F + "0" + F + "1" + F + "0,010" + F + "1" +
                                             F);
    EXPECT_EQ(ask("ipscan7", s).front(), "05" + F + "-1" + F + "1" + F + "°C" + F + "-1" + F + "0" +
                                             F + "0" + F + "0" + F + "10,0" + F + "1" + F);
}

TEST(DataServerReplies, scaleFormats)
{
    const struct
    {
        float mas;
        const char* text;
    } cases[] = {
        {0.1f, "0,1"}, // a single-precision 0.1 lies above 0.1
        {0.01f, "0,010"},
        {0.001f, "0,001"},
        {0.05f, "0,050"},
        {0.0f, "0,000"},
        {1.0f, "1,0"},
        {10.0f, "10,0"},
        {999.0f, "999,0"},
        {-1.5f, "-1,500"},
        {100000.0f, "1E5"},
        // Scales the short forms would change get the decimals that read back exactly.
        {0.25f, "0,25"},
        {12.34f, "12,34"},
        {123.4f, "123,4"},
        {1234.0f, "1234,0"},
        {0.0001f, "0,0001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataServerReplies::scaleText(c.mas, u','), QString::fromUtf8(c.text)) << c.mas;
    EXPECT_EQ(DataServerReplies::scaleText(0.01f, u'.'), "0.010");
}

TEST(DataServerReplies, fixedFormatRoundsToThePrecisionFirst)
{
    const struct
    {
        double value;
        int precision;
        int digits;
        const char* text;
    } cases[] = {
        {0.01, 5, 3, "0,010"}, {0.012345, 5, 3, "0,012"}, {123.45, 3, 1, "123,0"},
        {12.34, 3, 1, "12,3"}, {1234.5, 3, 1, "1,23E3"},  {999.96, 3, 1, "1E3"},
        {-0.01, 3, 1, "0,0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataServerReplies::fixedText(c.value, c.precision, c.digits, u','),
                  QString::fromUtf8(c.text))
            << c.value;
}

TEST(DataServerReplies, generalFormatIsTheShortest)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        {46001.56347, "46001,56347"},
        {0.0, "0"},
        {1.0, "1"},
        {-2.5, "-2,5"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {1.5e20, "1,5E20"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1,23456789012346E15"},
        {46001.0 + 1.0 / 3.0, "46001,3333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataServerReplies::generalText(c.value, 15, u','), QString::fromUtf8(c.text))
            << c.value;
}

TEST(DataServerReplies, emptyStationStillAnswers)
{
    StationSnapshot s;
    s.state = PollingState::Polling;
    s.timerIntervalMs = 3000;
    Replies ask;
    EXPECT_EQ(ask("ipscan", s), QStringList{"3"});
    EXPECT_EQ(ask("ipscan0", s), QStringList{"0"});
    EXPECT_EQ(ask("ipscan1", s), QStringList{"0"});
    EXPECT_EQ(ask("ipscan2", s), QStringList{""});
    EXPECT_EQ(ask("allmodbus", s), QStringList{"1" + F + "3000" + F + "0" + F + "0" + F});
    EXPECT_EQ(ask("gstat", s), QStringList{"0" + F});
    EXPECT_EQ(ask("t05", s), QStringList{""});
}

TEST(DataServerReplies, listingLinesNeedAnIpscanFirstAndKeepTheirState)
{
    Replies ask;
    StationSnapshot s = exampleSnapshot();
    EXPECT_TRUE(ask("ipscan5", s).isEmpty());
    ask("ipscan", s);
    s.devices.edit(0, [](core::DeviceRecord& d) { d.Name = "renamed"; });
    // Later lines come from the listing as the last "ipscan" built it.
    EXPECT_EQ(ask("ipscan1", s), QStringList{"ТРМ-05"});
    ask("ipscan", s);
    EXPECT_EQ(ask("ipscan1", s), QStringList{"renamed"});
}

TEST(DataServerReplies, wireBytesAreWindows1251WithCrLf)
{
    DataServerReplies replies(core::RegionalFormat::russian());
    ScanListing listing;
    const StationSnapshot s = exampleSnapshot();
    const QByteArray reply = replies.replyBytes("dt", s, listing);
    EXPECT_TRUE(reply.startsWith("3 \xEF\xE5\xF0")); // "пер" in 1251
    EXPECT_TRUE(reply.endsWith(", s\r\n"));
    EXPECT_EQ(replies.replyBytes("t1", s, listing),
              "\r\n" + core::TextCodec::encode(s.lastRecordLine) + "\r\n");
    EXPECT_TRUE(replies.replyBytes("nothing", s, listing).isEmpty());
    // A device name in the listing goes out in 1251 as well.
    replies.replyBytes("ipscan", s, listing);
    EXPECT_EQ(replies.replyBytes("ipscan1", s, listing), "\xD2\xD0\xCC-05\r\n");
}

} // namespace
} // namespace vostrand::network

#include "core/sensor_address.h"

#include <gtest/gtest.h>

namespace vostrand::core {
namespace {

TEST(SensorAddressTest, recordGivesDecimalDeviceAndChannelFromOne)
{
    struct Case
    {
        const char* adr;
        int can;
        const char* text;
    };
    const Case cases[] = {
        {"0A", 1, "10.2"}, {"01", 0, "1.1"}, {"FF", 11, "255.12"}, {"fe", 63, "254.64"},
        {"", 0, ""},       {"ZZ", 0, ""},    {"01", -1, ""},
    };
    for (const Case& c : cases) {
        const auto address = SensorAddress::fromRecord(QString::fromLatin1(c.adr), c.can);
        EXPECT_EQ(address ? address->text() : QString(), QLatin1String(c.text)) << c.adr;
    }
}

TEST(SensorAddressTest, textParsesBackToItsParts)
{
    const auto address = SensorAddress::parse(u"10.2");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->netAdress(), QStringLiteral("0A"));
    EXPECT_EQ(address->can(), 1);
    EXPECT_EQ(SensorAddress::parse(u" 255.12 "), SensorAddress(255, 12));
    for (const char16_t* bad : {u"", u"10", u"10.", u".2", u"10.0", u"+1.2", u"1.2.3", u"256.1",
                                u"1 .2", u"a.b", u"-1.2"})
        EXPECT_FALSE(SensorAddress::parse(bad)) << QString::fromUtf16(bad).toStdString();
}

} // namespace
} // namespace vostrand::core

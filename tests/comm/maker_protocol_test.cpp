#include "comm/maker_protocol.h"

#include <gtest/gtest.h>

namespace vostrand::comm {
namespace {

TEST(MakerProtocol, requestCarriesTheDecimalAddressOfAtLeastTwoDigits)
{
    EXPECT_EQ(MakerProtocol::request(0x05, QLatin1Char(MakerProtocol::kCurrentValues)),
              QStringLiteral("&051\r"));
    EXPECT_EQ(MakerProtocol::request(0x0C, QLatin1Char(MakerProtocol::kSetpoints)),
              QStringLiteral("&12C\r"));
    EXPECT_EQ(MakerProtocol::request(0xFF, QLatin1Char('1')), QStringLiteral("&2551\r"));
}

TEST(MakerProtocol, valuesOfAReply)
{
    struct Case
    {
        const char* reply;
        int k;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"05+23.5_-1.2_+100", 1, 23.5},
        {"05+23.5_-1.2_+100", 2, -1.2},
        {"05+23.5_-1.2_+100", 3, 100.0},
        {"05+23.5_-1.2_+100", 4, std::nullopt},
        {"05+23,5", 1, 23.5},
        {"05+XX_21.0", 1, std::nullopt},
        {"05+XX_21.0", 2, 21.0},
        {"05+ 12 . 5_", 1, 12.5}, // blanks are not part of a number
        {"05+1_2\r", 2, 2.0},     // a reply that kept its CR
        {"05+1_2\r", 3, std::nullopt},
        {"05+1__3", 2, std::nullopt}, // an empty field still counts
        {"05+1__3", 3, 3.0},
        {"05+1.2.3_4", 1, std::nullopt},
        {"05+inf_nan", 1, std::nullopt},
        {"05+inf_nan", 2, std::nullopt},
        {"05 23.5", 1, std::nullopt}, // no "+", no numbers
        {"", 1, std::nullopt},
        {"05+23.5", 0, std::nullopt},
        {"05+23.5", -1, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto value = MakerProtocol::value(QString::fromLatin1(c.reply), c.k);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << c.reply << " #" << c.k;
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value) << c.reply << " #" << c.k;
        }
    }
}

TEST(MakerProtocol, channelCountFollowsTheSeparators)
{
    EXPECT_EQ(MakerProtocol::channelCount(u"05+23.5_-1.2_+100"), 3);
    EXPECT_EQ(MakerProtocol::channelCount(u"05+23.5"), 1);
}

} // namespace
} // namespace vostrand::comm

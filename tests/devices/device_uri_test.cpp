#include "devices/device_uri.h"

#include <gtest/gtest.h>

namespace vostrand::devices {
namespace {

struct GoodUri
{
    const char* uri;
    DeviceLink link;
    const char* portOrHost;
    int baudOrPort;
    qint16 protocol;
    int address;
};

class DeviceUriGood : public ::testing::TestWithParam<GoodUri>
{};

TEST_P(DeviceUriGood, parsesIntoTheRequest)
{
    const GoodUri c = GetParam();
    const DeviceUriResult parsed = DeviceUri::parse(QString::fromUtf8(c.uri));
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    const DeviceRequest& request = *parsed.request;
    EXPECT_EQ(request.link, c.link);
    EXPECT_EQ(request.protocol, c.protocol);
    EXPECT_EQ(request.address, c.address);
    if (c.link == DeviceLink::Serial) {
        EXPECT_EQ(request.serial.portName, QString::fromUtf8(c.portOrHost));
        EXPECT_EQ(request.serial.baudRate, c.baudOrPort);
    } else {
        EXPECT_EQ(request.tcp.host, QString::fromUtf8(c.portOrHost));
        EXPECT_EQ(request.tcp.port, c.baudOrPort);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Links, DeviceUriGood,
    ::testing::Values(
        GoodUri{"serial:/dev/ttyUSB0@9600/rtu/5", DeviceLink::Serial, "/dev/ttyUSB0", 9600, 1, 5},
        GoodUri{"Serial:COM7@115200/ASCII/254", DeviceLink::Serial, "COM7", 115200, 0, 254},
        // Fields are taken from the right, so a port path may hold "/" and "@".
        GoodUri{"serial:/tmp/a@b/ttySIM0@19200/vostrand/12", DeviceLink::Serial, "/tmp/a@b/ttySIM0",
                19200, 3, 12},
        GoodUri{"tcp:192.168.1.4:502/tcp/1", DeviceLink::Tcp, "192.168.1.4", 502, 2, 1},
        GoodUri{"tcp:127.0.0.1:15021/rtu/10", DeviceLink::Tcp, "127.0.0.1", 15021, 1, 10},
        GoodUri{"tcp:localhost:15022/ascii/7", DeviceLink::Tcp, "localhost", 15022, 0, 7}));

TEST(DeviceUri, mathDeviceTakesOneChannelPerFormula)
{
    const DeviceUriResult parsed = DeviceUri::parse(u"math: 5.1+5.2 ; 10.1*2");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.request->link, DeviceLink::Math);
    EXPECT_EQ(parsed.request->address, 255);
    EXPECT_EQ(parsed.request->netAdress(), QStringLiteral("FF"));
    EXPECT_EQ(parsed.request->formulaCount, 2);
    EXPECT_EQ(parsed.request->formulas, (QStringList{"5.1+5.2", "10.1*2"}));
}

struct BadUri
{
    const char* uri;
    const char* errorPart;
};

class DeviceUriBad : public ::testing::TestWithParam<BadUri>
{};

TEST_P(DeviceUriBad, isRefusedWithAReason)
{
    const BadUri c = GetParam();
    const DeviceUriResult parsed = DeviceUri::parse(QString::fromUtf8(c.uri));
    EXPECT_FALSE(parsed.ok());
    EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.errorPart)))
        << c.uri << " -> " << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DeviceUriBad,
    ::testing::Values(BadUri{"", "no scheme"}, BadUri{"usb:ttyUSB0", "unknown device URI scheme"},
                      BadUri{"serial:/dev/ttyUSB0/rtu/5", "PORT@BAUD"},
                      BadUri{"serial:@9600/rtu/5", "PORT@BAUD"},
                      BadUri{"serial:/dev/ttyUSB0@fast/rtu/5", "serial speed \"fast\""},
                      BadUri{"serial:/dev/ttyUSB0@9600/tcp/5", "protocol \"tcp\""},
                      BadUri{"serial:/dev/ttyUSB0@9600/rtu", "address \"rtu\""},
                      BadUri{"serial:COM7@9600", "serial:PORT@BAUD/PROTOCOL/ADDRESS"},
                      BadUri{"serial:/dev/ttyUSB0@9600/rtu/0", "address \"0\""},
                      BadUri{"serial:/dev/ttyUSB0@9600/rtu/255", "address \"255\""},
                      BadUri{"serial:/dev/ttyUSB0@9600/rtu/+5", "address \"+5\""},
                      BadUri{"tcp:192.168.1.4/tcp/1", "HOST:PORT"},
                      BadUri{"tcp:192.168.1.4:70000/tcp/1", "TCP port \"70000\""},
                      BadUri{"tcp:192.168.1.4:502/vostrand/1", "protocol \"vostrand\""},
                      BadUri{"tcp:plant-gateway.example:502/tcp/1", "longer than 15"},
                      BadUri{"math:", "empty formula"}, BadUri{"math:5.1;;5.2", "empty formula"}));

TEST(DeviceUri, deleteAddressIsDecimalUpTo255)
{
    EXPECT_EQ(DeviceUri::parseAddress(u"255"), 255);
    EXPECT_EQ(DeviceUri::parseAddress(u" 5 "), 5);
    QString error;
    EXPECT_FALSE(DeviceUri::parseAddress(u"0", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("1..255")));
    EXPECT_FALSE(DeviceUri::parseAddress(u"0x05"));
    EXPECT_FALSE(DeviceUri::parseAddress(u"256"));
}

TEST(DeviceRequest, addressFieldIsCorrectedAsTyped)
{
    EXPECT_EQ(DeviceRequest::correctedAddressText(u"0", DeviceLink::Serial), QStringLiteral("254"));
    EXPECT_EQ(DeviceRequest::correctedAddressText(u"300", DeviceLink::Tcp), QStringLiteral("254"));
    EXPECT_EQ(DeviceRequest::correctedAddressText(u"abc", DeviceLink::Serial), QStringLiteral("1"));
    EXPECT_EQ(DeviceRequest::correctedAddressText(u"12", DeviceLink::Serial), QStringLiteral("12"));
    EXPECT_EQ(DeviceRequest::correctedAddressText(u"255", DeviceLink::Math), QStringLiteral("255"));
    EXPECT_FALSE(DeviceRequest::parseFormulaCount(u"drei"));
    EXPECT_EQ(DeviceRequest::parseFormulaCount(u"3"), 3);
}

} // namespace
} // namespace vostrand::devices

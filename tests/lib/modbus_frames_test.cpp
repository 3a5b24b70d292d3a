#include "vostrand_lib.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kUntouched = 0xAA;

struct AsciiCase
{
    const char* name;
    std::string frame;
    int32_t transactionId;
    int32_t result;
    Bytes written; // buffer bytes from offset 0; the rest must stay untouched
};

const std::vector<AsciiCase> kAsciiCases = {
    {"readTwoRegisters",
     ":010300000002FA\r\n",
     0,
     12,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02}},
    {"transactionIdBigEndian",
     ":010300000002FA\r\n",
     0x1234,
     12,
     {0x12, 0x34, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02}},
    {"lowerCaseDigits",
     ":0a0300000002f1\r\n",
     0,
     12,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x0A, 0x03, 0x00, 0x00, 0x00, 0x02}},
    {"nonHexDigitReadsAsZero",
     ":0103000000Z2FA\r\n",
     0,
     12,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02}},
    {"wrongLrc", ":010300000002FB\r\n", 0x1234, 0, {}},
    {"noColon", "0010300000002FA\r\n", 0, 0, {}},
    {"fiveCharacters", ":00\r\n", 0, 0, {}},
    {"empty", "", 0, 0, {}},
    // The LRC holds (FF + 01), but three hex digits remain: only the MBAP start is written.
    {"oddHexPart", ":FF010\r\n", 0x0102, 0, {0x01, 0x02, 0x00, 0x00}},
};

TEST(ModbusAsciiToTcp, convertsOrFailsAsTabled)
{
    for (const auto& c : kAsciiCases) {
        SCOPED_TRACE(c.name);
        std::array<uint8_t, 64> buffer{};
        buffer.fill(kUntouched);
        EXPECT_EQ(convert_MODBUS_ASCII_to_TCP(c.frame.c_str(), buffer.data(), c.transactionId),
                  c.result);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(c.written.size())),
                  c.written);
        for (std::size_t at = c.written.size(); at < buffer.size(); ++at) {
            ASSERT_EQ(buffer[at], kUntouched) << "offset " << at;
        }
    }
}

TEST(ModbusAsciiToTcp, rejectsNullArguments)
{
    std::array<uint8_t, 16> buffer{};
    EXPECT_EQ(convert_MODBUS_ASCII_to_TCP(nullptr, buffer.data(), 0), 0);
    EXPECT_EQ(convert_MODBUS_ASCII_to_TCP(":010300000002FA\r\n", nullptr, 0), 0);
}

std::string toAscii(const Bytes& frame, uint16_t& transactionId, int32_t textSize, int32_t& result)
{
    std::vector<char> text(static_cast<std::size_t>(textSize) + 8, 'x');
    result = convert_MODBUS_TCP_to_ASCII(frame.data(), static_cast<int32_t>(frame.size()),
                                         &transactionId, text.data(), textSize);
    return text.data();
}

const Bytes kReadFrame = {0x12, 0x34, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x00, 0x00, 0x00, 0x02};

TEST(ModbusTcpToAscii, convertsFrameAndReportsTransactionId)
{
    uint16_t transactionId = 0;
    int32_t result = -1;
    EXPECT_EQ(toAscii(kReadFrame, transactionId, 64, result), ":010300000002FA\r\n");
    EXPECT_EQ(result, 17);
    EXPECT_EQ(transactionId, 0x1234);
}

TEST(ModbusTcpToAscii, needsMoreThanTheHeaderAndRoomForTheText)
{
    const int32_t neededRoom = 2 * 6 + 6;
    struct Case
    {
        const char* name;
        Bytes frame;
        int32_t textSize;
        std::string text;
        uint16_t transactionId; // 0xBEEF = left alone
    };
    const std::vector<Case> cases = {
        {"headerOnly", Bytes(kReadFrame.begin(), kReadFrame.begin() + 6), 64, "", 0xBEEF},
        {"exactRoom", kReadFrame, neededRoom, ":010300000002FA\r\n", 0x1234},
        {"oneByteShort", kReadFrame, neededRoom - 1, "", 0x1234},
        {"oneDataByte", {0, 7, 0, 0, 0, 1, 0x00}, 64, ":0000\r\n", 0x0007},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint16_t transactionId = 0xBEEF;
        int32_t result = -1;
        EXPECT_EQ(toAscii(c.frame, transactionId, c.textSize, result), c.text);
        EXPECT_EQ(result, static_cast<int32_t>(c.text.size()));
        EXPECT_EQ(transactionId, c.transactionId);
    }
}

TEST(ModbusFrames, tcpToAsciiAndBackIsIdentity)
{
    const std::vector<Bytes> frames = {
        kReadFrame,
        {0xFF, 0xFE, 0x00, 0x00, 0x00, 0x03, 0xF7, 0x10, 0x80},
        {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00},
    };
    for (const auto& frame : frames) {
        uint16_t transactionId = 0;
        int32_t result = 0;
        const std::string text = toAscii(frame, transactionId, 128, result);
        std::array<uint8_t, 64> buffer{};
        ASSERT_EQ(convert_MODBUS_ASCII_to_TCP(text.c_str(), buffer.data(), transactionId),
                  static_cast<int32_t>(frame.size()))
            << text;
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(frame.size())), frame);
    }
}

} // namespace

// The C entry points: argument unpacking only. No exception may leave through them.
#include "archive_conversions.h"
#include "crc32.h"
#include "date_time.h"
#include "fl16.h"
#include "modbus_frames.h"
#include "vostrand_lib.h"

#include <cstring>

namespace {

using namespace vostrand::lib;

std::uint8_t lowByte(std::int32_t value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

template <typename Result, typename Body> Result guarded(Result onFailure, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

} // namespace

extern "C" {

uint32_t date_time_to_sec2000(int32_t year, int32_t month, int32_t day, int32_t hour,
                              int32_t minute, int32_t second)
{
    return dateTimeToSec2000(DateTime{lowByte(year), lowByte(month), lowByte(day), lowByte(hour),
                                      lowByte(minute), lowByte(second)});
}

uint8_t sec2000_to_date_time(uint32_t seconds, uint8_t* year, uint8_t* month, uint8_t* day,
                             uint8_t* hour, uint8_t* minute, uint8_t* second)
{
    const DateTime dateTime = sec2000ToDateTime(seconds);
    const auto store = [](uint8_t* field, uint8_t value) {
        if (field != nullptr) {
            *field = value;
        }
    };
    store(year, dateTime.year);
    store(month, dateTime.month);
    store(day, dateTime.day);
    store(hour, dateTime.hour);
    store(minute, dateTime.minute);
    store(second, dateTime.second);
    return dateTime.second;
}

uint8_t file_CRC32_correct(const char* path)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t { return fileCrcCorrect(path) ? 1 : 0; });
}

double fl16_to_float(int32_t value)
{
    return fl16ToDouble(static_cast<uint16_t>(value & 0xFFFF));
}

int32_t vsb2vsa(const char* source, const char* target, int32_t address)
{
    return guarded<int32_t>(0,
                            [&] { return convertArchiveFile(source, target, lowByte(address)); });
}

int32_t vsb2vsa_m(const char* folder, const char* target)
{
    return guarded<int32_t>(0, [&] { return convertArchiveFolder(folder, target); });
}

int32_t convert_MODBUS_ASCII_to_TCP(const char* frame, uint8_t* buffer, int32_t transaction_id)
{
    if (frame == nullptr) {
        return 0;
    }
    return modbusAsciiToTcp(frame, buffer, static_cast<uint16_t>(transaction_id & 0xFFFF));
}

int32_t convert_MODBUS_TCP_to_ASCII(const uint8_t* frame, int32_t count, uint16_t* transaction_id,
                                    char* text, int32_t text_size)
{
    const std::size_t frameSize =
        frame != nullptr && count > 0 ? static_cast<std::size_t>(count) : 0;
    const std::size_t textSize =
        text != nullptr && text_size > 0 ? static_cast<std::size_t>(text_size) : 0;
    return modbusTcpToAscii({frame, frameSize}, transaction_id, {text, textSize});
}

} // extern "C"

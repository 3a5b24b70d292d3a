// A helper library with only the frame conversion, to exercise missing-export reports.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t
convert_MODBUS_ASCII_to_TCP(const char*, std::uint8_t*, std::int32_t)
{
    return 0;
}

// Any text as a Modbus ASCII frame; the buffer is exactly as large as the caller must make it.
#include "vostrand_lib.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const int32_t transactionId = data[0] << 8 | data[1];
    const std::string frame(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t length = std::strlen(frame.c_str()); // the export stops at a zero byte
    std::vector<uint8_t> buffer(6 + (length > 5 ? (length - 5) / 2 : 0));
    if (buffer.size() < 4) {
        buffer.resize(4);
    }
    const int32_t result = convert_MODBUS_ASCII_to_TCP(frame.c_str(), buffer.data(), transactionId);
    if (result < 0 || static_cast<std::size_t>(result) > buffer.size()) {
        std::abort();
    }
    return 0;
}

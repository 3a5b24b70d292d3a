// Any bytes as a Modbus TCP frame, into a text buffer of exactly the room it needs (and one
// byte less); a converted frame must convert back to the same bytes.
#include "vostrand_lib.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void roundTrip(const uint8_t* data, int32_t count, const char* text, uint16_t transactionId)
{
    std::vector<uint8_t> back(static_cast<std::size_t>(count));
    if (convert_MODBUS_ASCII_to_TCP(text, back.data(), transactionId) != count ||
        std::memcmp(back.data(), data, 4) != 0 ||
        std::memcmp(back.data() + 6, data + 6, back.size() - 6) != 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096 || (size > 4 && (data[2] != 0 || data[3] != 0))) {
        return 0; // the protocol bytes do not survive the trip; keep the input meaningful
    }
    const auto count = static_cast<int32_t>(size);
    const int32_t room = count > 6 ? 2 * (count - 6) + 6 : 1;
    for (const int32_t textSize : {room, room - 1}) {
        std::vector<char> text(static_cast<std::size_t>(std::max(textSize, 1)));
        uint16_t transactionId = 0;
        const int32_t length = convert_MODBUS_TCP_to_ASCII(size == 0 ? nullptr : data, count,
                                                           &transactionId, text.data(), textSize);
        if (length < 0 || length >= std::max(textSize, 1)) {
            std::abort();
        }
        if (length > 0 && count > 6 && (count - 6) <= 0xFFFF) {
            roundTrip(data, count, text.data(), transactionId);
        }
    }
    return 0;
}

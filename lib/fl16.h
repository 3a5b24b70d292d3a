// The maker's 16-bit decimal float of channels and archive values.
#pragma once

#include <cstdint>

namespace vostrand::lib {

double fl16ToDouble(std::uint16_t value);

} // namespace vostrand::lib

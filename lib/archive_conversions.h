// The two archive exports: one binary file, or a container folder, into a text archive.
#pragma once

#include <cstdint>

namespace vostrand::lib {

bool convertArchiveFile(const char* source, const char* target, std::uint8_t address);
bool convertArchiveFolder(const char* folder, const char* target);

} // namespace vostrand::lib

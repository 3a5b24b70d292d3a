// Shared by the archive conversion tests: the text archive as lines, and common file shapes.
#pragma once

#include "archive_file_writer.h"

#include <string>
#include <vector>

namespace vostrand::testing {

inline const std::string kArchiveHeader =
    "[ARCFILE]\r\nversion=from vostrand loaded\r\nformat=ASCII-HEX\r\n";

// Splits at CR LF; a line end missing at the very end leaves a last line marked "<no CR LF>".
inline std::vector<std::string> archiveLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The key of each line ("time" for "time=...", the whole line for "[DATA]" or the data line).
inline std::vector<std::string> lineKeys(const std::vector<std::string>& lines)
{
    std::vector<std::string> keys;
    for (const auto& line : lines) {
        const auto equals = line.find('=');
        keys.push_back(equals == std::string::npos ? line : line.substr(0, equals));
    }
    return keys;
}

inline std::string hexOf(const std::vector<std::uint8_t>& bytes)
{
    static const char* const digits = "0123456789ABCDEF";
    std::string hex;
    for (const auto byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}

} // namespace vostrand::testing

#include "buffered_writer.h"

#include "hex.h"

#include <algorithm>
#include <cstring>

namespace vostrand::lib {

BufferedWriter::BufferedWriter(const char* path)
    : m_file(path != nullptr ? std::fopen(path, "wb") : nullptr)
{
    if (m_file) {
        std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
        m_capacity = kBufferSize;
        m_buffer = std::make_unique_for_overwrite<char[]>(m_capacity);
    }
}

BufferedWriter::~BufferedWriter()
{
    if (m_file) {
        flush();
    }
}

void BufferedWriter::flush()
{
    if (m_used > 0 && std::fwrite(m_buffer.get(), 1, m_used, m_file.get()) != m_used) {
        m_failed = true;
    }
    m_used = 0;
}

void BufferedWriter::write(std::string_view text)
{
    while (!text.empty()) {
        if (room() == 0) {
            flush();
        }
        const std::size_t count = std::min(room(), text.size());
        std::memcpy(m_buffer.get() + m_used, text.data(), count);
        m_used += count;
        text.remove_prefix(count);
    }
}

void BufferedWriter::write(std::span<const std::uint8_t> bytes)
{
    write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void BufferedWriter::writeLine(std::string_view text)
{
    write(text);
    writeLineEnd();
}

void BufferedWriter::writeHex(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        if (room() < 2) {
            flush();
        }
        const std::size_t count = std::min(room() / 2, bytes.size());
        char* out = m_buffer.get() + m_used;
        for (std::size_t index = 0; index < count; ++index, out += 2) {
            std::memcpy(out, kHexPairs[bytes[index]].data(), 2);
        }
        m_used += 2 * count;
        bytes = bytes.subspan(count);
    }
}

bool BufferedWriter::finish()
{
    if (!m_file) {
        return false;
    }
    flush();
    const bool closed = std::fclose(m_file.release()) == 0;
    return closed && !m_failed;
}

} // namespace vostrand::lib

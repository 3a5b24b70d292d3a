#include "buffered_reader.h"

#include <algorithm>
#include <cstring>

namespace vostrand::lib {

BufferedReader::BufferedReader(const char* path, std::size_t holdBack)
    : m_file(path != nullptr ? std::fopen(path, "rb") : nullptr)
    , m_holdBack(holdBack)
{
    if (m_file) {
        // Our own buffer is the only one: stdio would just copy every byte once more.
        std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
        m_capacity = std::max(kBufferSize, 2 * holdBack);
        m_buffer = std::make_unique_for_overwrite<std::uint8_t[]>(m_capacity);
    }
}

std::size_t BufferedReader::available() const
{
    const std::size_t buffered = m_end - m_begin;
    return buffered > m_holdBack ? buffered - m_holdBack : 0;
}

void BufferedReader::refill()
{
    const std::size_t kept = m_end - m_begin;
    std::memmove(m_buffer.get(), m_buffer.get() + m_begin, kept);
    m_begin = 0;
    m_end = kept;
    const std::size_t got = std::fread(m_buffer.get() + m_end, 1, m_capacity - m_end, m_file.get());
    m_end += got;
    if (got == 0) {
        m_atEnd = true;
        m_failed = std::ferror(m_file.get()) != 0;
    }
}

std::span<const std::uint8_t> BufferedReader::peek()
{
    while (m_file && !m_atEnd && available() == 0) {
        refill();
    }
    return {m_buffer.get() + m_begin, available()};
}

void BufferedReader::consume(std::size_t count)
{
    m_begin += std::min(count, available());
}

bool BufferedReader::read(std::span<std::uint8_t> out)
{
    while (!out.empty()) {
        const auto chunk = peek();
        if (chunk.empty()) {
            return false;
        }
        const std::size_t taken = std::min(chunk.size(), out.size());
        std::memcpy(out.data(), chunk.data(), taken);
        consume(taken);
        out = out.subspan(taken);
    }
    return true;
}

bool BufferedReader::skip(std::size_t count)
{
    while (count > 0) {
        const auto chunk = peek();
        if (chunk.empty()) {
            return false;
        }
        const std::size_t taken = std::min(chunk.size(), count);
        consume(taken);
        count -= taken;
    }
    return true;
}

} // namespace vostrand::lib

// Reads a file through one fixed buffer, optionally never handing out its last few bytes (the
// archive's check value), so that no caller has to know the file size in advance.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

namespace vostrand::lib {

class BufferedReader
{
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    explicit BufferedReader(const char* path, std::size_t holdBack = 0);

    bool isOpen() const { return m_file != nullptr; }
    // A read error ends the stream early; this tells it from a normal end.
    bool failed() const { return m_failed; }

    // The bytes that can be taken now; empty only at the end of the stream.
    std::span<const std::uint8_t> peek();
    void consume(std::size_t count);

    // Exactly out.size() bytes, or false at the end of the stream.
    bool read(std::span<std::uint8_t> out);
    bool skip(std::size_t count);

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::size_t available() const;
    void refill();

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::unique_ptr<std::uint8_t[]> m_buffer; // left uninitialised: it is always read into first
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::size_t m_holdBack = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};

} // namespace vostrand::lib

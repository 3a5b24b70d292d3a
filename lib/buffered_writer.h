// Writes a file through one large buffer; hex output is encoded straight into that buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>

namespace vostrand::lib {

class BufferedWriter
{
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    // Creates or truncates the file at `path`.
    explicit BufferedWriter(const char* path);
    ~BufferedWriter();

    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }

    void write(std::string_view text);
    void write(std::span<const std::uint8_t> bytes);
    void writeLine(std::string_view text);
    void writeLineEnd() { write(std::string_view("\r\n")); }
    // Two upper-case hex digits per byte.
    void writeHex(std::span<const std::uint8_t> bytes);

    // Flushes and closes; false when any write failed (a full disk must not pass as success).
    bool finish();

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void flush();
    std::size_t room() const { return m_capacity - m_used; }

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    bool m_failed = false;
};

} // namespace vostrand::lib

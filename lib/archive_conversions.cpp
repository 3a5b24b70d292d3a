#include "archive_conversions.h"

#include "archive_converter.h"
#include "buffered_reader.h"
#include "buffered_writer.h"
#include "crc32.h"
#include "hex.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace vostrand::lib {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxIgnoredSize = 20; // too short to hold any record
constexpr std::uint8_t kDefaultAddress = 0x01;
constexpr const char* kDeviceInfoName = "dev_info.vsi";

void writeArchiveHeader(BufferedWriter& target)
{
    target.writeLine("[ARCFILE]");
    target.writeLine("version=from vostrand loaded");
    target.writeLine("format=ASCII-HEX");
}

void writeDeviceSection(BufferedWriter& target, std::uint8_t address)
{
    target.writeLine("[DEVICE]");
    target.writeLine("adress=" + hexNumber(address, 2));
}

bool hasArchiveExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char letter) {
        return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    });
    return extension == ".vsb"; // the listing pattern matches without regard to case
}

bool isRegularFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// Name order: the listing order of a folder is not the same from one system to the next.
// Empty when the folder cannot be listed: a missing folder is a failure, not "nothing to do".
std::optional<std::vector<fs::path>> archiveFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (hasArchiveExtension(entry->path()) && isRegularFile(entry->path())) {
            files.push_back(entry->path());
        }
    }
    if (error) {
        return std::nullopt;
    }
    std::sort(files.begin(), files.end(), [](const fs::path& left, const fs::path& right) {
        return left.filename().native() < right.filename().native();
    });
    return files;
}

// The reader hardware writes the [DEVICE] section itself; it is copied without a look inside.
bool copyDeviceInfo(const fs::path& folder, BufferedWriter& target)
{
    const fs::path path = folder / kDeviceInfoName;
    if (!isRegularFile(path)) {
        return false;
    }
    BufferedReader reader(path.string().c_str());
    if (!reader.isOpen()) {
        return false;
    }
    for (auto chunk = reader.peek(); !chunk.empty(); chunk = reader.peek()) {
        target.write(chunk);
        reader.consume(chunk.size());
    }
    target.writeLineEnd();
    return true;
}

bool isIgnoredAsTooShort(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return !error && size <= kMaxIgnoredSize;
}

bool convertInto(const char* source, BufferedWriter& target, std::uint32_t number)
{
    if (!fileCrcCorrect(source)) {
        return false;
    }
    BufferedReader reader(source, ArchiveConverter::kCheckValueSize);
    if (!reader.isOpen()) {
        return false;
    }
    ArchiveConverter(reader, target).writeSection(number);
    return true;
}

} // namespace

bool convertArchiveFile(const char* source, const char* target, std::uint8_t address)
{
    // Checked before the target is touched, so a rejected file leaves it as it was.
    if (source == nullptr || target == nullptr || !fileCrcCorrect(source)) {
        return false;
    }
    BufferedReader reader(source, ArchiveConverter::kCheckValueSize);
    if (!reader.isOpen()) {
        return false;
    }
    BufferedWriter writer(target);
    if (!writer.isOpen()) {
        return false;
    }
    writeArchiveHeader(writer);
    writeDeviceSection(writer, address);
    ArchiveConverter(reader, writer).writeSection(1);
    return writer.finish();
}

bool convertArchiveFolder(const char* folder, const char* target)
{
    if (target == nullptr) {
        return false;
    }
    BufferedWriter writer(target);
    if (!writer.isOpen()) {
        return false;
    }
    const std::string folderText = folder != nullptr ? folder : "";
    writeArchiveHeader(writer);
    if (folderText.empty() || !copyDeviceInfo(folderText, writer)) {
        writeDeviceSection(writer, kDefaultAddress);
    }
    const auto files = folderText.empty() ? std::vector<fs::path>{} : archiveFiles(folderText);
    bool allConverted = files.has_value();
    std::uint32_t number = 1;
    for (const fs::path& file : files.value_or(std::vector<fs::path>{})) {
        // Short files are ignored whatever their check value says: the reader leaves such
        // stubs behind and they hold nothing to convert.
        if (isIgnoredAsTooShort(file)) {
            continue;
        }
        if (convertInto(file.string().c_str(), writer, number)) {
            ++number;
        } else {
            allConverted = false;
        }
    }
    return writer.finish() && allConverted;
}

} // namespace vostrand::lib

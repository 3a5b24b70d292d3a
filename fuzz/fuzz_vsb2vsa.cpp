// Any byte string as a binary archive: once as it is (almost always rejected by the check
// value), once with a correct check value appended so that the block parser is reached, and
// once more as the only archive of a container folder.
#include "archive_file_writer.h"
#include "temp_folder.h"
#include "vostrand_lib.h"

#include <cstdlib>
#include <string_view>

namespace {

using vostrand::testing::ArchiveFileWriter;
using vostrand::testing::TempFolder;
using vostrand::testing::writeFileBytes;

std::string_view asText(const ArchiveFileWriter::Bytes& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TempFolder folder;
    static const TempFolder output;
    const auto source = folder / "input.vsb";
    const auto target = output / "output.vsa";

    writeFileBytes(source, {reinterpret_cast<const char*>(data), size});
    vsb2vsa(source.c_str(), target.c_str(), 1);

    ArchiveFileWriter archive;
    archive.raw({data, size});
    writeFileBytes(source, asText(archive.bytes()));
    // With a correct check value nothing in the content may make the conversion fail.
    if (vsb2vsa(source.c_str(), target.c_str(), static_cast<int32_t>(size)) != 1 ||
        vsb2vsa_m(folder.path().c_str(), target.c_str()) != 1) {
        std::abort();
    }
    return 0;
}

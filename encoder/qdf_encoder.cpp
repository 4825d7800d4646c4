#include "qdf_encoder.h"

#include "loader_config.h"
#include "qdf_writer.h"
#include "safe_write/safe_write.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace bv3::qdf {

namespace {

std::string reasonFromErrno() {
    return errno != 0 ? std::strerror(errno) : "unknown reason";
}

std::vector<std::uint8_t> readWholeFile(const std::string& path, const std::string& role) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EncoderError("cannot open " + role + " \"" + path + "\": " + reasonFromErrno());
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw EncoderError("cannot read " + role + " \"" + path + "\": " + reasonFromErrno());
    }
    return bytes;
}

// Writes beside the target and renames, so that a reader never sees half an image and a
// failure leaves an older image of that name untouched.
void writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    try {
        safewrite::writeFileSafely(path, bytes);
    } catch (const safewrite::SafeWriteError& failure) {
        throw EncoderError("cannot write the download image \"" + path + "\": " + failure.reason());
    }
}

}  // namespace

void encodeQdfFile(const std::string& configPath, const std::string& outputPath) {
    const auto configBytes = readWholeFile(configPath, "the loader configuration");
    const std::string_view configText(reinterpret_cast<const char*>(configBytes.data()), configBytes.size());
    const LoaderConfig config = parseLoaderConfig(configText, configPath);

    std::vector<BlockInput> blocks;
    blocks.reserve(config.data.size());
    for (const auto& entry : config.data) {
        blocks.push_back(BlockInput{.address = entry.address,
                                    .type = entry.type,
                                    .encoding = entry.compression ? BlockEncoding::lzh : BlockEncoding::stored,
                                    .data = readWholeFile(entry.file, "the image file")});
    }
    writeWholeFile(outputPath, writeQdfImage(config.header, blocks));
}

}  // namespace bv3::qdf

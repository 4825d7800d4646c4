#include "qdf_encoder.h"

#include "loader_config.h"
#include "qdf_writer.h"

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
    const std::string partial = path + ".part";
    errno = 0;
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            out.close();
        }
        if (!out) {
            const std::string reason = reasonFromErrno();
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw EncoderError("cannot write the download image \"" + path + "\": " + reason);
        }
    }
    std::error_code renameError;
    std::filesystem::rename(partial, path, renameError);
    if (renameError) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw EncoderError("cannot write the download image \"" + path + "\": " + renameError.message());
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

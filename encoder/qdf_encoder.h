#pragma once
// The work behind EncodeQDF: read the loader configuration, read every file it names, and
// write the download image.

#include <stdexcept>
#include <string>

namespace bv3::qdf {

// A file named by the configuration, or the output, cannot be read or written. The message
// names the file and the reason.
class EncoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads configPath, then each [Data file (relative names against the current directory), and
// writes the image to outputPath. The output appears complete or not at all: it is written
// beside the target and renamed into place. Throws LoaderConfigError, EncoderError or
// std::invalid_argument (an image the format cannot carry); nothing is left behind then.
void encodeQdfFile(const std::string& configPath, const std::string& outputPath);

}  // namespace bv3::qdf

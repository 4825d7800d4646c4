#include "channeldb/uploaded_image.h"

#include "channeldb/conversion_error.h"
#include "channeldb/layout.h"

#include <algorithm>
#include <string>

namespace bv3::channeldb {

namespace {

const LayoutParameters& checkedLayout(std::span<const std::uint8_t> configImage,
                                      std::span<const std::uint8_t> serviceImage, std::uint8_t modelCode) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("model code " + std::to_string(modelCode) +
                              " is not a receiver model this system knows (0 to 5)");
    }
    const LayoutParameters& layout = layoutFor(modelCode);
    if (configImage.size() != configAreaSize || serviceImage.size() != layout.serviceAreaSize) {
        throw ConversionError("the configuration image must hold " + std::to_string(configAreaSize) +
                              " bytes and the service image " + std::to_string(layout.serviceAreaSize) + " for model " +
                              std::to_string(modelCode));
    }
    return layout;
}

}  // namespace

std::vector<std::uint8_t> composeUploadedImage(std::span<const std::uint8_t> configImage,
                                               std::span<const std::uint8_t> serviceImage, std::uint8_t modelCode) {
    const LayoutParameters& layout = checkedLayout(configImage, serviceImage, modelCode);
    // The upload stores every received byte complemented; erased memory (0xFF) becomes 0x00.
    std::vector<std::uint8_t> file(uploadedImageSize, 0x00);
    auto complement = [](std::uint8_t b) { return static_cast<std::uint8_t>(~b); };
    std::transform(configImage.begin(), configImage.end(), file.begin(), complement);
    std::transform(serviceImage.begin(), serviceImage.end(), file.begin() + layout.uploadedServiceOffset, complement);
    return file;
}

void applyImagesToMemory(std::span<std::uint8_t> memory, std::span<const std::uint8_t> configImage,
                         std::span<const std::uint8_t> serviceImage, std::uint8_t modelCode) {
    const LayoutParameters& layout = checkedLayout(configImage, serviceImage, modelCode);
    if (memory.size() != uploadedImageSize) {
        throw ConversionError("receiver memory must hold " + std::to_string(uploadedImageSize) + " bytes");
    }
    std::copy(configImage.begin(), configImage.end(), memory.begin());
    std::copy(serviceImage.begin(), serviceImage.end(), memory.begin() + layout.uploadedServiceOffset);
}

}  // namespace bv3::channeldb

// The integrity checks on any uploaded file. Input: byte 0 the model code (mod 6), byte 1 the
// configuration variant, byte 2 the mode. Mode even: the rest is the file itself (short
// files, garbage). Mode odd: the rest is a list of 4-byte patches (3-byte offset, value)
// applied to the upload of a small but complete receiver, so the fuzzer reaches counts,
// pointers and references that mean something.
#include "channeldb/image_check.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

using namespace bv3::channeldb;

namespace {

std::vector<std::uint8_t> receiverImage(std::uint8_t model) {
    auto db = std::make_unique<ChannelDatabase>();
    db->tsCount = 3;
    db->networkCount = 2;
    db->providerCount = 2;
    db->transportStreams[2].networkIndex = 1;
    for (std::uint16_t i = 0; i < 6; ++i) {
        ServiceRecord& s = db->services[i];
        s.serviceKind = i < 4 ? 0 : 1;
        s.svcName = "Service " + std::to_string(i);
        s.channelNumber = i % 2 == 0 ? static_cast<std::uint16_t>(i + 1) : 0;
        s.tsIndex = i % 3;
        s.providerIndex = i % 2;
    }
    db->videoCount = 4;
    db->audioCount = 2;
    db->favCount[1][0] = 1;
    return composeUploadedImage(buildConfigImage(*db, 3, model), buildServiceImage(*db, model), model);
}

const std::vector<std::uint8_t>& baseImage(std::uint8_t model) {
    static std::array<std::vector<std::uint8_t>, 6> images;
    if (images[model].empty()) {
        images[model] = receiverImage(model);
    }
    return images[model];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const auto model = static_cast<std::uint8_t>(data[0] % 6);
    const std::uint8_t variant = data[1];
    const std::span<const std::uint8_t> rest(data + 3, size - 3);
    std::vector<std::uint8_t> file;
    const bool patched = data[2] % 2 != 0;
    if (patched) {
        file = baseImage(model);
        for (std::size_t i = 0; i + 4 <= rest.size(); i += 4) {
            const std::size_t at = (std::size_t{rest[i]} << 16 | std::size_t{rest[i + 1]} << 8 | rest[i + 2]);
            file[at % file.size()] = rest[i + 3];
        }
    } else {
        file.assign(rest.begin(), rest.end());
    }
    const CheckReport report = checkUploadedImage(file, variant, model);
    // Every finding names a place inside an upload, or a record of the list made of it; an
    // untouched receiver passes.
    for (const Finding& finding : report.findings) {
        const bool inUpload = finding.offset && *finding.offset <= uploadedImageSize;
        if (!inUpload && !(finding.place.table && !finding.offset)) {
            std::abort();
        }
    }
    if (patched && rest.size() < 4 && variant == 3 && !report.passed()) {
        std::abort();
    }
    return 0;
}

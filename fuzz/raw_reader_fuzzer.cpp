// The raw image reader on any uploaded file, then the rest of RawToQnf and the way back.
// Input: byte 0 the model code (mod 6), byte 1 the configuration variant, byte 2 the mode.
// Mode even: the rest is the file itself (short files, garbage). Mode odd: the rest is a list
// of 4-byte patches (3-byte offset, value) applied to the image of a small but complete
// receiver, so the fuzzer reaches pointers, counts and lists that mean something.
//
// Kept cheap per input, so that a campaign gets deep: nearly all of an input's time went into
// allocating and zeroing two fresh databases and a fresh image (page faults), so the databases
// and the file buffer are reused, the databases reset from an empty one.
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <sstream>
#include <vector>

using namespace bv3::channeldb;

namespace {

std::vector<std::uint8_t> receiverImage(std::uint8_t model) {
    ChannelDatabase db;
    db.tsCount = 3;
    db.networkCount = 2;
    db.providerCount = 2;
    db.providers[1].provName = "PDM";
    db.networks[0].netName = "Net";
    db.transportStreams[2].networkIndex = 1;
    for (std::uint16_t i = 0; i < 6; ++i) {
        ServiceRecord& s = db.services[i];
        s.serviceKind = i < 4 ? 0 : 1;
        s.svcName = "Service " + std::to_string(i);
        s.channelNumber = i % 2 == 0 ? static_cast<std::uint16_t>(i + 1) : 0;
        s.tsIndex = i % 3;
        s.providerIndex = i % 2;
    }
    db.videoCount = 4;
    db.audioCount = 2;
    db.favCount[0][0] = 2;
    db.favEntry[0][0][1] = 7;
    return composeUploadedImage(buildConfigImage(db, 3, model), buildServiceImage(db, model), model);
}

const std::vector<std::uint8_t>& baseImage(std::uint8_t model) {
    static std::array<std::vector<std::uint8_t>, 6> images;
    if (images[model].empty()) {
        images[model] = receiverImage(model);
    }
    return images[model];
}

// An empty database to reset the reused ones from.
const ChannelDatabase& emptyDatabase() {
    static const auto empty = std::make_unique<const ChannelDatabase>();
    return *empty;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const auto model = static_cast<std::uint8_t>(data[0] % 6);
    const std::uint8_t variant = data[1];
    const std::span<const std::uint8_t> rest(data + 3, size - 3);
    static std::vector<std::uint8_t> file;
    if (data[2] % 2 == 0) {
        file.assign(rest.begin(), rest.end());
    } else {
        file = baseImage(model);
        for (std::size_t i = 0; i + 4 <= rest.size(); i += 4) {
            const std::size_t at = (std::size_t{rest[i]} << 16 | std::size_t{rest[i + 1]} << 8 | rest[i + 2]);
            file[at % file.size()] = rest[i + 3];
        }
    }
    static const auto db = std::make_unique<ChannelDatabase>();
    static const auto back = std::make_unique<ChannelDatabase>();
    *db = emptyDatabase();
    *back = emptyDatabase();
    readRawImage(file, variant, model, *db);
    const std::string text = formatQnf(*db);
    std::istringstream in(text);
    try {
        // Names holding CR, TAB or a tag make text the reader takes differently; that may be
        // refused, but never read or written outside the tables.
        readQnf(in, *back, "fuzz.qnf");
        (void)buildConfigImage(*back, variant, model);
        (void)buildServiceImage(*back, model);
    } catch (const ConversionError&) {
    }
    return 0;
}

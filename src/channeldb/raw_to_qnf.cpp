#include "channeldb/raw_to_qnf.h"

#include "channeldb/channel_database.h"
#include "channeldb/conversion_error.h"
#include "channeldb/file_input.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_names.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "safe_write/safe_write.h"

#include <memory>

namespace bv3::channeldb {

std::vector<Finding> rawToQnf(const std::string& rawPath, const std::string& qnfPath, std::uint8_t configVariant,
              std::uint8_t modelCode) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("cannot convert '" + rawPath + "': model code " + std::to_string(modelCode) +
                                  " is not a receiver model this system knows (0 to 5)",
                              rawPath);
    }
    safewrite::refuseOutputThatIsInput(rawPath, qnfPath);
    // Nothing past the service area is ever read, so a huge file is not loaded whole.
    const std::size_t needed = layoutFor(modelCode).uploadedServiceOffset + maxServiceAreaSize;
    const std::string file = readFileBytes(rawPath, needed);
    const auto db = std::make_unique<ChannelDatabase>();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    readRawImage(bytes, configVariant, modelCode, *db);
    writeQnfFile(qnfPath, *db);
    return qnfNameRepairs(*db);
}

}  // namespace bv3::channeldb

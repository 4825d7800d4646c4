#include "bv3/channel_list_input.h"

#include "bv3/command_registry.h"
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/raw_writer.h"

namespace bv3::cli {

std::unique_ptr<channeldb::ChannelDatabase> readChannelList(const std::string& qnfPath, bool allowEmpty) {
    auto db = std::make_unique<channeldb::ChannelDatabase>();
    try {
        channeldb::readQnfFile(qnfPath, *db);
    } catch (const channeldb::CorruptQnfHeader& corrupt) {
        throw CommandFailure(qnfPath + ": " + corrupt.what() + " (" + corrupt.detail() + ")");
    }
    if (db->serviceCount() == 0 && !allowEmpty) {
        throw CommandFailure(qnfPath + ": the list holds no services; its images would empty the receiver "
                                       "(--allow-empty builds them all the same)");
    }
    return db;
}

ReceiverImages layOutChannelList(const channeldb::ChannelDatabase& db, const std::string& qnfPath,
                                 std::uint8_t configVariant, std::uint8_t modelCode) {
    try {
        return {channeldb::buildConfigImage(db, configVariant, modelCode), channeldb::buildServiceImage(db, modelCode)};
    } catch (const channeldb::ConversionError& refused) {
        throw CommandFailure(qnfPath + ": " + refused.what());
    }
}

}  // namespace bv3::cli

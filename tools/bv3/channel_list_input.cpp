#include "bv3/channel_list_input.h"

#include "bv3/command_registry.h"
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"

namespace bv3::cli {

std::unique_ptr<channeldb::ChannelDatabase> readChannelList(const std::string& qnfPath) {
    auto db = std::make_unique<channeldb::ChannelDatabase>();
    try {
        channeldb::readQnfFile(qnfPath, *db);
    } catch (const channeldb::CorruptQnfHeader& corrupt) {
        throw CommandFailure(qnfPath + ": " + corrupt.what());
    }
    return db;
}

}  // namespace bv3::cli

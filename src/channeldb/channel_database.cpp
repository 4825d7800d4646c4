#include "channeldb/channel_database.h"

namespace bv3::channeldb {

std::string clipName(std::string_view text) {
    return std::string(text.substr(0, nameCapacity));
}

ChannelDatabase::ChannelDatabase()
    : services(serviceCapacity), transportStreams(tsCapacity), networks(networkCapacity), providers(providerCapacity) {}

}  // namespace bv3::channeldb

#pragma once
// A receiver filled to every capacity (4000 services, 1000 TS, 500 networks, 500 providers,
// every favourite list full): the load the channel database benchmarks measure.

#include "channeldb/channel_database.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bv3::bench {

inline std::unique_ptr<channeldb::ChannelDatabase> fullDatabase() {
    auto db = std::make_unique<channeldb::ChannelDatabase>();
    db->tsCount = channeldb::tsCapacity;
    db->networkCount = channeldb::networkCapacity;
    db->providerCount = channeldb::providerCapacity;
    for (std::size_t i = 0; i < channeldb::networkCapacity; ++i) {
        db->networks[i].netName = "Network " + std::to_string(i);
        db->providers[i].provName = "Provider " + std::to_string(i);
    }
    for (std::size_t i = 0; i < channeldb::tsCapacity; ++i) {
        channeldb::TsRecord& t = db->transportStreams[i];
        t.tsWordA = static_cast<std::uint16_t>(i);
        t.networkIndex = static_cast<std::uint32_t>(i % channeldb::networkCapacity);
        t.tsLongA = 10700 + static_cast<std::uint32_t>(i);
        t.tsLongB = 27500;
    }
    for (std::size_t i = 0; i < channeldb::serviceCapacity; ++i) {
        channeldb::ServiceRecord& s = db->services[i];
        s.serviceKind = i < channeldb::serviceCapacity / 2 ? 0 : 1;
        s.svcWordA = static_cast<std::uint16_t>(10000 + i);
        s.svcWordB = static_cast<std::uint16_t>(100 + i);
        s.svcFlag0 = 1;
        s.tsIndex = static_cast<std::uint32_t>(i % channeldb::tsCapacity);
        s.providerIndex = static_cast<std::uint32_t>(i % channeldb::providerCapacity);
        s.channelNumber = static_cast<std::uint16_t>(i + 1);
        s.svcName = "Service number " + std::to_string(i);
    }
    db->videoCount = channeldb::serviceCapacity / 2;
    db->audioCount = channeldb::serviceCapacity / 2;
    for (auto& group : db->favEntry) {
        for (auto& list : group) {
            for (std::size_t e = 0; e < list.size(); ++e) {
                list[e] = static_cast<std::uint16_t>(e * 7);
            }
        }
    }
    for (auto& group : db->favCount) {
        group.fill(channeldb::favouriteEntryCapacity);
    }
    return db;
}

}  // namespace bv3::bench

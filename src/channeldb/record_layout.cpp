#include "channeldb/record_layout.h"

#include "channeldb/channel_database.h"

namespace bv3::channeldb {

namespace {

// Block B at 48, with the extras, a 92-byte header checksum, every menu value as it is.
constexpr ConfigLayout variant3{48, true, 92, false, false, true};

constexpr ConfigLayout variant0{48, true, 92, true, true, true};
constexpr ConfigLayout variant1{48, true, 92, false, true, false};
constexpr ConfigLayout variant2{48, false, 80, false, false, true};
constexpr ConfigLayout variant4{60, true, 104, false, false, true};
constexpr ConfigLayout variant5{48, false, 80, true, true, true};

// The header checksum covers the menu values up to block C, and no byte past the area's start
// that the menu does not own.
static_assert(variant3.blockC() + 8 == menublock::headerChecksumFrom + variant3.headerChecksumLength);
static_assert(variant4.blockC() + 8 == menublock::headerChecksumFrom + variant4.headerChecksumLength);

static_assert(providerListBytes == 4 + 4 * providerCapacity && networkListBytes == 4 + 4 * networkCapacity &&
              tsListBytes == 4 + 4 * tsCapacity);

}  // namespace

const ConfigLayout& configLayoutFor(std::uint8_t configVariant) {
    switch (configVariant) {
        case 0:
            return variant0;
        case 1:
            return variant1;
        case 2:
            return variant2;
        case 4:
            return variant4;
        case 5:
            return variant5;
        default:
            return variant3;
    }
}

std::array<IndexChecksum, 7> indexChecksumsOf(const LayoutParameters& l) {
    return {{
        {"allocation block", 20, l.allocationBlockSize},
        {"bank table", l.bankTableOffset, l.bankTableLength},
        {"service lists", l.videoListOffset, 2 * std::size_t{l.listSize()}},
        {"provider list", l.providerListOffset, providerListBytes},
        {"network list", l.networkListOffset, networkListBytes},
        {"TS list", l.tsListOffset, tsListBytes},
        {"favourite lists", l.favouriteListsOffset, std::size_t{favouriteListBytes} * 2 * l.favouriteListCount},
    }};
}

}  // namespace bv3::channeldb

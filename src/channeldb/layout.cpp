#include "channeldb/layout.h"

namespace bv3::channeldb {

namespace {

// Index-region offsets follow from the sizes: the checksum words and six zero bytes, the
// allocation block, the bank table, both service lists, the provider, network and TS lists
// and the favourite lists, in that order.
constexpr LayoutParameters makeLayout(std::uint32_t serviceBase, std::uint32_t banks, std::uint32_t recordSize,
                                      std::uint32_t perBank, std::uint32_t nameLength, std::uint32_t listSlots,
                                      std::uint32_t favouriteLists, std::uint32_t antennaBlock, std::uint32_t tsRegion,
                                      std::uint32_t indexRegion, std::uint32_t allocationSize, std::uint32_t stride,
                                      std::array<std::uint8_t, 10> bankTable, std::uint32_t bankTableLength) {
    LayoutParameters p{};
    p.serviceBase = serviceBase;
    p.serviceBanks = banks;
    p.serviceRecordSize = recordSize;
    p.recordsPerBank = perBank;
    p.serviceNameLength = nameLength;
    p.listSlots = listSlots;
    p.favouriteListCount = favouriteLists;
    p.antennaBlockOffset = antennaBlock;
    p.tsRegionOffset = tsRegion;
    p.indexRegionOffset = indexRegion;
    p.allocationBlockSize = allocationSize;
    p.bankTableLength = bankTableLength;
    p.serviceAreaSize = indexRegion + 0x20000;
    p.uploadedServiceOffset = 0x2000 + (serviceBase - 0xB30A0000u);
    p.allocationStride = stride;
    p.bankTableOffset = 20 + allocationSize;
    p.videoListOffset = p.bankTableOffset + (bankTableLength == 10 ? 10 : 8);
    p.audioListOffset = p.videoListOffset + p.listSize();
    p.providerListOffset = p.audioListOffset + p.listSize();
    p.networkListOffset = p.providerListOffset + providerListBytes;
    p.tsListOffset = p.networkListOffset + networkListBytes;
    p.favouriteListsOffset = p.tsListOffset + tsListBytes;
    p.bankTable = bankTable;
    return p;
}

constexpr std::array<std::uint8_t, 10> twoBankTable{2, 0, 2, 1, 3, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 10> model2BankTable{2, 0, 2, 1, 3, 0, 4, 0, 0, 0};
constexpr std::array<std::uint8_t, 10> threeBankTable{2, 0, 2, 1, 2, 2, 3, 0, 4, 0};

constexpr LayoutParameters model0 =
    makeLayout(0xB30B0000, 2, 48, 1365, 20, 2000, 1, 2412, 0x20000, 0x30000, 1192, 342, twoBankTable, 8);
constexpr LayoutParameters model1 =
    makeLayout(0xB30A0000, 3, 48, 1365, 20, 4000, 4, 2092, 0x30000, 0x40000, 1536, 342, threeBankTable, 10);
constexpr LayoutParameters model2 =
    makeLayout(0xB30B0000, 2, 60, 1092, 30, 2000, 1, 2832, 0x20000, 0x30000, 1056, 274, model2BankTable, 8);
constexpr LayoutParameters model4 =
    makeLayout(0xB30A0000, 3, 48, 1365, 20, 2000, 4, 2092, 0x30000, 0x40000, 1536, 342, threeBankTable, 10);

// The table the format documents, checked here so a typo cannot slip into a layout.
static_assert(model0.videoListOffset == 1220 && model0.favouriteListsOffset == 25240);
static_assert(model2.bankTableOffset == 1076 && model2.favouriteListsOffset == 25104);
static_assert(model4.videoListOffset == 1566 && model4.favouriteListsOffset == 25586);
static_assert(model1.audioListOffset == 17570 && model1.favouriteListsOffset == 41586);
static_assert(model1.favouriteListsOffset + 2 * 4 * favouriteListBytes == 0xA8D2);
static_assert(model0.uploadedServiceOffset == 0x12000 && model1.uploadedServiceOffset == 0x2000);
static_assert(model0.serviceAreaSize == 0x50000 && model1.serviceAreaSize == 0x60000);

constexpr ModelRules plainRules{0, false, false, false, false};
constexpr ModelRules fourBitRules{0, false, false, true, false};
constexpr ModelRules pdmRules{999, false, false, false, true};
constexpr ModelRules numberedRules{100, true, true, false, false};
constexpr ModelRules numberedFourBitRules{100, true, true, true, false};

}  // namespace

const ModelRules& modelRulesFor(std::uint8_t modelCode) {
    switch (modelCode) {
        case 0:
        case 2:
            return plainRules;
        case 3:
            return pdmRules;
        case 4:
            return numberedFourBitRules;
        case 5:
            return numberedRules;
        default:
            return fourBitRules;
    }
}

const LayoutParameters& layoutFor(std::uint8_t modelCode) {
    switch (modelCode) {
        case 0:
        case 3:
        case 5:
            return model0;
        case 2:
            return model2;
        case 4:
            return model4;
        default:
            return model1;
    }
}

}  // namespace bv3::channeldb

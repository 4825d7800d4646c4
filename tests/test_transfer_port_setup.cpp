// The host's port and rate indexes, and the rates bv3 accepts in bit/s: one table behind both.
#include "transfer/port_setup.h"

#include <gtest/gtest.h>

#include <optional>

namespace bv3::transfer {
namespace {

using serial::TBaudrate;

struct RateCase {
    std::uint8_t index;
    std::uint32_t bitsPerSecond;
    TBaudrate rate;
};

TEST(PortSetup, EachRateIndexAndItsBitsPerSecondNameTheSameRate) {
    const RateCase cases[] = {
        {0, 115200, TBaudrate::br115200}, {1, 57600, TBaudrate::br57600}, {2, 38400, TBaudrate::br38400},
        {3, 19200, TBaudrate::br19200},   {4, 9600, TBaudrate::br9600},
    };
    for (const RateCase& c : cases) {
        EXPECT_EQ(baudRateForIndex(c.index), c.rate) << "index " << int(c.index);
        EXPECT_EQ(baudRateForBits(c.bitsPerSecond), c.rate) << c.bitsPerSecond << " bit/s";
    }
}

TEST(PortSetup, UnknownIndexesAndRatesLeaveTheDefault) {
    for (const std::uint8_t index : {5, 6, 255}) {
        EXPECT_EQ(baudRateForIndex(index), std::nullopt) << int(index);
    }
    // Rates the component knows but the transfers do not offer, and no rate at all.
    for (const std::uint32_t bits : {0u, 14400u, 56000u, 128000u, 115201u}) {
        EXPECT_EQ(baudRateForBits(bits), std::nullopt) << bits;
    }
    EXPECT_EQ(deviceNameForIndex(3), "Com4");
    EXPECT_EQ(deviceNameForIndex(4), std::nullopt);
}

}  // namespace
}  // namespace bv3::transfer

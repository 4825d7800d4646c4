#include "transfer/port_setup.h"

#include <array>

namespace bv3::transfer {

using serial::TBaudrate;

namespace {

// The rates a transfer offers, in the order of the host's rate index: one table for both the
// index and the bit/s lookups, so the two never disagree.
struct TransferRate {
    std::uint32_t bitsPerSecond;
    TBaudrate rate;
};

constexpr std::array<TransferRate, 5> transferRates{{
    {115200, TBaudrate::br115200},
    {57600, TBaudrate::br57600},
    {38400, TBaudrate::br38400},
    {19200, TBaudrate::br19200},
    {9600, TBaudrate::br9600},
}};

}  // namespace

std::optional<std::string> deviceNameForIndex(std::uint8_t portIndex) {
    if (portIndex > 3) {
        return std::nullopt;
    }
    return "Com" + std::to_string(portIndex + 1);
}

std::string portOpenFailureText(const std::string& deviceName, const std::string& message) {
    return deviceName + ": " + message;
}

std::optional<TBaudrate> baudRateForIndex(std::uint8_t baudIndex) {
    if (baudIndex >= transferRates.size()) {
        return std::nullopt;
    }
    return transferRates[baudIndex].rate;
}

void applyPortIndexes(serial::TComm& comm, std::uint8_t portIndex, std::uint8_t baudIndex) {
    if (const auto name = deviceNameForIndex(portIndex)) {
        comm.SetDeviceName(*name);
    }
    if (const auto rate = baudRateForIndex(baudIndex)) {
        comm.SetBaudRate(*rate);
    }
}

void configureTransferPort(serial::TComm& comm) {
    comm.SetDeviceName("Com2");
    comm.SetMonitorEvents(serial::TCommEventTypes::All());
    comm.SetOptions({});
    comm.SetFlowControl(serial::TFlowControl::fcNone);
}

std::optional<TBaudrate> baudRateForBits(std::uint32_t bitsPerSecond) {
    for (const TransferRate& known : transferRates) {
        if (known.bitsPerSecond == bitsPerSecond) {
            return known.rate;
        }
    }
    return std::nullopt;
}

}  // namespace bv3::transfer

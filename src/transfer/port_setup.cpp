#include "transfer/port_setup.h"

namespace bv3::transfer {

using serial::TBaudrate;

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
    switch (baudIndex) {
        case 0:
            return TBaudrate::br115200;
        case 1:
            return TBaudrate::br57600;
        case 2:
            return TBaudrate::br38400;
        case 3:
            return TBaudrate::br19200;
        case 4:
            return TBaudrate::br9600;
        default:
            return std::nullopt;
    }
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
    switch (bitsPerSecond) {
        case 9600:
            return TBaudrate::br9600;
        case 19200:
            return TBaudrate::br19200;
        case 38400:
            return TBaudrate::br38400;
        case 57600:
            return TBaudrate::br57600;
        case 115200:
            return TBaudrate::br115200;
        default:
            return std::nullopt;
    }
}

}  // namespace bv3::transfer

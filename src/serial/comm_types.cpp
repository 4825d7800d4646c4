#include "serial/comm_types.h"

#include "serial/comm_control_block.h"

namespace bv3::serial {

std::uint32_t BaudRateValue(TBaudrate rate) {
    static constexpr std::uint32_t values[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                               19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return values[static_cast<unsigned>(rate)];
}

std::uint32_t OptionFlag(TCommOption option) {
    using namespace dcbflag;
    static constexpr std::uint32_t flags[] = {fParity, fDsrSensitivity, fTXContinueOnXoff, fErrorChar, fNull};
    return flags[static_cast<unsigned>(option)];
}

std::uint32_t EventMaskBit(TCommEventType event) {
    using namespace commevent;
    static constexpr std::uint32_t bits[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                             EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};
    return bits[static_cast<unsigned>(event)];
}

std::uint32_t EventMask(TCommEventTypes events) {
    std::uint32_t mask = 0;
    for (unsigned i = 0; i < 9; ++i) {
        const auto event = static_cast<TCommEventType>(i);
        if (events.Contains(event)) {
            mask |= EventMaskBit(event);
        }
    }
    return mask;
}

}  // namespace bv3::serial

#pragma once
// The serial component's enumerations, its two sets and the driver values each member stands
// for.

#include <cstdint>
#include <initializer_list>

namespace bv3::serial {

enum class TBaudrate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopbits : std::uint8_t { sb10, sb15, sb20 };
enum class TDatabits : std::uint8_t { da4, da5, da6, da7, da8 };
enum class TFlowControl : std::uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum class TCommOption : std::uint8_t { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum class TCommEventType : std::uint8_t {
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};

// A set of enumeration members, one bit each.
template <typename E, unsigned N>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members) {
        for (E m : members) {
            Include(m);
        }
    }
    static constexpr EnumSet All() {
        EnumSet s;
        s.bits_ = (1u << N) - 1u;
        return s;
    }
    constexpr bool Contains(E m) const { return (bits_ >> static_cast<unsigned>(m)) & 1u; }
    constexpr EnumSet& Include(E m) {
        bits_ |= 1u << static_cast<unsigned>(m);
        return *this;
    }
    constexpr EnumSet& Exclude(E m) {
        bits_ &= ~(1u << static_cast<unsigned>(m));
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    std::uint32_t bits_ = 0;
};

using TCommOptions = EnumSet<TCommOption, 5>;
using TCommEventTypes = EnumSet<TCommEventType, 9>;

// The value written to the control block's BaudRate: the number in the member's name.
std::uint32_t BaudRateValue(TBaudrate rate);
// The control block's flag bit for an option.
std::uint32_t OptionFlag(TCommOption option);
// The driver's event-mask bit for an event type.
std::uint32_t EventMaskBit(TCommEventType event);
// The driver event mask for a set of event types.
std::uint32_t EventMask(TCommEventTypes events);

}  // namespace bv3::serial

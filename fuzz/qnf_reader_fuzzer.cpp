// The QNF reader on any text, whole and as a fragment, then the raw writer on whatever it
// accepted.
// The model code and variant come from the text's length, so every input reaches a layout.
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_writer.h"

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

using namespace bv3::channeldb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        // As every reader of a whole list reads it: a list cut off before its menu is refused.
        auto whole = std::make_unique<ChannelDatabase>();
        std::istringstream in(text);
        try {
            readQnf(in, *whole, "fuzz.qnf");
        } catch (const ConversionError&) {
        }
    }
    // As a fragment, so that lists without a menu still reach the writers below.
    auto db = std::make_unique<ChannelDatabase>();
    std::istringstream in(text);
    try {
        readQnf(in, *db, "fuzz.qnf", MenuLine::optional);
    } catch (const ConversionError&) {
        return 0;
    }
    (void)formatQnf(*db);
    const auto model = static_cast<std::uint8_t>(size % 6);
    const auto variant = static_cast<std::uint8_t>(size / 6 % 7);
    try {
        (void)buildConfigImage(*db, variant, model);
        (void)buildServiceImage(*db, model);
    } catch (const ConversionError&) {
    }
    return 0;
}

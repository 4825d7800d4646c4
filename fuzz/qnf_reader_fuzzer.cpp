// The QNF reader on any text, then the raw writer on whatever it accepted.
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
    auto db = std::make_unique<ChannelDatabase>();
    std::istringstream in(text);
    try {
        readQnf(in, *db, "fuzz.qnf");
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

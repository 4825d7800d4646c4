#include "qdf_format.h"

namespace bv3::qdf {

std::string blockTypeName(BlockType type) {
    switch (type) {
        case BlockType::flash:
            return "flash";
        case BlockType::eeprom:
            return "eeprom";
    }
    return "unknown";
}

std::string blockEncodingName(BlockEncoding encoding) {
    switch (encoding) {
        case BlockEncoding::stored:
            return "stored";
        case BlockEncoding::lzh:
            return "lzh";
    }
    return "unknown";
}

}  // namespace bv3::qdf

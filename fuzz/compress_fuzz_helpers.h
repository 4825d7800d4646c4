#pragma once
// Shared by the compression fuzz targets: running the component in stream mode over memory,
// where any ELzrw1Exception is an expected answer to a bad input and anything else is a bug.

#include "compress/lzrw1.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace bv3::compress::fuzz {

// Restores a container; false when the component refused it.
inline bool decompressContainer(std::span<const std::uint8_t> container, std::vector<std::uint8_t>& restored) {
    Tlzrw1 component;
    TMemoryStream in(std::vector<std::uint8_t>(container.begin(), container.end()));
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    try {
        const std::int32_t count = component.Decompress();
        restored = out.Bytes();
        if (static_cast<std::size_t>(count) != restored.size()) {
            std::abort();
        }
        return true;
    } catch (const ELzrw1Exception&) {
        return false;
    }
}

inline std::vector<std::uint8_t> compressBytes(std::span<const std::uint8_t> input, TCompressMode mode) {
    Tlzrw1 component;
    TMemoryStream in(std::vector<std::uint8_t>(input.begin(), input.end()));
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(mode);
    component.Compress();
    return out.Bytes();
}

// A container header in front of body, with a size field taken from the input's first bytes
// but kept small, so that each run stays quick.
inline std::vector<std::uint8_t> withHeader(std::uint32_t magic, std::span<const std::uint8_t> data) {
    std::uint32_t size = 0;
    std::size_t used = 0;
    for (; used < 3 && used < data.size(); ++used) {
        size |= static_cast<std::uint32_t>(data[used]) << (8 * used);
    }
    size %= 300000;
    std::vector<std::uint8_t> container;
    for (const std::uint32_t value : {magic, size}) {
        for (int shift = 0; shift < 32; shift += 8) {
            container.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    container.insert(container.end(), data.begin() + static_cast<std::ptrdiff_t>(used), data.end());
    return container;
}

}  // namespace bv3::compress::fuzz

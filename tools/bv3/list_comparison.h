#pragma once
// What bv3 diff and bv3 send share: opening a list to compare (any kind of file, refusing one
// that cannot be read or that fails the checks for its model) and telling how two lists differ.

#include "edit/channel_list.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bv3::cli {

// Opens a QNF text, a compressed list or (with a variant) an uploaded image. Throws
// CommandFailure naming the file: an uploaded image given without its variant, a file a reader
// refuses, a list with errors for the model (each error printed to stderr first).
edit::ChannelList openListToCompare(const std::string& path, std::uint8_t modelCode,
                                    std::optional<std::uint8_t> configVariant);

}  // namespace bv3::cli

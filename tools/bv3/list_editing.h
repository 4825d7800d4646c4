#pragma once
// What the editing commands (edit, reorder, duplicates) share: opening a list of any kind,
// refusing a result the receiver images cannot represent, writing it, and showing what an
// edit would change.

#include "edit/channel_list.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace bv3::cli {

// Opens a QNF text, a compressed container or (with a variant) an uploaded image, told apart
// by content. The readers' refusals pass on with their own messages.
edit::ChannelList openChannelList(const std::string& path, std::uint8_t modelCode,
                                  std::optional<std::uint8_t> configVariant);

// Prints every finding as "FILE: where: error: message". Throws CommandFailure when one is an
// error (the images could not be built from the list); warnings only print.
void refuseListWithErrors(const edit::ChannelList& list, const std::string& outPath, std::ostream& out);

// Writes the list to outPath whole or not at all: a compressed container when the list came
// from one or asContainer is set, QNF text otherwise.
void writeChannelList(edit::ChannelList& list, const std::string& outPath, bool asContainer);

// The lines of before that after drops ("-") and the lines it adds ("+"), with their line
// numbers, as a short difference of the two QNF texts.
void printChangedLines(std::ostream& out, const std::string& before, const std::string& after);

}  // namespace bv3::cli

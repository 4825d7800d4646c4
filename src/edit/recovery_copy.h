#pragma once
// A recovery copy: what an editor keeps of a list with unsaved changes, so that a crash or a
// kill loses none of them. It holds the list as its QNF text (the undo history need not
// survive, only the state the list was in), how far along its history the list was, when the
// copy was written and where the list came from, so that the next start can say which work it
// offers to restore.
//
// The file is a short header of "key value" lines and then the text itself, whose length the
// header gives, so a copy cut short by a full disk or a crash is told from a whole one:
//
//   BV3 RECOVERY COPY 1
//   written 1765436400
//   source qnf-file
//   name /home/me/channels.qnf
//   model 4
//   variant none
//   undo 3
//   text 5180
//   <5180 bytes of QNF text>

#include "edit/channel_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bv3::edit {

// Where the list of a recovery copy came from.
enum class RecoverySource : std::uint8_t {
    NewList,        // made in the editor, never saved
    QnfFile,        // a QNF text file (name: its path)
    ContainerFile,  // a compressed list (name: its path)
    ImageFile,      // a receiver image read from a file (name: its path)
    Receiver,       // received from the receiver (name: the port)
};

struct RecoveryCopy {
    RecoverySource source = RecoverySource::NewList;
    std::string sourceName;  // the file's path or the port's name; may be empty for a new list
    std::uint8_t modelCode = 0;
    std::optional<std::uint8_t> configVariant;  // a receiver image's
    std::size_t undoPosition = 0;               // the steps done in the history when it was written
    std::int64_t writtenAt = 0;                 // seconds since 1970-01-01 UTC
    std::string qnfText;
};

// A copy that cannot be read: what() names the reason (the caller adds the file).
class RecoveryCopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The copy's file contents, and the way back. parseRecoveryCopy throws RecoveryCopyError for
// anything but a whole copy this version wrote: another first line, a missing or repeated key,
// a number out of range, a text shorter or longer than its header says.
std::string formatRecoveryCopy(const RecoveryCopy& copy);
RecoveryCopy parseRecoveryCopy(std::string_view file);

// The source a list has by its origin; a list received over a port is RecoverySource::Receiver,
// which the list itself cannot tell (it names the scratch file the upload went to).
RecoverySource sourceOfList(const ChannelList& list);

// The list a copy holds, unsaved: its origin and file are those of the list it was taken from
// (so a save goes back to that file), and it differs from every file until saved. Throws
// channeldb::ConversionError when the text cannot be read.
ChannelList restoreList(const RecoveryCopy& copy);

// "qnf-file", "receiver", ... and back; none for an unknown word.
std::string_view sourceWord(RecoverySource source);
std::optional<RecoverySource> sourceFromWord(std::string_view word);

}  // namespace bv3::edit

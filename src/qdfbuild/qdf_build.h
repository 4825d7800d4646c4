#pragma once
// The QnfToQDF driver: channel list in, download image out, by way of the receiver's two
// images, the loader configuration and the maker's encoder.

#include "channeldb/channel_database.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <string>

namespace bv3::qdfbuild {

struct QdfBuildSettings {
    std::string qnfName{};  // names the channel list in messages
    std::string qdfPath{};  // handed to the encoder unchanged
    std::uint8_t configVariant = 0;
    std::uint8_t modelCode = 0;
    std::uint32_t headerId = 0;
    std::string encoderLibrary = "tqrdll12.dll";  // tests name a stand-in here
    // A list with no services builds an image that empties the receiver: refused unless the
    // caller says that is what is wanted.
    bool allowEmpty = false;
};

// Runs the build in its fixed order: a zeroed database; the channel list read into it; the
// configuration and service images laid out; "Config.raw", "Service.raw" and "qorda.cfg"
// written to the current directory (refused with QdfBuildError, before anything is written,
// when a file of one of those names is already there: the build would overwrite it and then
// delete it); the encoder loaded, called once with "qorda.cfg" and
// qdfPath, and unloaded; the three files deleted in that order; the input closed (when it is
// a file, through `closeInput`, given by whoever owns the input); the database freed.
//
// Throws, having written nothing:
//   - QdfBuildError for a modelCode above 5 (no such receiver);
//   - channeldb::CorruptQnfHeader when the first line is not the header (the caller shows the
//     receiver software's message; the build stops there);
//   - channeldb::ConversionError for a channel list the reader or the raw writer refuses
//     (channeldb::IncompleteQnf for a list cut off before its [MENU] line);
//   - QdfBuildError for a list without services, unless allowEmpty.
// Throws QdfBuildError, with every temporary it wrote deleted and the encoder not called,
// when a temporary cannot be written; and, after the steps that follow the call, when the
// encoder is missing or lacks its entry, or returned without writing qdfPath.
void runQdfBuild(std::istream& qnf, const QdfBuildSettings& settings, const std::function<void()>& closeInput = {});

// The same build of a channel list already in memory, for a program that holds one (an
// editor): the database is laid out as it stands, and the three temporaries are written to,
// and deleted from, workFolder, a folder the caller made for this build alone. The loader
// configuration names the images by their paths there, so the current directory is neither
// used nor changed (the build may run beside other threads). qnfName only names the list in
// messages. Refuses and throws as above; a file of a temporary's name already in workFolder
// is refused too.
void runQdfBuild(const channeldb::ChannelDatabase& db, const std::filesystem::path& workFolder,
                 const QdfBuildSettings& settings);

}  // namespace bv3::qdfbuild

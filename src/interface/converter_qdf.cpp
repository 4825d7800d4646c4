#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "interface/converter.h"
#include "qdfbuild/qdf_build.h"
#include "ui/message_box.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace bv3::interface {

void TfrmQnfToQdf::SetupQdfBuild(const std::string& qnfPath_, const std::string& qdfPath_, std::uint8_t configVariant_,
                                 std::uint8_t modelCode_, std::uint32_t headerId_) {
    qnfPath = qnfPath_;
    std::error_code ignored;
    if (std::filesystem::is_directory(qnfPath, ignored)) {
        // A directory opens for reading here and would then pass for a file without a header.
        throw channeldb::ConversionError("cannot open the channel list \"" + qnfPath + "\": it is a directory",
                                         qnfPath);
    }
    channeldb::refuseOversizedQnfFile(qnfPath);
    errno = 0;
    qnfFile_.open(qnfPath, std::ios::binary);
    if (!qnfFile_.is_open()) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "cannot be opened";
        throw channeldb::ConversionError("cannot open the channel list \"" + qnfPath + "\": " + reason, qnfPath);
    }
    qdfPath = qdfPath_;
    configVariant = configVariant_;
    modelCode = modelCode_;
    headerId = headerId_;
}

void TfrmQnfToQdf::RunQdfBuild() {
    std::optional<std::string> corruptHeader;
    try {
        // The build closes the channel list at its own step, before the database is freed.
        qdfbuild::runQdfBuild(qnfFile_,
                              {.qnfName = qnfPath,
                               .qdfPath = qdfPath,
                               .configVariant = configVariant,
                               .modelCode = modelCode,
                               .headerId = headerId},
                              [this] { CloseChannelList(); });
    } catch (const channeldb::CorruptQnfHeader& failure) {
        corruptHeader = failure.what();
    }
    CloseChannelList();
    if (corruptHeader) {
        // The receiver software's own box. The build has stopped: an empty channel list sent
        // to the receiver would wipe its channels, so nothing is built from a file that is not
        // a channel list.
        ui::showMessageBox(
            {.caption = "Error", .text = *corruptHeader, .icon = ui::MessageIcon::Error, .buttons = {"&Yes"}});
    }
}

}  // namespace bv3::interface

#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "interface/converter.h"
#include "qdfbuild/qdf_build.h"
#include "ui/message_box.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

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
    qnfFile.open(qnfPath, std::ios::binary);
    if (!qnfFile.is_open()) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "cannot be opened";
        throw channeldb::ConversionError("cannot open the channel list \"" + qnfPath + "\": " + reason, qnfPath);
    }
    qdfPath = qdfPath_;
    configVariant = configVariant_;
    modelCode = modelCode_;
    headerId = headerId_;
}

void TfrmQnfToQdf::RunQdfBuild() {
    try {
        qdfbuild::runQdfBuild(qnfFile, {.qnfName = qnfPath,
                                        .qdfPath = qdfPath,
                                        .configVariant = configVariant,
                                        .modelCode = modelCode,
                                        .headerId = headerId});
    } catch (const channeldb::CorruptQnfHeader& failure) {
        // The receiver software's own box. The build has stopped: an empty channel list sent
        // to the receiver would wipe its channels, so nothing is built from a file that is not
        // a channel list.
        qnfFile.close();
        ui::showMessageBox(
            {.caption = "Error", .text = failure.what(), .icon = ui::MessageIcon::Error, .buttons = {"&Yes"}});
        return;
    }
    qnfFile.close();
}

}  // namespace bv3::interface

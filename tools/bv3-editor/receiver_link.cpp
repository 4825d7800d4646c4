#include "receiver_link.h"

#include "channeldb/conversion_error.h"
#include "qdfbuild/qdf_build.h"
#include "qdfbuild/qdf_build_error.h"
#include "transfer/transfer_texts.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/port_setup.h"
#include "transfer/qt/upload_dialog.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <stdexcept>

namespace bv3::editor {

namespace {

serial::TBaudrate rateOf(const ReceiverSettings& settings) {
    return transfer::baudRateForBits(settings.baud).value_or(serial::TBaudrate::br115200);
}

template <class Dialog>
TransferOutcome runDialog(Dialog& dialog, const ReceiverSettings& settings, const QString& path,
                          const std::function<void(QWidget&)>& beforeDialog) {
    dialog.SetupDevice(settings.port.toStdString(), rateOf(settings), path.toStdString());
    if (beforeDialog) {
        beforeDialog(dialog);
    }
    dialog.exec();
    const auto& session = dialog.session();
    const auto& failure = session.failure();
    return {session.completed() && !session.failed(),
            failure ? QString::fromStdString(transfer::failureText(*failure)) : QString()};
}

}  // namespace

TransferOutcome ReceiverLink::receive(const ReceiverSettings& settings, const QString& imagePath) {
    transfer::TfrmUpLoad dialog;
    dialog.setParent(parent_, dialog.windowFlags());
    auto outcome = runDialog(dialog, settings, imagePath, beforeDialog);
    dialog.setParent(nullptr);
    return outcome;
}

TransferOutcome ReceiverLink::send(const ReceiverSettings& settings, const QString& downloadImagePath) {
    transfer::TfrmDownload dialog;
    dialog.setParent(parent_, dialog.windowFlags());
    auto outcome = runDialog(dialog, settings, downloadImagePath, beforeDialog);
    dialog.setParent(nullptr);
    return outcome;
}

void buildDownloadImage(const channeldb::ChannelDatabase& db, const std::string& listName,
                        const ReceiverSettings& settings, const QString& qdfPath) {
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        throw std::runtime_error("cannot create a scratch folder for the build: " + scratch.errorString().toStdString());
    }
    const QString target = QFileInfo(qdfPath).absoluteFilePath();
    qdfbuild::runQdfBuild(db, scratch.path().toStdString(), {.qnfName = listName,
                                                             .qdfPath = target.toStdString(),
                                                             .configVariant = settings.configVariant,
                                                             .modelCode = settings.modelCode,
                                                             .headerId = settings.headerId,
                                                             .encoderLibrary = settings.encoder.toStdString()});
}

}  // namespace bv3::editor

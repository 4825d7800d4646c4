#include "receiver_link.h"

#include "channeldb/conversion_error.h"
#include "qdfbuild/qdf_build.h"
#include "qdfbuild/qdf_build_error.h"
#include "transfer/transfer_texts.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/port_setup.h"
#include "transfer/qt/upload_dialog.h"
#include "serial/open_failure_hint.h"
#include "ui/message_box.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>

#include <stdexcept>

namespace bv3::editor {

namespace {

serial::TBaudrate rateOf(const ReceiverSettings& settings) {
    return transfer::baudRateForBits(settings.baud).value_or(serial::TBaudrate::br115200);
}

// Takes the boxes a transfer dialog shows while it runs, instead of showing them, for as long
// as it lives; the one shown before it is back afterwards.
class HeldBoxes final : public ui::MessageBoxService {
public:
    explicit HeldBoxes(std::function<void()> onBox) : onBox_(std::move(onBox)), previous_(ui::setMessageBoxService(this)) {}
    ~HeldBoxes() override { ui::setMessageBoxService(previous_); }
    HeldBoxes(const HeldBoxes&) = delete;
    HeldBoxes& operator=(const HeldBoxes&) = delete;

    void show(const ui::MessageBoxRequest& request) override {
        texts << QString::fromLocal8Bit(request.text.c_str());
        onBox_();
    }
    QStringList texts;

private:
    std::function<void()> onBox_;
    ui::MessageBoxService* previous_;
};

// The port's reason in plain words, naming the device.
QString portFailureText(const serial::ECommError& error, const std::string& deviceName) {
    const std::string hint = serial::OpenFailureHint(error, deviceName);
    return QString::fromLocal8Bit(
        (hint.empty() ? transfer::portOpenFailureText(deviceName, error.what()) : hint).c_str());
}

template <class Dialog>
TransferOutcome runDialog(Dialog& dialog, const ReceiverSettings& settings, const QString& path,
                          const std::function<void(QWidget&)>& beforeDialog) {
    dialog.SetupDevice(settings.port.toStdString(), rateOf(settings), path.toStdString());
    // A box that is not the session's failure (which the dialog's status line shows until the
    // person closes it) comes when the port would not open, or the file: the dialog has
    // nothing left to do and would stay open and idle, so it is cancelled as Cancel would.
    HeldBoxes held([&dialog] {
        if (!dialog.session().failed()) {
            QMetaObject::invokeMethod(&dialog, [&dialog] { dialog.BitBtn1()->click(); }, Qt::QueuedConnection);
        }
    });
    if (beforeDialog) {
        beforeDialog(dialog);
    }
    dialog.exec();
    const auto& session = dialog.session();
    TransferOutcome outcome;
    outcome.completed = session.completed() && !session.failed();
    if (const auto& open = dialog.portOpenFailure()) {
        outcome.portUnopened = true;
        outcome.failure = portFailureText(*open, settings.port.toStdString());
    } else if (const auto& failure = session.failure()) {
        outcome.failure = QString::fromStdString(transfer::failureText(*failure));
    } else if (!outcome.completed) {
        // A failure the session reported without keeping it (its file would not open).
        outcome.failure = held.texts.join('\n');
    }
    return outcome;
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

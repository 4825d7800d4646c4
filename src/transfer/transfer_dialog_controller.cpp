#include "transfer/transfer_dialog_controller.h"

#include "transfer/port_setup.h"

#include <exception>

namespace bv3::transfer {

TransferDialogController::TransferDialogController(TransferDialogView& view, ui::MessageBoxService& boxes)
    : view_(view), boxes_(boxes) {
    configureTransferPort(comm1_);
}

void TransferDialogController::Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath) {
    applyPortIndexes(comm1_, portIndex, baudIndex);
    setFilePath(filePath);
}

void TransferDialogController::SetupDevice(const std::string& deviceName, serial::TBaudrate rate,
                                           const std::string& filePath) {
    comm1_.SetDeviceName(deviceName);
    comm1_.SetBaudRate(rate);
    setFilePath(filePath);
}

void TransferDialogController::Shown() {
    portOpenFailure_.reset();
    try {
        FormShow();
    } catch (const serial::ECommError& failure) {
        if (!comm1_.IsOpen()) {
            portOpenFailure_ = failure;
        }
        reportText(portOpenFailureText(comm1_.DeviceName(), failure.what()));
    } catch (const std::exception& failure) {
        reportText(portOpenFailureText(comm1_.DeviceName(), failure.what()));
    }
}

void TransferDialogController::reportText(const std::string& text) {
    boxes_.show(ui::errorBoxRequest(text));
}

}  // namespace bv3::transfer

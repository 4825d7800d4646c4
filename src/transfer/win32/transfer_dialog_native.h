#pragma once
// The window both transfer dialogs share, for builds without a toolkit: the platform's own
// dialog (native_dialog.h) laid out from the form's description (transfer_forms.h), with the
// gauge drawn through the toolkit-free picture. It hands the form's events to the dialog's
// controller and shows what the controller tells it; every way of ending yields the cancel
// result, 2.

#include "platform/native_dialog.h"
#include "platform/native_ui_thread.h"
#include "serial/comm.h"
#include "transfer/transfer_dialog_controller.h"
#include "transfer/transfer_forms.h"
#include "ui/win32/progress_native.h"

#include <cstdint>
#include <string>

namespace bv3::transfer::native {

class TransferDialog : public TransferDialogView, private platform::NativeDialogEvents {
public:
    // The texts of the window, in the order of its layout.
    static constexpr std::size_t label1Index = 0;
    static constexpr std::size_t label2Index = 1;
    static constexpr std::size_t label3Index = 2;

    TransferDialog(const TransferDialog&) = delete;
    TransferDialog& operator=(const TransferDialog&) = delete;

    // Setup: the port and rate indexes of the host, and the file. Opens nothing.
    void Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath) {
        controller().Setup(portIndex, baudIndex, filePath);
    }

    serial::TComm& Comm1() { return controller().Comm1(); }
    ui::native::TProgress& Progress1() { return progress1_; }
    const std::string& Label1() const { return window_.text(label1Index); }
    const std::string& Label2() const { return window_.text(label2Index); }
    platform::NativeDialog& window() { return window_; }

    // Shows the dialog modally; the result is always the cancel result, 2.
    int ShowModal() { return window_.runModal(); }

    // TransferDialogView
    void showLine(StatusLine line, const std::string& text) override;
    void showProgress(int percent) override { progress1_.SetProgress(percent); }
    void closeDialog() override { window_.endModal(); }
    void setTimer1(bool running) override;

protected:
    explicit TransferDialog(const TransferForm& form);
    virtual TransferDialogController& controller() = 0;
    // The window timer: Timer1, on a form that has one.
    virtual void timerFired() {}

private:
    void onShow() override { controller().Shown(); }
    void onButton() override { controller().BitBtn1Click(); }
    void onCloseBox() override { controller().CloseBoxClicked(); }
    void onTimer() override { timerFired(); }

    const TransferForm& form_;
    // Declared first: the port's event thread hands its notifications to this thread until
    // the port is closed, which the controller does when it goes, before this does.
    platform::ScopedNativeUiThread uiThread_;
    ui::native::TProgress progress1_;
    platform::NativeDialog window_;
};

}  // namespace bv3::transfer::native

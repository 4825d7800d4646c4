#include "transfer/win32/transfer_dialog_native.h"

#include "transfer/port_setup.h"
#include "ui/colour.h"
#include "ui/message_box.h"

namespace bv3::transfer::native {

namespace {

// The panel at (4, 3) holds the status line, the counter and the gauge; their places are
// given here in the dialog's client area.
constexpr platform::NativeRect panel1{4, 3, 353, 29};
constexpr platform::NativeRect label1{4 + 3, 3 + 3, 340, 14};
// The counter is right-aligned: it grows to the left from its right edge, 347 in the panel.
constexpr platform::NativeRect label2{4 + 347 - 120, 3 + 3, 120, 14};
constexpr platform::NativeRect progress1{4 + 1, 3 + 20, 351, 7};
constexpr platform::NativeRect label3{5, 45, 270, 14};
constexpr platform::NativeRect bitBtn1{280, 34, 78, 24};

platform::NativeDialogLayout dialogLayout(const std::string& caption, int clientWidth, int clientHeight,
                                          bool withRetryLine) {
    platform::NativeDialogLayout layout{
        .caption = caption,
        .clientWidth = clientWidth,
        .clientHeight = clientHeight,
        .fontName = "MS Sans Serif",
        .fontHeight = -11,
        .panel = panel1,
        .texts = {{label1, phaseText(TransferPhase::Waiting)}, {label2, "", platform::NativeTextAlign::right}},
        .picture = progress1,
        .button = bitBtn1,
        .buttonCaption = "Cancel"};
    if (withRetryLine) {
        layout.texts.push_back({label3, ""});
    }
    return layout;
}

}  // namespace

TransferDialog::TransferDialog(const std::string& caption, int clientWidth, int clientHeight, bool withRetryLine)
    : window_(dialogLayout(caption, clientWidth, clientHeight, withRetryLine), *this), withRetryLine_(withRetryLine) {
    configureTransferPort(comm1_);
    progress1_.SetBounds(progress1.left, progress1.top, progress1.width, progress1.height);
    progress1_.SetBackColor(ui::clBlack);
    progress1_.SetBorderColor(ui::clBlack);
    progress1_.SetFromColor(ui::clBlue);
    progress1_.SetToColor(ui::clAqua);
    progress1_.SetTextColor(ui::clTeal);
    progress1_.SetPaintTarget([this](const platform::PixelPicture& picture) { window_.showPicture(picture); });
}

TransferDialog::~TransferDialog() {
    // The port goes first, while the window its handlers write to still exists.
    comm1_.Close();
}

void TransferDialog::Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath) {
    applyPortIndexes(comm1_, portIndex, baudIndex);
    setFilePath(filePath);
}

int TransferDialog::ShowModal() {
    return window_.runModal();
}

void TransferDialog::onShow() {
    // A failure while showing (the port cannot be opened) is shown, and the dialog stays
    // open and idle until it is cancelled, as the form framework does with a failing OnShow.
    try {
        FormShow();
    } catch (const std::exception& failure) {
        ui::showErrorBox(portOpenFailureText(comm1_.DeviceName(), failure.what()));
    }
}

void TransferDialog::showLine(StatusLine line, const std::string& text) {
    switch (line) {
        case StatusLine::Label1:
            window_.setText(label1Index, text);
            break;
        case StatusLine::Label2:
            window_.setText(label2Index, text);
            break;
        case StatusLine::Label3:
            if (withRetryLine_) {
                window_.setText(label3Index, text);
            }
            break;
    }
}

void TransferDialog::showProgress(int percent) {
    progress1_.SetProgress(percent);
}

void TransferDialog::reportText(const std::string& text) {
    ui::showErrorBox(text);
}

void TransferDialog::close() {
    window_.endModal();
}

}  // namespace bv3::transfer::native

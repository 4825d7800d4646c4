#include "transfer/win32/transfer_dialog_native.h"

#include <string>

namespace bv3::transfer::native {

namespace {

platform::NativeRect toNativeRect(const ui::FormRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

platform::NativeDialogText text(const TransferForm& form, const FormControl& control, std::string caption) {
    return {toNativeRect(inClientArea(form, control)), std::move(caption),
            control.align == ui::TextAlign::Right ? platform::NativeTextAlign::right : platform::NativeTextAlign::left};
}

// The window's layout holds every place in the client area; its texts are Label1, Label2 and,
// where the form has it, Label3, in that order.
platform::NativeDialogLayout dialogLayout(const TransferForm& form) {
    platform::NativeDialogLayout layout{.caption = std::string(form.caption),
                                        .clientWidth = form.clientWidth,
                                        .clientHeight = form.clientHeight,
                                        .fontName = std::string(form.font.name),
                                        .fontHeight = form.font.height,
                                        .panel = toNativeRect(inClientArea(form, form.panel1)),
                                        .texts = {text(form, form.label1, phaseText(form.label1Phase)),
                                                  text(form, form.label2, {})},
                                        .picture = toNativeRect(inClientArea(form, form.progress1)),
                                        .button = toNativeRect(inClientArea(form, form.bitBtn1)),
                                        .buttonCaption = std::string(form.bitBtn1.caption)};
    if (form.label3) {
        layout.texts.push_back(text(form, *form.label3, {}));
    }
    return layout;
}

}  // namespace

TransferDialog::TransferDialog(const TransferForm& form) : form_(form), window_(dialogLayout(form), *this) {
    const ui::FormRect gauge = inClientArea(form, form.progress1);
    progress1_.SetBounds(gauge.left, gauge.top, gauge.width, gauge.height);
    progress1_.SetBackColor(form.progress1Look.back);
    progress1_.SetBorderColor(form.progress1Look.border);
    progress1_.SetFromColor(form.progress1Look.from);
    progress1_.SetToColor(form.progress1Look.to);
    progress1_.SetTextColor(form.progress1Look.text);
    progress1_.SetPaintTarget([this](const platform::PixelPicture& picture) { window_.showPicture(picture); });
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
            if (form_.label3) {
                window_.setText(label3Index, text);
            }
            break;
    }
}

void TransferDialog::setTimer1(bool running) {
    if (form_.timer1) {
        window_.setTimer(running, form_.timer1->intervalMs);
    }
}

}  // namespace bv3::transfer::native

#pragma once
// TfrmUpLoad ("STB to PC") and TfrmDownload ("PC to STB") as descriptions that the Qt windows
// and the windows on the platform's own windowing system both build their controls from:
// object names, places, captions, the font, the gauge's colours, the upload's retry line and
// watchdog timer. The two forms share everything but the caption, the client size and those
// two upload extras. Nothing here depends on a toolkit.

#include "transfer/transfer_events.h"
#include "ui/colour.h"
#include "ui/form_layout.h"

#include <optional>
#include <string_view>

namespace bv3::transfer {

// Panel1 holds the status line, the counter and the gauge; the rest sit on the form.
enum class FormParent { Form, Panel1 };

struct FormControl {
    std::string_view name;
    FormParent parent = FormParent::Form;
    ui::FormRect bounds;  // in the parent's client area
    std::string_view caption = {};
    ui::TextAlign align = ui::TextAlign::Left;
};

// Progress1's colours: background, border, the gradient's two ends, and the caption's font
// colour.
struct GaugeLook {
    ui::TColor back = ui::clBlack;
    ui::TColor border = ui::clBlack;
    ui::TColor from = ui::clBlue;
    ui::TColor to = ui::clAqua;
    ui::TColor text = ui::clTeal;
};

struct FormTimer {
    std::string_view name;
    unsigned intervalMs = 0;
};

struct TransferForm {
    std::string_view name;
    std::string_view caption;
    int clientWidth = 0;
    int clientHeight = 0;
    ui::FormFont font;
    // A fixed single border, only the system menu in the title bar, always on top, centred.
    bool stayOnTop = true;
    FormControl panel1;  // drawn with a lowered bevel
    FormControl label1;  // the status line
    TransferPhase label1Phase = TransferPhase::Waiting;  // whose words Label1 starts with
    FormControl label2;  // the block counter, right-aligned: it grows left from its right edge
    FormControl progress1;
    GaugeLook progress1Look;
    FormControl bitBtn1;  // Escape presses it too
    std::optional<FormControl> label3;  // the upload's retry line
    std::optional<FormTimer> timer1;    // the upload's watchdog, disabled at creation
};

// The control's place in the form's client area (a Panel1 child is offset by the panel).
constexpr ui::FormRect inClientArea(const TransferForm& form, const FormControl& control) {
    if (control.parent == FormParent::Form) {
        return control.bounds;
    }
    return {form.panel1.bounds.left + control.bounds.left, form.panel1.bounds.top + control.bounds.top,
            control.bounds.width, control.bounds.height};
}

namespace detail {

// What both forms have. The labels' widths and heights are ours (a label of this font is 14
// pixels high); Label2's right edge is 347 in the panel.
constexpr TransferForm sharedTransferForm(std::string_view name, std::string_view caption, int clientWidth,
                                          int clientHeight) {
    return TransferForm{
        .name = name,
        .caption = caption,
        .clientWidth = clientWidth,
        .clientHeight = clientHeight,
        .font = ui::formFontMsSansSerif8,
        .stayOnTop = true,
        .panel1 = {.name = "Panel1", .bounds = {4, 3, 353, 29}},
        .label1 = {.name = "Label1", .parent = FormParent::Panel1, .bounds = {3, 3, 340, 14}},
        .label1Phase = TransferPhase::Waiting,
        .label2 = {.name = "Label2",
                   .parent = FormParent::Panel1,
                   .bounds = {347 - 120, 3, 120, 14},
                   .align = ui::TextAlign::Right},
        .progress1 = {.name = "Progress1", .parent = FormParent::Panel1, .bounds = {1, 20, 351, 7}},
        .progress1Look = {},
        .bitBtn1 = {.name = "BitBtn1", .bounds = {280, 34, 78, 24}, .caption = "Cancel"},
        .label3 = std::nullopt,
        .timer1 = std::nullopt,
    };
}

}  // namespace detail

inline constexpr TransferForm uploadForm = [] {
    TransferForm form = detail::sharedTransferForm("frmUpLoad", "STB to PC", 362, 59);
    form.label3 = FormControl{.name = "Label3", .bounds = {5, 45, 270, 14}};
    form.timer1 = FormTimer{.name = "Timer1", .intervalMs = 3000};
    return form;
}();

inline constexpr TransferForm downloadForm = detail::sharedTransferForm("frmDownload", "PC to STB", 358, 58);

}  // namespace bv3::transfer

#pragma once
// TfrmMain, the about box, as one description that the Qt window and the window on the
// platform's own windowing system both draw: caption, fixed screen position, client size,
// font, colours and the two labels. Nothing here depends on a toolkit.

#include "ui/form_layout.h"

#include <array>
#include <string_view>

namespace bv3::ui {

struct AboutFormLabel {
    std::string_view name;
    int left = 0;  // in the client area; the label takes the size of its text
    int top = 0;
    std::string_view caption;
    bool bold = false;
};

struct AboutFormDescription {
    std::string_view name;
    std::string_view caption;
    int left = 0;  // screen position of the window, in pixels
    int top = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    FormFont font;
    SystemColour background = SystemColour::ButtonFace;
    SystemColour text = SystemColour::WindowText;
    std::array<AboutFormLabel, 2> labels;
};

// A single non-resizable border with only the system menu and its close box; no buttons.
inline constexpr AboutFormDescription aboutForm{
    .name = "frmMain",
    .caption = "BV3 DLL",
    .left = 498,
    .top = 388,
    .clientWidth = 155,
    .clientHeight = 43,
    .font = formFontMsSansSerif8,
    .background = SystemColour::ButtonFace,
    .text = SystemColour::WindowText,
    .labels = {{{.name = "Label1", .left = 4, .top = 4, .caption = "Brevora V3 DLL Ver 0.97", .bold = true},
                {.name = "Label2", .left = 43, .top = 27, .caption = "Last Build : 2001.3.8", .bold = false}}},
};

}  // namespace bv3::ui

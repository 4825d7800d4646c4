#include "ui/win32/about_box_native.h"

namespace bv3::ui::native {

platform::NativeForm TfrmMain::layout() {
    return {.caption = "BV3 DLL",
            .left = 498,
            .top = 388,
            .clientWidth = 155,
            .clientHeight = 43,
            .fontName = "MS Sans Serif",
            .fontHeight = -11,
            .labels = {{.left = 4, .top = 4, .text = "Brevora V3 DLL Ver 0.97", .bold = true},
                       {.left = 43, .top = 27, .text = "Last Build : 2001.3.8", .bold = false}}};
}

int TfrmMain::ShowModal() {
    return platform::runNativeForm(layout());
}

}  // namespace bv3::ui::native

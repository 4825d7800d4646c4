#include "ui/win32/about_box_native.h"

#include "ui/about_form.h"

#include <string>

namespace bv3::ui::native {

platform::NativeForm TfrmMain::layout() {
    // The window's colours are the desktop's button face and window text, as the form names.
    platform::NativeForm form{.caption = std::string(aboutForm.caption),
                              .left = aboutForm.left,
                              .top = aboutForm.top,
                              .clientWidth = aboutForm.clientWidth,
                              .clientHeight = aboutForm.clientHeight,
                              .fontName = std::string(aboutForm.font.name),
                              .fontHeight = aboutForm.font.height,
                              .labels = {}};
    for (const AboutFormLabel& label : aboutForm.labels) {
        form.labels.push_back(
            {.left = label.left, .top = label.top, .text = std::string(label.caption), .bold = label.bold});
    }
    return form;
}

int TfrmMain::ShowModal() {
    return platform::runNativeForm(layout());
}

}  // namespace bv3::ui::native

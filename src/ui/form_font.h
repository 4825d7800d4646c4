#pragma once
// The font of the library's forms: "MS Sans Serif" at 8 point (11 pixels high). Where that
// face is not installed, the font system substitutes its closest sans-serif face.

#include <QFont>

namespace bv3::ui {

inline QFont formFont(bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

}  // namespace bv3::ui

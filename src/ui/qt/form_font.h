#pragma once
// The font of the library's forms: "MS Sans Serif" at 8 point (11 pixels high). Where that
// face is not installed, the closest faces in width stand in for it, so that the captions fit
// the forms' fixed sizes: Microsoft's own successor, then the metric-compatible Liberation
// Sans and Arial, then the condensed DejaVu face that every Linux desktop has.

#include <QFont>
#include <QStringList>

namespace bv3::ui {

inline QFont formFont(bool bold = false) {
    static const bool substitutesKnown = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
        return true;
    }();
    (void)substitutesKnown;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

}  // namespace bv3::ui

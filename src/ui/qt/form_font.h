#pragma once
// A form's font as Qt gives it. The forms use "MS Sans Serif" at 8 point (11 pixels high);
// where that face is not installed, the closest faces in width stand in for it, so that the
// captions fit the forms' fixed sizes: Microsoft's own successor, then the metric-compatible
// Liberation Sans and Arial, then the condensed DejaVu face that every Linux desktop has.

#include "ui/form_layout.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace bv3::ui {

inline QFont formFont(const FormFont& description = formFontMsSansSerif8) {
    static const bool substitutesKnown = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
        return true;
    }();
    (void)substitutesKnown;
    QFont font(QString::fromUtf8(description.name.data(), static_cast<qsizetype>(description.name.size())));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(description.pixelHeight());
    font.setBold(description.bold);
    return font;
}

// A description's text as Qt holds it.
inline QString formText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace bv3::ui

#pragma once
// A count with its noun in the right number ("1 error", "2 errors"): the editor ships no
// translations, so the toolkit's own plural forms would show as "error(s)".

#include <QString>

namespace bv3::editor {

inline QString counted(int count, const QString& one, const QString& many) {
    return QString::number(count) + ' ' + (count == 1 ? one : many);
}

inline QString counted(std::size_t count, const QString& one, const QString& many) {
    return counted(static_cast<int>(count), one, many);
}

}  // namespace bv3::editor

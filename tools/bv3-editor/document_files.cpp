#include "document_files.h"

#include "safe_write/safe_write.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>
#include <stdexcept>

namespace bv3::editor {

ListFileKind sniffListFile(const QString& path) {
    return edit::listFileKind(path.toStdString());
}

void refuseTruncatedImage(const QString& path) {
    if (const auto refusal = edit::shortImageMessage(path.toStdString())) {
        throw std::runtime_error(*refusal);
    }
}

void keepBackup(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return;
    }
    const QString backup = path + ".bak";
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read \"" + path.toStdString() + "\" to keep it as \"" +
                                 backup.toStdString() + "\": " + source.errorString().toStdString());
    }
    const QByteArray bytes = source.readAll();
    safewrite::writeFileSafely(backup.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void writeTextFile(const QString& path, const QByteArray& bytes) {
    safewrite::writeFileSafely(path.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace bv3::editor

#include "document_files.h"

#include "channeldb/uploaded_image.h"
#include "safe_write/safe_write.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>
#include <stdexcept>

namespace bv3::editor {

ListFileKind sniffListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable: the text reader gives the message that names the file and the reason.
        return ListFileKind::QnfText;
    }
    const QByteArray head = file.read(32);
    if (head.startsWith("!HZL") || head.startsWith("WRZL")) {
        return ListFileKind::Container;
    }
    // A text file of any kind (even one whose header is wrong) goes to the text reader, whose
    // message says what is wrong with it; only binary content is taken for an image.
    const bool text = !head.isEmpty() &&
                      std::all_of(head.begin(), head.end(), [](char c) {
                          const auto b = static_cast<unsigned char>(c);
                          return b >= 0x20 || b == '\t' || b == '\r' || b == '\n';
                      });
    return (text || head.startsWith("[BREVORA V3 FILE]") || head.isEmpty()) ? ListFileKind::QnfText
                                                                            : ListFileKind::RawImage;
}

void refuseTruncatedImage(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && info.size() < static_cast<qint64>(channeldb::uploadedImageSize)) {
        throw std::runtime_error("\"" + path.toStdString() + "\" holds " + std::to_string(info.size()) +
                                 " bytes, but an upload from the receiver holds " +
                                 std::to_string(channeldb::uploadedImageSize) +
                                 ": the image is cut short and is not opened");
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

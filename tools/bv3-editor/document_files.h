#pragma once
// How the editor reads and writes the files of a list: what kind a file is, the backup of the
// previous version, and text exports written whole or not at all.

#include "edit/list_file_kind.h"

#include <QString>

namespace bv3::editor {

using edit::ListFileKind;

// Tells by size and content (edit/list_file_kind.h); a receiver image then needs its model and
// variant.
ListFileKind sniffListFile(const QString& path);

// Refuses (std::runtime_error naming the file) a receiver image shorter than an upload leaves
// it: the reader would take the missing part for erased memory, and the list read from it, sent
// back, would wipe the receiver's channels.
void refuseTruncatedImage(const QString& path);

// Copies an existing path to "path.bak", replacing an older backup. Throws std::runtime_error
// naming the backup and the reason; nothing to do when path does not exist yet.
void keepBackup(const QString& path);

// Writes text (Latin-1 for the receiver's names, or UTF-8) through the safe-write helper.
void writeTextFile(const QString& path, const QByteArray& bytes);

}  // namespace bv3::editor

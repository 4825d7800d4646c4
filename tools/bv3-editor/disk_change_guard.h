#pragma once
// Notices that the open list's file was changed on the disk by another program, or saved by a
// second editor, since this editor read or saved it: before a save over it, and when the window
// is activated again. The person then chooses: reload the file, overwrite it with the list
// shown, or save the list shown under another name. What each choice does is the window's
// (the callbacks); the noticing is the editing core's file stamp.

#include "edit/file_stamp.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace bv3::editor {

enum class DiskChangeChoice { Reload, Overwrite, SaveAs, Cancel };

class DiskChangeGuard final : public QObject {
    Q_OBJECT
public:
    // Watches window's activation.
    explicit DiskChangeGuard(QWidget& window);

    // The list now stands for the file at path (opened or saved); empty: a list without a file.
    void track(const QString& path);
    // Before the window saves to path: true to go on. When path is the tracked file and it
    // changed, asks; Reload and Save As are done through the callbacks and stop this save.
    bool mayOverwrite(const QString& path);
    // The window was activated: asks once about each change found.
    void check();

    static QString questionText(const QString& path, bool unsaved);

    // The window's part: whether the list has unsaved changes, and the three choices.
    std::function<bool()> unsaved;
    std::function<void()> reload;
    std::function<void()> overwrite;
    std::function<void()> saveAs;
    // Tests answer here instead of the box.
    std::function<DiskChangeChoice(const QString& path, bool unsaved)> answer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DiskChangeChoice ask();

    QWidget& window_;
    QString path_;
    edit::FileStamp stamp_;
    // The state of the file the person last said Cancel to at an activation: not asked again.
    std::optional<edit::FileStamp> putOff_;
    bool asking_ = false;
};

}  // namespace bv3::editor

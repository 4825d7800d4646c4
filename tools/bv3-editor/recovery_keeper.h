#pragma once
// The editor's recovery copies. While the open list has unsaved changes, a copy of it is kept
// in the user's state folder ($XDG_STATE_HOME/bv3-editor/recovery), written by the editing
// core's RecoveryCopyWriter off the UI thread; a save, a list made clean again, or an editor
// that ends cleanly removes it. Each editor has its own copy beside a lock file it holds while
// it runs, so two editors at once keep two copies, and a copy whose lock nobody holds is one
// left by an editor that crashed or was killed: the next start offers to restore it.

#include "edit/channel_list.h"
#include "edit/recovery_copy.h"
#include "edit/recovery_writer.h"

#include <QLockFile>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QMessageBox;
class QWidget;

namespace bv3::editor {

enum class RestoreChoice { Restore, Discard, Later };

// A copy left behind, as the person is asked about it.
struct RecoveryOffer {
    QString copyPath;
    std::optional<edit::RecoveryCopy> copy;  // none when it cannot be read
    QString problem;                         // why it cannot be read
};

class RecoveryKeeper {
public:
    static constexpr std::chrono::milliseconds interval{3000};

    explicit RecoveryKeeper(QWidget* parent, QString folder = defaultFolder());
    // A clean end: the copy goes (a crash or a kill never gets here, and the copy stays).
    ~RecoveryKeeper();
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // $XDG_STATE_HOME/bv3-editor/recovery, or ~/.local/state/bv3-editor/recovery.
    static QString defaultFolder();

    // The window took list as its document: its copy is kept from now on, and the source is
    // the one its origin tells until setSource says otherwise.
    void watch(edit::ChannelList& list);
    // Where the watched list came from, when its origin cannot tell (received over a port).
    void setSource(edit::RecoverySource source, const QString& name);

    // Offers the copies left by editors that did not end cleanly, newest first, until one is
    // restored (handed to restore, which makes it the window's document and says whether it
    // could) or put off for later; a discarded or restored copy is removed. True when one was
    // restored.
    bool offerRestore(const std::function<bool(const edit::RecoveryCopy&)>& restore);

    // The text of the offer, and the box that asks it (the real dialog; tests answer below).
    static QString offerText(const RecoveryOffer& offer);
    static std::unique_ptr<QMessageBox> offerBox(QWidget* parent, const RecoveryOffer& offer);

    // Tests answer the offer here instead of the box.
    std::function<RestoreChoice(const RecoveryOffer&)> answerOffer;
    // Told when a copy could not be written (once per failure; the window puts it in its
    // status bar).
    std::function<void(const QString&)> reportFailure;

    QString copyPath() const { return folder_ + '/' + id_ + copySuffix; }
    edit::RecoveryCopyWriter& writer() { return *writer_; }

private:
    static constexpr const char* copySuffix = ".copy";
    static constexpr const char* lockSuffix = ".lock";

    void changed();
    RestoreChoice ask(const RecoveryOffer& offer);
    // Removes a left copy and the lock we took on it.
    static void removeLeftCopy(const QString& copyPath, QLockFile& lock);

    QWidget* parent_;
    QString folder_;
    QString id_;
    QLockFile lock_;
    std::unique_ptr<edit::RecoveryCopyWriter> writer_;
    edit::ChannelList* list_ = nullptr;
    edit::RecoverySource source_ = edit::RecoverySource::NewList;
    std::string sourceName_;
};

}  // namespace bv3::editor

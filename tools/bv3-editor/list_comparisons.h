#pragma once
// The editor's comparisons of lists: every received list kept as a backup, Receiver >
// Backups..., File > Compare with..., the send preview before the port opens, and the
// verification after a send. The main window only calls in at those points; the comparing is
// the editing core's (edit/list_diff.h), the keeping ReceiverBackups'.

#include "editor_settings.h"
#include "receiver_backups.h"

#include "edit/channel_list.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QAction;

namespace bv3::editor {

class MainWindow;

class ListComparisons {
public:
    ListComparisons(MainWindow& window, std::string backupFolder = ReceiverBackups::defaultFolder());

    // File > Compare with... and Receiver > Backups..., parented to the window.
    QAction* compareAction() const { return compare_; }
    QAction* backupsAction() const { return backupsAction_; }

    // A list was received: keep it (a failure to write the backup is said in the status bar).
    void received(const edit::ChannelList& list);
    // Before the port opens: the preview of what the send changes. The person's choice: no value
    // when cancelled, else whether to verify after sending.
    std::optional<bool> reviewSend(const edit::ChannelList& toSend);
    // After a completed send: with verify, receives again and shows whether the receiver holds
    // the list; without, takes the receiver to hold it for the next preview.
    void sent(bool verify, const ReceiverSettings& receiver, const edit::ChannelList& list);
    void verify(const ReceiverSettings& receiver, const edit::ChannelList& sent);

    void showBackups();
    void compareWithFile();

    ReceiverBackups& backups() { return backups_; }

    // Tests answer here instead of the dialogs. answerPreview gets the headline and report and
    // returns the choice as reviewSend does; showComparison gets a comparison's title, headline
    // and report.
    std::function<std::optional<bool>(const QString& headline, const QString& report)> answerPreview;
    std::function<void(const QString& title, const QString& headline, const QString& report)> showComparison;

private:
    void show(const QString& title, const QString& headline, const QString& report);

    MainWindow& window_;
    ReceiverBackups backups_;
    QAction* compare_;
    QAction* backupsAction_;
};

}  // namespace bv3::editor

#include "list_comparisons.h"

#include "backups_dialog.h"
#include "diff_dialog.h"
#include "main_window.h"
#include "receiver_link.h"
#include "send_preview_dialog.h"

#include "edit/list_diff.h"
#include "edit/list_diff_report.h"

#include <QAction>
#include <QFileInfo>
#include <QStatusBar>
#include <QTemporaryDir>

namespace bv3::editor {

namespace {

QString report(const edit::ListDiff& diff) {
    return QString::fromStdString(edit::diffText(diff));
}

QString summary(const edit::ListDiff& diff) {
    return QString::fromStdString(edit::diffSummary(diff));
}

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

ListComparisons::ListComparisons(MainWindow& window, std::string backupFolder)
    : window_(window),
      backups_(std::move(backupFolder)),
      compare_(new QAction(QObject::tr("Com&pare with..."), &window)),
      backupsAction_(new QAction(QObject::tr("&Backups..."), &window)) {
    compare_->setObjectName("compareWith");
    compare_->setStatusTip(QObject::tr("Show what differs between the open list and another list or a backup"));
    backupsAction_->setObjectName("backups");
    backupsAction_->setStatusTip(QObject::tr("The lists received from the receiver, kept automatically"));
    QObject::connect(compare_, &QAction::triggered, &window, [this] { compareWithFile(); });
    QObject::connect(backupsAction_, &QAction::triggered, &window, [this] { showBackups(); });
}

void ListComparisons::show(const QString& title, const QString& headline, const QString& text) {
    if (showComparison) {
        showComparison(title, headline, text);
        return;
    }
    DiffDialog dialog(title, headline, text, &window_);
    dialog.exec();
}

void ListComparisons::received(const edit::ChannelList& list) {
    try {
        const std::string path = backups_.keep(list);
        window_.statusBar()->showMessage(QObject::tr("The received list is kept in %1").arg(local(path)), 5000);
    } catch (const std::exception& failure) {
        window_.statusBar()->showMessage(QObject::tr("The received list could not be kept: %1").arg(local(failure.what())),
                                         10000);
    }
}

std::optional<bool> ListComparisons::reviewSend(const edit::ChannelList& toSend) {
    QString headline;
    QString text;
    if (const auto known = backups_.lastKnown(toSend.modelCode())) {
        const auto diff = edit::diffLists(*known->database, toSend.database());
        const QString source = local(known->source);
        if (diff.same()) {
            headline = QObject::tr("The receiver already holds this list, as far as %1 tells.").arg(source);
        } else {
            headline = QObject::tr("What the send will change on the receiver, against %1: %2.").arg(source, summary(diff));
            text = report(diff);
        }
    } else {
        headline = QObject::tr("What the receiver holds is not known (no list received from a model %1 receiver in "
                               "this session or a backup): the whole list will replace it.")
                       .arg(toSend.modelCode());
    }
    if (answerPreview) {
        return answerPreview(headline, text);
    }
    SendPreviewDialog dialog(headline, text, &window_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.verifyAfterSending();
}

void ListComparisons::sent(bool verify, const ReceiverSettings& receiver, const edit::ChannelList& list) {
    if (verify) {
        this->verify(receiver, list);
    } else {
        backups_.rememberSent(list);
    }
}

void ListComparisons::verify(const ReceiverSettings& receiver, const edit::ChannelList& sent) {
    const QString title = QObject::tr("Verify");
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        window_.prompts().showError(title, QObject::tr("Cannot create a scratch folder: %1").arg(scratch.errorString()));
        return;
    }
    window_.prompts().showInformation(
        title, QObject::tr("The list was sent. To verify it, start the upload on the receiver (STB to PC) now."));
    const QString image = scratch.filePath("verify.raw");
    const TransferOutcome outcome = window_.receiverLink().receive(receiver, image);
    if (!outcome.completed) {
        window_.prompts().showError(title, QObject::tr("The list was sent but not verified: %1")
                                               .arg(outcome.failure.isEmpty() ? QObject::tr("cancelled")
                                                                              : outcome.failure));
        return;
    }
    try {
        const auto held =
            edit::ChannelList::fromRawImageFile(image.toStdString(), receiver.configVariant, receiver.modelCode);
        received(held);
        const auto diff = edit::diffLists(sent.database(), held.database());
        if (diff.same()) {
            window_.prompts().showInformation(title, QObject::tr("The receiver holds exactly this list."));
        } else {
            show(title, QObject::tr("The receiver does not hold the list you sent: %1.").arg(summary(diff)),
                 report(diff));
        }
    } catch (const std::exception& failure) {
        window_.prompts().showError(title, QObject::tr("The list received back cannot be read:\n%1").arg(local(failure.what())));
    }
}

void ListComparisons::showBackups() {
    const edit::ChannelList* open = window_.document();
    BackupsDialog dialog(local(backups_.folder()), backups_.summaries(), open != nullptr, &window_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QString path = dialog.chosenPath();
    if (dialog.choice() == BackupsDialog::Choice::Open) {
        window_.openFile(path);
        return;
    }
    if (open == nullptr) {
        return;
    }
    try {
        const auto backup = edit::ChannelList::fromContainerFile(path.toStdString(), open->modelCode());
        const auto diff = edit::diffLists(backup.database(), open->database());
        show(QObject::tr("Compare with a backup"),
             diff.same() ? QObject::tr("The open list is the same as the backup %1.").arg(QFileInfo(path).fileName())
                         : QObject::tr("From the backup %1 to the open list: %2.")
                               .arg(QFileInfo(path).fileName(), summary(diff)),
             diff.same() ? QString() : report(diff));
    } catch (const std::exception& failure) {
        window_.prompts().showError(QObject::tr("Compare"), local(failure.what()));
    }
}

void ListComparisons::compareWithFile() {
    const edit::ChannelList* open = window_.document();
    if (open == nullptr) {
        window_.prompts().showInformation(QObject::tr("Compare"), QObject::tr("Open a list first."));
        return;
    }
    const QString path = window_.prompts().openFileName(
        QObject::tr("Compare the open list with"), QString::fromStdString(backups_.folder()),
        QObject::tr("Channel lists (*.qnf *.v3q *.fast *.raw);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    const ReceiverSettings receiver = window_.settings().receiver();
    try {
        const auto other = edit::ChannelList::fromFile(path.toStdString(), open->modelCode(),
                                                       open->configVariant().value_or(receiver.configVariant));
        const auto diff = edit::diffLists(open->database(), other.database());
        const QString name = QFileInfo(path).fileName();
        show(QObject::tr("Compare"),
             diff.same() ? QObject::tr("The open list and %1 are the same.").arg(name)
                         : QObject::tr("From the open list to %1: %2.").arg(name, summary(diff)),
             diff.same() ? QString() : report(diff));
    } catch (const std::exception& failure) {
        window_.prompts().showError(QObject::tr("Compare"), local(failure.what()));
    }
}

}  // namespace bv3::editor

#include "recovery_keeper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <vector>

namespace bv3::editor {

namespace {

// A copy is a list's text and a short header; anything far larger is not one of ours.
constexpr qint64 largestCopy = 80LL * 1024 * 1024;

QString newId() {
    static std::atomic<unsigned> serial{0};
    return QStringLiteral("editor-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(serial++);
}

RecoveryOffer readOffer(const QString& path) {
    RecoveryOffer offer{path, std::nullopt, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        offer.problem = file.errorString();
        return offer;
    }
    if (file.size() > largestCopy) {
        offer.problem = QObject::tr("it is larger than any list");
        return offer;
    }
    const QByteArray bytes = file.readAll();
    try {
        offer.copy = edit::parseRecoveryCopy(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const edit::RecoveryCopyError& refused) {
        offer.problem = QString::fromStdString(refused.what());
    }
    return offer;
}

QString sourceText(const edit::RecoveryCopy& copy) {
    const QString name = QDir::toNativeSeparators(QString::fromStdString(copy.sourceName));
    switch (copy.source) {
        case edit::RecoverySource::QnfFile:
        case edit::RecoverySource::ContainerFile:
            return QObject::tr("the list from the file \"%1\"").arg(name);
        case edit::RecoverySource::ImageFile:
            return QObject::tr("the list read from the receiver image \"%1\"").arg(name);
        case edit::RecoverySource::Receiver:
            return QObject::tr("the list received from the receiver on %1").arg(name);
        case edit::RecoverySource::NewList:
            break;
    }
    return QObject::tr("a new list");
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(QWidget* parent, QString folder)
    : parent_(parent),
      folder_(std::move(folder)),
      id_(newId()),
      lock_(folder_ + '/' + id_ + lockSuffix),
      writer_(std::make_unique<edit::RecoveryCopyWriter>(copyPath().toStdString(), interval)) {
    QDir().mkpath(folder_);
    // Held while this editor runs: the sign that its copy is not left behind. Only a process
    // that is gone leaves it to be taken, whatever its age.
    lock_.setStaleLockTime(0);
    lock_.tryLock(0);
}

RecoveryKeeper::~RecoveryKeeper() {
    writer_->remove();
}

QString RecoveryKeeper::defaultFolder() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    const QString base = !state.isEmpty() && state.startsWith('/') ? QString::fromLocal8Bit(state)
                                                                   : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/bv3-editor/recovery");
}

void RecoveryKeeper::watch(edit::ChannelList& list) {
    list_ = &list;
    source_ = edit::sourceOfList(list);
    sourceName_ = source_ == edit::RecoverySource::NewList ? std::string() : list.originPath();
    list.subscribe([this](const edit::ListChange&) { changed(); });
    changed();
}

void RecoveryKeeper::setSource(edit::RecoverySource source, const QString& name) {
    source_ = source;
    sourceName_ = name.toStdString();
    changed();
}

void RecoveryKeeper::changed() {
    if (list_ == nullptr) {
        return;
    }
    if (list_->isDirty()) {
        writer_->submit(edit::snapshotOf(*list_, source_, sourceName_));
    } else {
        writer_->remove();
    }
    if (const auto failure = writer_->takeFailure(); failure && reportFailure) {
        reportFailure(QObject::tr("The recovery copy was not written: %1").arg(QString::fromStdString(*failure)));
    }
}

bool RecoveryKeeper::offerRestore(const std::function<bool(const edit::RecoveryCopy&)>& restore) {
    struct Left {
        RecoveryOffer offer;
        std::unique_ptr<QLockFile> lock;
        qint64 written;
    };
    std::vector<Left> left;
    const QDir dir(folder_);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + copySuffix}, QDir::Files)) {
        const QString id = info.fileName().chopped(static_cast<qsizetype>(std::char_traits<char>::length(copySuffix)));
        if (id == id_) {
            continue;
        }
        auto lock = std::make_unique<QLockFile>(dir.filePath(id + lockSuffix));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            continue;  // its editor still runs and keeps it
        }
        RecoveryOffer offer = readOffer(info.filePath());
        const qint64 written = offer.copy ? offer.copy->writtenAt : info.lastModified().toSecsSinceEpoch();
        left.push_back({std::move(offer), std::move(lock), written});
    }
    std::stable_sort(left.begin(), left.end(), [](const Left& a, const Left& b) { return a.written > b.written; });
    for (Left& l : left) {
        switch (ask(l.offer)) {
            case RestoreChoice::Later:
                return false;
            case RestoreChoice::Discard:
                removeLeftCopy(l.offer.copyPath, *l.lock);
                break;
            case RestoreChoice::Restore:
                if (!l.offer.copy || !restore(*l.offer.copy)) {
                    return false;
                }
                // Our own copy of the restored list is on the disk before the left one goes.
                writer_->flush();
                removeLeftCopy(l.offer.copyPath, *l.lock);
                return true;
        }
    }
    return false;
}

void RecoveryKeeper::removeLeftCopy(const QString& copyPath, QLockFile& lock) {
    QFile::remove(copyPath);
    lock.unlock();
}

RestoreChoice RecoveryKeeper::ask(const RecoveryOffer& offer) {
    if (answerOffer) {
        return answerOffer(offer);
    }
    const auto box = offerBox(parent_, offer);
    box->exec();
    const QVariant choice = box->clickedButton() ? box->clickedButton()->property("choice") : QVariant();
    return choice.isValid() ? static_cast<RestoreChoice>(choice.toInt()) : RestoreChoice::Later;
}

QString RecoveryKeeper::offerText(const RecoveryOffer& offer) {
    const QString intro = QObject::tr("The editor did not end cleanly last time (it crashed or was stopped).");
    if (!offer.copy) {
        return intro + QObject::tr("\n\nIt left a recovery copy that cannot be read:\n%1\n(%2)")
                           .arg(QDir::toNativeSeparators(offer.copyPath), offer.problem);
    }
    const edit::RecoveryCopy& copy = *offer.copy;
    const QString when = QDateTime::fromSecsSinceEpoch(copy.writtenAt).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString steps = copy.undoPosition == 1 ? QObject::tr("1 change")
                                                 : QObject::tr("%1 changes").arg(copy.undoPosition);
    return intro + QObject::tr("\n\nIt left a recovery copy of %1 with unsaved changes (%2), written at %3.\n\n"
                               "Restore it? The list opens as unsaved; save it to keep it.")
                       .arg(sourceText(copy), steps, when);
}

std::unique_ptr<QMessageBox> RecoveryKeeper::offerBox(QWidget* parent, const RecoveryOffer& offer) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QObject::tr("Restore unsaved changes"),
                                             offerText(offer), QMessageBox::NoButton, parent);
    const auto add = [&](const QString& text, QMessageBox::ButtonRole role, RestoreChoice choice) {
        QPushButton* button = box->addButton(text, role);
        button->setProperty("choice", static_cast<int>(choice));
        return button;
    };
    if (offer.copy) {
        box->setDefaultButton(add(QObject::tr("&Restore"), QMessageBox::AcceptRole, RestoreChoice::Restore));
    }
    add(QObject::tr("&Discard"), QMessageBox::DestructiveRole, RestoreChoice::Discard);
    box->setEscapeButton(add(QObject::tr("&Later"), QMessageBox::RejectRole, RestoreChoice::Later));
    return box;
}

}  // namespace bv3::editor

#pragma once
// The editor's two trips to the receiver, through the library's own transfer dialogs and its
// download build: nothing here knows the protocol or the image formats.

#include "editor_settings.h"

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

struct TransferOutcome {
    bool completed = false;
    QString failure;            // empty when cancelled or completed
    bool portUnopened = false;  // the port would not open: failure names it and the reason
};

// The transfer dialogs, behind a seam: tests may hand the dialog to a callback (to press its
// buttons or to take its picture) before its modal loop runs. The dialogs' own message boxes
// are held back while they run here: the editor reports the outcome in one message of its own
// once the dialog is gone. A port (or file) that will not open closes the dialog at once.
class ReceiverLink {
public:
    explicit ReceiverLink(QWidget* parent) : parent_(parent) {}

    // Receives the receiver's memory into imagePath in the "STB to PC" dialog.
    TransferOutcome receive(const ReceiverSettings& settings, const QString& imagePath);
    // Serves downloadImagePath to the receiver in the "PC to STB" dialog.
    TransferOutcome send(const ReceiverSettings& settings, const QString& downloadImagePath);

    // Called with each dialog just before it runs (tests).
    std::function<void(QWidget& dialog)> beforeDialog;

private:
    QWidget* parent_;
};

// Builds the download image of db at qdfPath through the encoder named in settings. The
// build writes its temporaries into the current directory, so it runs inside a scratch
// directory of its own. Throws std::exception with a message naming the file or library.
void buildDownloadImage(const channeldb::ChannelDatabase& db, const std::string& listName,
                        const ReceiverSettings& settings, const QString& qdfPath);

}  // namespace bv3::editor

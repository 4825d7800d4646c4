#pragma once
// Receiver > Send, before the port opens: what the send will change on the receiver (the list
// it is known to hold against the list to send), and whether to verify after sending. The
// person sends or cancels.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace bv3::editor {

class SendPreviewDialog final : public QDialog {
    Q_OBJECT
public:
    // report: the comparison's text, or empty when nothing is known of the receiver's list.
    SendPreviewDialog(const QString& headline, const QString& report, QWidget* parent = nullptr);

    bool verifyAfterSending() const;
    void setVerifyAfterSending(bool verify);
    QPushButton* sendButton() const { return send_; }

private:
    QCheckBox* verify_;
    QPushButton* send_;
};

}  // namespace bv3::editor

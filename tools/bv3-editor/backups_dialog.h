#pragma once
// Receiver > Backups...: the lists kept from the receiver, newest first, with their date, model
// and counts; the person opens one or compares it with the open list.

#include "receiver_backups.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTableWidget;

namespace bv3::editor {

class BackupsDialog final : public QDialog {
    Q_OBJECT
public:
    enum class Choice { None, Open, Compare };

    // canCompare: whether a list is open to compare with.
    BackupsDialog(const QString& folder, std::vector<BackupSummary> backups, bool canCompare,
                  QWidget* parent = nullptr);

    Choice choice() const { return choice_; }
    // The chosen backup's path; empty when none.
    QString chosenPath() const;
    QTableWidget* table() const { return table_; }

private:
    void choose(Choice choice);
    void updateButtons();

    std::vector<BackupSummary> backups_;
    QTableWidget* table_;
    QPushButton* open_;
    QPushButton* compare_;
    bool canCompare_;
    Choice choice_ = Choice::None;
};

}  // namespace bv3::editor

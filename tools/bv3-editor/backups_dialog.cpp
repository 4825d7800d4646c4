#include "backups_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace bv3::editor {

namespace {

QTableWidgetItem* cell(const QString& text, bool number) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setTextAlignment(number ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
    return item;
}

}  // namespace

BackupsDialog::BackupsDialog(const QString& folder, std::vector<BackupSummary> backups, bool canCompare,
                             QWidget* parent)
    : QDialog(parent), backups_(std::move(backups)), table_(new QTableWidget), canCompare_(canCompare) {
    setWindowTitle(tr("Backups of the receiver's lists"));
    setObjectName("backupsDialog");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(backups_.empty()
                                 ? tr("No list has been received yet. Every list received from the receiver is kept "
                                      "here, the newest %1.").arg(ReceiverBackups::kept)
                                 : tr("Every list received from the receiver is kept, the newest %1, in %2.")
                                       .arg(ReceiverBackups::kept)
                                       .arg(folder));
    intro->setWordWrap(true);
    intro->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(intro);

    const QStringList headers = {tr("Received"), tr("Model"), tr("Video"), tr("Audio"), tr("Favourites")};
    table_->setObjectName("backupsTable");
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(backups_.size()));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    for (int row = 0; row < table_->rowCount(); ++row) {
        const BackupSummary& b = backups_[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, cell(QString::fromStdString(b.entry.when), false));
        table_->setItem(row, 1, cell(QString::number(b.entry.modelCode), true));
        if (b.readable) {
            table_->setItem(row, 2, cell(QString::number(b.videoCount), true));
            table_->setItem(row, 3, cell(QString::number(b.audioCount), true));
            table_->setItem(row, 4, cell(QString::number(b.favouriteCount), true));
        } else {
            table_->setItem(row, 2, cell(tr("cannot be read"), false));
        }
    }
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->resizeColumnsToContents();
    layout->addWidget(table_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    open_ = buttons->addButton(tr("&Open"), QDialogButtonBox::ActionRole);
    open_->setToolTip(tr("Open the backup as the list to edit"));
    compare_ = buttons->addButton(tr("&Compare with open list"), QDialogButtonBox::ActionRole);
    compare_->setToolTip(tr("Show what differs between the backup and the open list"));
    connect(open_, &QPushButton::clicked, this, [this] { choose(Choice::Open); });
    connect(compare_, &QPushButton::clicked, this, [this] { choose(Choice::Compare); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &BackupsDialog::updateButtons);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { choose(Choice::Open); });
    layout->addWidget(buttons);
    if (!backups_.empty()) {
        table_->selectRow(0);
    }
    updateButtons();
    resize(560, 360);
}

QString BackupsDialog::chosenPath() const {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(backups_.size())) {
        return {};
    }
    return QString::fromStdString(backups_[static_cast<std::size_t>(row)].entry.path);
}

void BackupsDialog::choose(Choice choice) {
    if (chosenPath().isEmpty()) {
        return;
    }
    choice_ = choice;
    accept();
}

void BackupsDialog::updateButtons() {
    const bool chosen = !table_->selectedItems().isEmpty();
    open_->setEnabled(chosen);
    compare_->setEnabled(chosen && canCompare_);
}

}  // namespace bv3::editor

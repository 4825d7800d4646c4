#include "findings_dock.h"

#include "counted_text.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace bv3::editor {

FindingsDock::FindingsDock(QWidget* parent) : QDockWidget(tr("Findings"), parent), tree_(new QTreeWidget) {
    setObjectName("findingsDock");
    tree_->setColumnCount(3);
    tree_->setHeaderLabels({tr("Severity"), tr("Where"), tr("Finding")});
    tree_->setRootIsDecorated(false);
    tree_->setUniformRowHeights(true);
    tree_->setAlternatingRowColors(true);
    tree_->header()->setStretchLastSection(true);
    tree_->setToolTip(tr("What the checks find in the list for the receiver model; double-click to go to the row"));
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { activate(item); });
    setWidget(tree_);
}

void FindingsDock::setFindings(const QList<FindingRow>& findings) {
    findings_ = findings;
    errors_ = 0;
    warnings_ = 0;
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    QList<QTreeWidgetItem*> items;
    const QIcon errorIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // Errors first: they are what stands between the list and the receiver.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < findings_.size(); ++i) {
            const FindingRow& f = findings_[i];
            if (f.error != (pass == 0)) {
                continue;
            }
            auto* item = new QTreeWidgetItem({f.error ? tr("error") : tr("warning"), f.where, f.message});
            item->setIcon(0, f.error ? errorIcon : warningIcon);
            item->setData(0, Qt::UserRole, i);
            item->setToolTip(2, f.message);
            items.append(item);
            (f.error ? errors_ : warnings_)++;
        }
    }
    tree_->addTopLevelItems(items);
    tree_->resizeColumnToContents(0);
    tree_->resizeColumnToContents(1);
    tree_->setUpdatesEnabled(true);
    setWindowTitle(findings_.isEmpty() ? tr("Findings: none") : tr("Findings: %1, %2")
                                                                   .arg(counted(errors_, tr("error"), tr("errors")),
                                                                        counted(warnings_, tr("warning"), tr("warnings"))));
}

void FindingsDock::activate(QTreeWidgetItem* item) {
    const int i = item->data(0, Qt::UserRole).toInt();
    if (i >= 0 && i < findings_.size()) {
        emit jumpRequested(findings_[i].target);
    }
}

}  // namespace bv3::editor

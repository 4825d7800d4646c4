#include "row_choice_delegate.h"

#include <QComboBox>

namespace bv3::editor {

QWidget* RowChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    auto* box = new QComboBox(parent);
    box->setObjectName("rowChoice");
    box->addItems(index.data(choicesRole_).toStringList());
    // The choice is taken as soon as it is made, as a drop-down in a table is expected to.
    connect(box, &QComboBox::activated, this, [this, box] {
        emit const_cast<RowChoiceDelegate*>(this)->commitData(box);
        emit const_cast<RowChoiceDelegate*>(this)->closeEditor(box);
    });
    return box;
}

void RowChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    bool ok = false;
    const int row = index.data(Qt::EditRole).toInt(&ok);
    box->setCurrentIndex(ok && row < box->count() ? row : -1);
}

void RowChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    const auto* box = static_cast<QComboBox*>(editor);
    if (box->currentIndex() >= 0) {
        model->setData(index, QString::number(box->currentIndex()), Qt::EditRole);
    }
}

}  // namespace bv3::editor

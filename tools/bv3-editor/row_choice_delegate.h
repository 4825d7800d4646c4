#pragma once
// The editor of a service's provider or TS cell: a drop-down of the rows by name, so that a
// person picks a provider rather than typing its row number.

#include <QStyledItemDelegate>

namespace bv3::editor {

class RowChoiceDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // choicesRole: the model's role that lists the rows ("row: name"); the edit role holds the row.
    RowChoiceDelegate(int choicesRole, QObject* parent) : QStyledItemDelegate(parent), choicesRole_(choicesRole) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    int choicesRole_;
};

}  // namespace bv3::editor

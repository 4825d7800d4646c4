#pragma once
// Shows a comparison of two lists: a headline saying what was compared, and the short grouped
// report of the editing core under it.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace bv3::editor {

class DiffDialog final : public QDialog {
    Q_OBJECT
public:
    DiffDialog(const QString& title, const QString& headline, const QString& report, QWidget* parent = nullptr);

    QString headline() const;
    QString report() const;

private:
    QLabel* headline_;
    QPlainTextEdit* report_;
};

}  // namespace bv3::editor

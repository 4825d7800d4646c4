#pragma once
// The question before ordering a list like a reference: what becomes of the services the
// reference lacks, and whether the reference's favourite lists come along.

#include "user_prompts.h"

#include <QDialog>

class QCheckBox;

namespace bv3::editor {

class ReorderDialog final : public QDialog {
public:
    ReorderDialog(const QString& referenceName, ReorderChoice proposed, QWidget* parent);

    ReorderChoice choice() const;

private:
    QCheckBox* dropUnmatched_;
    QCheckBox* carryFavourites_;
};

}  // namespace bv3::editor

#include "reorder_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv3::editor {

ReorderDialog::ReorderDialog(const QString& referenceName, ReorderChoice proposed, QWidget* parent)
    : QDialog(parent),
      dropUnmatched_(new QCheckBox(tr("&Remove the services the reference does not have"))),
      carryFavourites_(new QCheckBox(tr("&Carry the reference's favourites over"))) {
    setWindowTitle(tr("Reorder like a reference"));
    auto* text = new QLabel(tr("The services are put into the order of \"%1\". They are matched by kind, name and "
                               "transport stream; a renamed service by its service numbers and transport stream.")
                                .arg(referenceName));
    text->setWordWrap(true);
    dropUnmatched_->setObjectName("dropUnmatched");
    dropUnmatched_->setChecked(proposed.dropUnmatched);
    dropUnmatched_->setToolTip(tr("Unticked, they are kept after the matched ones"));
    carryFavourites_->setObjectName("carryFavourites");
    carryFavourites_->setChecked(proposed.carryFavourites);
    carryFavourites_->setToolTip(tr("This list's favourite lists become the reference's, entry by entry where the "
                                    "entry's service matched; the others are left out"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Reorder"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(dropUnmatched_);
    layout->addWidget(carryFavourites_);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

ReorderChoice ReorderDialog::choice() const {
    return {.dropUnmatched = dropUnmatched_->isChecked(), .carryFavourites = carryFavourites_->isChecked()};
}

}  // namespace bv3::editor

#include "transfer/qt/upload_dialog.h"

#include "ui/qt/form_font.h"

namespace bv3::transfer {

TfrmUpLoad::TfrmUpLoad() : TransferDialog(uploadForm) {
    timer1_.setObjectName(ui::formText(uploadForm.timer1->name));
    timer1_.setInterval(static_cast<int>(uploadForm.timer1->intervalMs));
    connect(&timer1_, &QTimer::timeout, this, [this] { controller_.Timer1Timer(); });
}

void TfrmUpLoad::setTimer1(bool running) {
    if (running) {
        timer1_.start();
    } else {
        timer1_.stop();
    }
}

}  // namespace bv3::transfer

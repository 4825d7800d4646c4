#include "settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace bv3::editor {

std::optional<std::uint32_t> parseHeaderId(const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qulonglong value = trimmed.startsWith("0x", Qt::CaseInsensitive) ? trimmed.mid(2).toULongLong(&ok, 16)
                                                                           : trimmed.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

SettingsDialog::SettingsDialog(const ReceiverSettings& settings, const QStringList& ports, QWidget* parent)
    : QDialog(parent),
      port_(new QComboBox),
      baud_(new QComboBox),
      model_(new QSpinBox),
      variant_(new QSpinBox),
      headerId_(new QLineEdit),
      encoder_(new QLineEdit),
      keepFavourites_(new QCheckBox(tr("&Keep favourite entries as they are"))) {
    setWindowTitle(tr("Receiver settings"));
    port_->setEditable(true);
    port_->addItems(ports);
    port_->setCurrentText(settings.port);
    port_->setToolTip(tr("The serial port the receiver is connected to: Com1..Com4 or a device"));
    for (std::uint32_t rate : supportedBaudRates()) {
        baud_->addItem(QString::number(rate), rate);
    }
    baud_->setCurrentIndex(std::max(0, baud_->findData(settings.baud)));
    baud_->setToolTip(tr("The line rate the receiver is set to"));
    model_->setRange(0, 5);
    model_->setValue(settings.modelCode);
    model_->setToolTip(tr("The receiver model (0..5): decides capacities and how channel numbers are kept"));
    variant_->setRange(0, 255);
    variant_->setValue(settings.configVariant);
    variant_->setToolTip(tr("The configuration variant of the receiver's settings area"));
    headerId_->setText("0x" + QString::number(settings.headerId, 16).rightJustified(8, '0').toUpper());
    headerId_->setToolTip(tr("The header ID written into the download image (decimal or 0x-hex)"));
    encoder_->setText(settings.encoder);
    encoder_->setToolTip(tr("The encoder library that builds the download image"));
    keepFavourites_->setChecked(settings.keepFavouriteEntries);
    keepFavourites_->setToolTip(tr("Off (the default): a renumbering, sort, move or delete rewrites the favourite "
                                   "entries so that each keeps naming its service.\nOn: the entries stay as they "
                                   "are, and the findings show each one that now names another service."));
    auto* browse = new QPushButton(tr("Browse..."));
    browse->setToolTip(tr("Choose the encoder library"));
    connect(browse, &QPushButton::clicked, this, &SettingsDialog::chooseEncoder);
    auto* encoderRow = new QHBoxLayout;
    encoderRow->addWidget(encoder_, 1);
    encoderRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(tr("&Port:"), port_);
    form->addRow(tr("&Baud:"), baud_);
    form->addRow(tr("&Model:"), model_);
    form->addRow(tr("&Variant:"), variant_);
    form->addRow(tr("&Header ID:"), headerId_);
    // A label beside a layout needs its buddy named, or it shows the "&" itself.
    auto* encoderLabel = new QLabel(tr("&Encoder:"));
    encoderLabel->setBuddy(encoder_);
    form->addRow(encoderLabel, encoderRow);
    form->addRow(tr("Favourites:"), keepFavourites_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

ReceiverSettings SettingsDialog::settings() const {
    ReceiverSettings s;
    s.port = port_->currentText().trimmed();
    s.baud = baud_->currentData().toUInt();
    s.modelCode = static_cast<std::uint8_t>(model_->value());
    s.configVariant = static_cast<std::uint8_t>(variant_->value());
    s.headerId = parseHeaderId(headerId_->text()).value_or(0);
    s.encoder = encoder_->text().trimmed();
    s.keepFavouriteEntries = keepFavourites_->isChecked();
    return s;
}

void SettingsDialog::accept() {
    if (!parseHeaderId(headerId_->text())) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The header ID \"%1\" is not a 32-bit number (decimal or 0x-hex).").arg(headerId_->text()));
        headerId_->setFocus();
        return;
    }
    if (port_->currentText().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), tr("Choose the serial port the receiver is connected to."));
        port_->setFocus();
        return;
    }
    QDialog::accept();
}

void SettingsDialog::chooseEncoder() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Encoder library"), encoder_->text(),
                                                      tr("Libraries (*.so *.dll);;All files (*)"));
    if (!file.isEmpty()) {
        encoder_->setText(file);
    }
}

}  // namespace bv3::editor

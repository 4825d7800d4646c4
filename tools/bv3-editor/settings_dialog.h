#pragma once
// Receiver > Settings: the port, the rate, the model, the variant, the header ID of the
// download image, the encoder library, and whether favourite entries stay raw.

#include "editor_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace bv3::editor {

class SettingsDialog final : public QDialog {
public:
    SettingsDialog(const ReceiverSettings& settings, const QStringList& ports, QWidget* parent = nullptr);

    // The values as the person left them (valid after accept()).
    ReceiverSettings settings() const;

    QComboBox* portBox() const { return port_; }
    QLineEdit* headerIdField() const { return headerId_; }

    void accept() override;

private:
    void chooseEncoder();

    QComboBox* port_;
    QComboBox* baud_;
    QSpinBox* model_;
    QSpinBox* variant_;
    QLineEdit* headerId_;
    QLineEdit* encoder_;
    QCheckBox* keepFavourites_;
};

// "0x12345678" or "305419896" as a 32-bit number; empty for anything else.
std::optional<std::uint32_t> parseHeaderId(const QString& text);

}  // namespace bv3::editor

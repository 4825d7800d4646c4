#pragma once
// What the editor remembers between runs (QSettings): the receiver link, the model and variant
// each raw image was opened with, the recent files, and the window's layout.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QSettings;

namespace bv3::editor {

struct ReceiverSettings {
    QString port = QStringLiteral("Com1");  // "Com1".."Com4" or a device path
    std::uint32_t baud = 115200;
    std::uint8_t modelCode = 4;
    std::uint8_t configVariant = 3;
    std::uint32_t headerId = 0x12345678;
    // The encoder library: a bare name is found beside the program, a path is taken as it is.
    QString encoder = QStringLiteral("tqrdll12.dll");
    // Leave favourite entries as they are when an edit would have them name other services
    // (by default they follow their services).
    bool keepFavouriteEntries = false;

    bool operator==(const ReceiverSettings&) const = default;
};

// The model and variant a raw image stands for; a raw image does not say itself.
struct ImageKind {
    std::uint8_t modelCode = 4;
    std::uint8_t configVariant = 3;
};

inline constexpr int recentFileLimit = 8;

class EditorSettings {
public:
    // Uses the application's QSettings (organisation and application name set in main).
    EditorSettings();
    ~EditorSettings();
    EditorSettings(const EditorSettings&) = delete;
    EditorSettings& operator=(const EditorSettings&) = delete;

    // A stored model, variant or baud rate out of range reads as its default; each such
    // fallback adds a sentence to corrections when it is given.
    ReceiverSettings receiver(QStringList* corrections = nullptr) const;
    void setReceiver(const ReceiverSettings& settings);

    std::optional<ImageKind> imageKind(const QString& path) const;
    void setImageKind(const QString& path, ImageKind kind);

    QStringList recentFiles() const;
    // Puts path first, drops it from further down and keeps at most recentFileLimit.
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);

    QByteArray value(const QString& key) const;
    void setValue(const QString& key, const QByteArray& value);

private:
    QSettings* settings_;
};

// The rates the receiver speaks.
const QList<std::uint32_t>& supportedBaudRates();

// "Com1".."Com4" followed by the serial devices present under /dev (ttyS*, ttyUSB*, ttyACM*,
// rfcomm*), as the port chooser offers them.
QStringList availablePorts(const QString& devDirectory = QStringLiteral("/dev"));

}  // namespace bv3::editor

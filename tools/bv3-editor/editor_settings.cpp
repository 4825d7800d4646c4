#include "editor_settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace bv3::editor {

namespace {

QString kindKey(const QString& path) {
    // Paths hold characters QSettings treats as separators; a hash is a safe key.
    const QByteArray absolute = QFileInfo(path).absoluteFilePath().toUtf8();
    return QStringLiteral("imageKinds/") +
           QString::fromLatin1(QCryptographicHash::hash(absolute, QCryptographicHash::Sha1).toHex());
}

}  // namespace

EditorSettings::EditorSettings() : settings_(new QSettings) {}

EditorSettings::~EditorSettings() {
    delete settings_;
}

ReceiverSettings EditorSettings::receiver(QStringList* corrections) const {
    ReceiverSettings defaults;
    ReceiverSettings s;
    // A stored value out of range (a hand-edited or foreign settings file) falls back to the
    // default, never to the nearest value: model 9 is no receiver, and model 5 would be the
    // wrong one. Each such fallback is told, so the person can check the settings.
    const auto fallBack = [&](const char* what, const QString& stored, const QString& used) {
        if (corrections != nullptr) {
            corrections->append(QStringLiteral("%1 %2 is out of range; using %3").arg(what, stored, used));
        }
    };
    s.port = settings_->value("receiver/port", defaults.port).toString();
    const QVariant baud = settings_->value("receiver/baud", defaults.baud);
    s.baud = baud.toUInt();
    if (!supportedBaudRates().contains(s.baud)) {
        fallBack("baud rate", baud.toString(), QString::number(defaults.baud));
        s.baud = defaults.baud;
    }
    const QVariant model = settings_->value("receiver/model", defaults.modelCode);
    bool ok = false;
    const unsigned modelCode = model.toUInt(&ok);
    s.modelCode = ok && modelCode <= 5 ? static_cast<std::uint8_t>(modelCode) : defaults.modelCode;
    if (s.modelCode != modelCode || !ok) {
        fallBack("model", model.toString(), QString::number(defaults.modelCode));
    }
    const QVariant variant = settings_->value("receiver/variant", defaults.configVariant);
    const unsigned configVariant = variant.toUInt(&ok);
    s.configVariant = ok && configVariant <= 255 ? static_cast<std::uint8_t>(configVariant) : defaults.configVariant;
    if (s.configVariant != configVariant || !ok) {
        fallBack("variant", variant.toString(), QString::number(defaults.configVariant));
    }
    s.headerId = settings_->value("receiver/headerId", defaults.headerId).toUInt();
    s.encoder = settings_->value("receiver/encoder", defaults.encoder).toString();
    s.keepFavouriteEntries = settings_->value("editing/keepFavouriteEntries", false).toBool();
    return s;
}

void EditorSettings::setReceiver(const ReceiverSettings& s) {
    settings_->setValue("receiver/port", s.port);
    settings_->setValue("receiver/baud", s.baud);
    settings_->setValue("receiver/model", s.modelCode);
    settings_->setValue("receiver/variant", s.configVariant);
    settings_->setValue("receiver/headerId", s.headerId);
    settings_->setValue("receiver/encoder", s.encoder);
    settings_->setValue("editing/keepFavouriteEntries", s.keepFavouriteEntries);
}

std::optional<ImageKind> EditorSettings::imageKind(const QString& path) const {
    const QString key = kindKey(path);
    if (!settings_->contains(key + "/model")) {
        return std::nullopt;
    }
    return ImageKind{static_cast<std::uint8_t>(std::min(5u, settings_->value(key + "/model").toUInt())),
                     static_cast<std::uint8_t>(std::min(255u, settings_->value(key + "/variant").toUInt()))};
}

void EditorSettings::setImageKind(const QString& path, ImageKind kind) {
    const QString key = kindKey(path);
    settings_->setValue(key + "/model", kind.modelCode);
    settings_->setValue(key + "/variant", kind.configVariant);
}

QStringList EditorSettings::recentFiles() const {
    return settings_->value("recentFiles").toStringList();
}

void EditorSettings::addRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > recentFileLimit) {
        files.removeLast();
    }
    settings_->setValue("recentFiles", files);
}

void EditorSettings::removeRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(QFileInfo(path).absoluteFilePath());
    settings_->setValue("recentFiles", files);
}

QByteArray EditorSettings::value(const QString& key) const {
    return settings_->value(key).toByteArray();
}

void EditorSettings::setValue(const QString& key, const QByteArray& value) {
    settings_->setValue(key, value);
}

const QList<std::uint32_t>& supportedBaudRates() {
    static const QList<std::uint32_t> rates{115200, 57600, 38400, 19200, 9600};
    return rates;
}

QStringList availablePorts(const QString& devDirectory) {
    QStringList ports{"Com1", "Com2", "Com3", "Com4"};
    const QDir dev(devDirectory);
    const QStringList found =
        dev.entryList({"ttyS*", "ttyUSB*", "ttyACM*", "rfcomm*"}, QDir::System | QDir::Files | QDir::NoDotAndDotDot,
                      QDir::Name);
    for (const QString& name : found) {
        ports << dev.absoluteFilePath(name);
    }
    return ports;
}

}  // namespace bv3::editor

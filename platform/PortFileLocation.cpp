#include "PortFileLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "RegularFile.h"

namespace {

constexpr char kFileName[] = "qzmcconfig.ini";
// The window's application name, which names its configuration folder.
constexpr char kWindowFolder[] = "Vexa";
// The carried-over file is small; anything longer is not a port file worth copying whole.
constexpr qint64 kCarryLimit = 4096;

bool Exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// NewOnly: never replaces what is there, and never follows a link to create a file elsewhere.
void CarryOver(const QString& from, const QString& to) {
    const auto read = ReadRegularFile(from, kCarryLimit);
    const auto* bytes = std::get_if<QByteArray>(&read);
    if (!bytes || !QDir().mkpath(QFileInfo(to).absolutePath())) return;
    QFile file(to);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return;
    if (file.write(*bytes) != bytes->size()) {
        file.close();
        file.remove();  // a partial copy would hide the legacy file's port
    }
}

}  // namespace

QString ConfiguredPortFilePath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("%1/%2").arg(QLatin1String(kWindowFolder),
                                                             QLatin1String(kFileName)));
}

QString LegacyPortFilePath() { return QDir::current().filePath(QLatin1String(kFileName)); }

PortFile WindowPortFile(const QString& chosen) {
    if (!chosen.isEmpty()) return PortFile(chosen);
    const QString configured = ConfiguredPortFilePath();
    if (!Exists(configured) && Exists(LegacyPortFilePath()))
        CarryOver(LegacyPortFilePath(), configured);
    return PortFile(configured);
}

PortFile CommandLinePortFile(const QString& chosen) {
    if (!chosen.isEmpty()) return PortFile(chosen);
    const QString configured = ConfiguredPortFilePath();
    if (!Exists(configured) && Exists(LegacyPortFilePath())) return PortFile(LegacyPortFilePath());
    return PortFile(configured);
}

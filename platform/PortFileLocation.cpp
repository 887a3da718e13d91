#include "PortFileLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>
#include <utility>

#include "KeptFiles.h"

namespace {

constexpr char kFileName[] = "qzmcconfig.ini";
// The window's application name, which names its configuration folder.
constexpr char kWindowFolder[] = "Vexa";
// All a port file holds: the port number in two bytes.
constexpr qint64 kPortFileBytes = 2;

bool Exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Only the port's two bytes are copied, from a regular file in the current directory that is
// not a link: whatever a link there leads to stays where it is. What is there already is never
// replaced. A source that is refused is named in the debug log, once per run.
void CarryOver(const QString& from, const QString& to) {
    const auto read = ReadKeptFile(from, kPortFileBytes);
    if (const auto* refusal = std::get_if<FileRefusal>(&read)) {
        static bool named = false;
        if (!std::exchange(named, true) && refusal->kind != FileRefusal::Kind::Missing)
            qWarning().noquote() << QStringLiteral("%1 was not carried over to %2: %3")
                                        .arg(from, to, refusal->reason);
        return;
    }
    if (const auto problem = WriteKeptFile(to, std::get<QByteArray>(read)))
        qWarning().noquote()
            << QStringLiteral("%1 was not carried over to %2: %3").arg(from, to, *problem);
}

}  // namespace

QString ConfiguredPortFilePath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(
        QStringLiteral("%1/%2").arg(QLatin1String(kWindowFolder), QLatin1String(kFileName)));
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

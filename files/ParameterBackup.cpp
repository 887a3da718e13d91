#include "ParameterBackup.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "FileTexts.h"
#include "ParameterExport.h"

namespace {

// Backups sort by name in the order they were taken: the name starts with the date and time.
const QString kPattern = QStringLiteral("2*_before-*.txt");

}  // namespace

QString DefaultBackupFolder(bool demo) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = data + QStringLiteral("/Vexa/backups");
    return demo ? folder + QStringLiteral("/demo") : folder;
}

QString BackupOutcome::Describe(bool english) const {
    switch (kind) {
        case Kind::Written:
            return texts::kBackupWritten.In(english).arg(QDir::toNativeSeparators(path));
        case Kind::NoReadBack:
            return texts::kBackupNoReadBack.In(english);
        case Kind::Failed:
            return texts::kBackupFailed.In(english).arg(QDir::toNativeSeparators(path), reason);
    }
    return {};
}

BackupOutcome ParameterBackup::Write(const BackupSource& source, const QString& action,
                                     const QDateTime& now) const {
    BackupOutcome outcome;
    if (!source.complete) return outcome;
    outcome.kind = BackupOutcome::Kind::Failed;
    const QString stem =
        now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QStringLiteral("_before-") + action;
    outcome.path = QDir(m_folder).filePath(stem + QStringLiteral(".txt"));
    if (!QDir().mkpath(m_folder)) {
        outcome.reason = QStringLiteral("cannot create the folder %1").arg(m_folder);
        return outcome;
    }
    outcome.path = FreeName(stem);
    const QByteArray bytes = ParameterFileBytes(source.cache, source.portNumber, source.fwVersion);
    if (const std::optional<QString> reason = SaveParameterFile(outcome.path, bytes)) {
        outcome.reason = *reason;
        return outcome;
    }
    outcome.kind = BackupOutcome::Kind::Written;
    RemoveOldest();
    return outcome;
}

QString ParameterBackup::FreeName(const QString& stem) const {
    const QDir folder(m_folder);
    QString path = folder.filePath(stem + QStringLiteral(".txt"));
    for (int n = 2; QFile::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2.txt").arg(stem).arg(n));
    return path;
}

void ParameterBackup::RemoveOldest() const {
    QDir folder(m_folder);
    const QStringList names = folder.entryList({kPattern}, QDir::Files, QDir::Name);
    for (qsizetype i = 0; i + kKept < names.size(); ++i) folder.remove(names[i]);
}

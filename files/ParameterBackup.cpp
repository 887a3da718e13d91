#include "ParameterBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <optional>
#include <vector>

#include "FileTexts.h"
#include "KeptFiles.h"
#include "ParameterExport.h"

namespace {

// A backup's whole name: date and time, the port where known, the action, the number a later
// writer of the same second added.
const QRegularExpression kBackupName(
    QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})(_COM\\d{1,3})?_before-[a-z]+(?:-(["
                   "1-9]\\d{0,3}))?\\.txt$"));
const QString kDateFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");

bool IsBackupName(const QString& name) {
    const QRegularExpressionMatch match = kBackupName.match(name);
    if (!match.hasMatch()) return false;
    const QString taken = match.captured(1);
    return QDate::fromString(taken.left(10), QStringLiteral("yyyy-MM-dd")).isValid() &&
           QTime::fromString(taken.mid(11), QStringLiteral("HH-mm-ss")).isValid();
}

// When a backup was written, by the system's account (its change time, which no program can
// set back), whatever date its name carries. A time later than the moment of rotation comes
// from a clock that was once ahead: such a backup counts as older than every other, so that
// it never pushes out one written since.
struct WrittenAt {
    bool future = false;
    qint64 seconds = 0;
    long nanoseconds = 0;
    QString name;

    bool operator<(const WrittenAt& other) const {
        if (future != other.future) return future;
        if (seconds != other.seconds) return seconds < other.seconds;
        if (nanoseconds != other.nanoseconds) return nanoseconds < other.nanoseconds;
        return name < other.name;
    }
};

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

BackupSource BackupSource::FromReadBack(const ReadBackRecord& record, std::span<const int> cache,
                                        int fwVersion, int portNumber) {
    return {record.IsComplete(), cache, portNumber, fwVersion};
}

BackupOutcome ParameterBackup::Write(const BackupSource& source, const QString& action,
                                     const QDateTime& now) const {
    BackupOutcome outcome;
    if (!source.complete) return outcome;
    QString stem = now.toString(kDateFormat);
    if (source.portNumber > 0) stem += QStringLiteral("_COM%1").arg(source.portNumber);
    stem += QStringLiteral("_before-") + action;
    const QByteArray bytes = ParameterFileBytes(source.cache, source.portNumber, source.fwVersion);
    const NewKeptFile written = WriteNewKeptFile(
        m_folder,
        [&](int n) {
            return n == 1 ? stem + QStringLiteral(".txt")
                          : QStringLiteral("%1-%2.txt").arg(stem).arg(n);
        },
        bytes, m_calls);
    outcome.path = written.path;
    if (written.problem) {
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = *written.problem;
        return outcome;
    }
    outcome.kind = BackupOutcome::Kind::Written;
    RemoveOldest(QFileInfo(written.path).fileName(), now);
    return outcome;
}

void ParameterBackup::RemoveOldest(const QString& keep, const QDateTime& now) const {
    QDir folder(m_folder);
    const qint64 nowSeconds = now.toSecsSinceEpoch();
    std::vector<WrittenAt> others;
    for (const QString& name : folder.entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden)) {
        if (name == keep || !IsBackupName(name)) continue;
        const std::optional<ChangeTime> changed = KeptFileChangeTime(folder.filePath(name));
        if (!changed) continue;
        others.push_back(
            {changed->seconds > nowSeconds, changed->seconds, changed->nanoseconds, name});
    }
    // The one just written counts among the kept.
    const std::size_t keptOthers = keep.isEmpty() ? kKept : kKept - 1;
    if (others.size() <= keptOthers) return;
    std::sort(others.begin(), others.end());
    for (std::size_t i = 0; i + keptOthers < others.size(); ++i) folder.remove(others[i].name);
}

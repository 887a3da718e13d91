#include "ParameterBackup.h"

#include <QDir>
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

// The order backups were taken in, as far as their names tell: the date and time, then the
// number a second writer of that second added.
struct BackupAge {
    QString taken;  // "yyyy-MM-dd_HH-mm-ss" sorts as the time it names
    int number = 1;
    QString name;

    bool operator<(const BackupAge& other) const {
        if (taken != other.taken) return taken < other.taken;
        if (number != other.number) return number < other.number;
        return name < other.name;
    }
};

std::optional<BackupAge> AgeOf(const QString& name) {
    const QRegularExpressionMatch match = kBackupName.match(name);
    if (!match.hasMatch()) return std::nullopt;
    const QString taken = match.captured(1);
    if (!QDate::fromString(taken.left(10), QStringLiteral("yyyy-MM-dd")).isValid() ||
        !QTime::fromString(taken.mid(11), QStringLiteral("HH-mm-ss")).isValid())
        return std::nullopt;
    const int number = match.captured(3).isEmpty() ? 1 : match.captured(3).toInt();
    return BackupAge{taken, number, name};
}

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
    RemoveOldest(QFileInfo(written.path).fileName());
    return outcome;
}

void ParameterBackup::RemoveOldest(const QString& keep) const {
    QDir folder(m_folder);
    std::vector<BackupAge> others;
    for (const QString& name : folder.entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden)) {
        if (name == keep) continue;
        if (std::optional<BackupAge> age = AgeOf(name)) others.push_back(*age);
    }
    // The one just written counts among the kept.
    const std::size_t keptOthers = keep.isEmpty() ? kKept : kKept - 1;
    if (others.size() <= keptOthers) return;
    std::sort(others.begin(), others.end());
    for (std::size_t i = 0; i + keptOthers < others.size(); ++i) folder.remove(others[i].name);
}

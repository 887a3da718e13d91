// The files Vexa keeps for itself (the port file, folders.ini, a backup, the debug log, a live
// recording) against what a hostile folder may hold where each is written. Each write lands
// whole, goes beside (a backup's name is its own), is refused with a reason, or (the debug log)
// is skipped; whatever was there stays as it was, nothing hangs, and no part file is left.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "AppendLog.h"
#include "FakeClock.h"
#include "GoldenFile.h"
#include "LiveCsv.h"
#include "LiveRecording.h"
#include "ParameterBackup.h"
#include "PortFile.h"
#include "RecentFolders.h"

namespace {

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

struct Found {
    mode_t type = 0, mode = 0;  // type 0: nothing there
    QByteArray bytes;           // a regular file's
    QString link;
    bool operator==(const Found&) const = default;
};

Found Look(const QString& path) {
    struct stat info {};
    if (::lstat(Name(path).constData(), &info) != 0) return {};
    QFile file(path);
    const bool regular = S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly);
    return {info.st_mode & S_IFMT, info.st_mode & 07777, regular ? file.readAll() : QByteArray(),
            QFileInfo(path).symLinkTarget()};
}

void Put(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ::chmod(Name(path).constData(), mode);
}

// A disk that takes the first three bytes of a file and then is full.
WriteCalls FullDisk() {
    auto taken = std::make_shared<std::size_t>(0);
    return {[taken](int fd, const char* data, std::size_t size) -> long {
                if (*taken >= 3) return errno = ENOSPC, -1;
                const long n = long(::write(fd, data, std::min<std::size_t>(size, 3 - *taken)));
                if (n > 0) *taken += std::size_t(n);
                return n;
            },
            [](int) { return 0; }};
}

using Write = std::function<std::optional<QString>(const QString& path, const WriteCalls*)>;
struct KeptFile {
    QString fileName;
    Write write;
    QByteArray marker;  // what a written one holds
};

std::vector<KeptFile> KeptFiles() {
    const auto cache = GoldenCache();
    const QDateTime noon(QDate(2026, 12, 8), QTime(14, 3, 22));
    return {
        {"qzmcconfig.ini", [](auto& path, auto calls) { return PortFile(path).Write(7, calls); },
         QByteArray("7\0", 2)},
        {"folders.ini",
         [](auto& path, auto calls) {
             return RecentFolders(path, calls).Remember(FileKind::Firmware, "/opt/images/fw.bin");
         },
         "firmware=/opt/images"},
        {QStringLiteral("2026-12-08_14-03-22_COM%1_before-upgrade.txt").arg(kGoldenPort),
         [cache, noon](auto& path, auto calls) -> std::optional<QString> {
             const BackupOutcome outcome = ParameterBackup(QFileInfo(path).absolutePath(), calls)
                                               .Write({true, cache, kGoldenPort, 1218}, "upgrade", noon);
             if (outcome.kind == BackupOutcome::Kind::Written) return std::nullopt;
             return outcome.reason;
         },
         GoldenFileBytes().left(40)},
        {"vexa.log",
         [](auto& path, auto calls) {
             AppendLog(Name(path), AppendLog::kDefaultLimit, calls).Append("warning: kept");
             return std::optional<QString>();
         },
         "warning: kept"},
        {"LiveData.csv",
         [](auto& path, auto calls) -> std::optional<QString> {
             FakeClock clock;
             QString error;
             if (live_csv::Save(LiveRecording(clock), path, &error, calls)) return std::nullopt;
             return error;
         },
         live_csv::Header()},
    };
}

// Puts a situation in the scratch folder; returns the folder the kept file goes in.
using Prepare = std::function<QString(const QString& scratch, const QString& fileName)>;

Prepare LinkTo(const char* target) {
    return [target](const QString& scratch, const QString& name) {
        QFile::link(QDir(scratch).filePath(target), QDir(scratch).filePath(name));
        return scratch;
    };
}

Prepare Node(mode_t type) {  // a device node needs root: elsewhere its row is skipped
    return [type](const QString& scratch, const QString& name) {
        const QByteArray path = Name(QDir(scratch).filePath(name));
        return ::mknod(path.constData(), type | 0644, makedev(1, 3)) == 0 ? scratch : QString();
    };
}

QString OldFile(const QString& scratch, const QString& name) {
    Put(QDir(scratch).filePath(name), "old bytes\n", 0640);
    return scratch;
}

// Even root may not create a file in /proc/self/fdinfo; anyone else is kept out of a 0555 folder.
QString ReadOnlyFolder(const QString& scratch, const QString&) {
    QDir(scratch).mkdir("ro");
    ::chmod(Name(scratch + "/ro").constData(), 0555);
    return ::geteuid() == 0 ? QStringLiteral("/proc/self/fdinfo") : scratch + "/ro";
}

struct Situation {
    const char* what;
    Prepare prepare;
    bool fullDisk;
    // Per kept file: Written whole, Beside (a backup's next free name), Refused with a reason,
    // Skipped silently (the log); but for W, what was there stays.
    const char* expect;
};

const Situation kSituations[] = {
    {"a regular file", OldFile, false, "WWBWW"},
    {"no folder yet", [](auto& scratch, auto&) { return scratch + "/new/deeper"; }, false, "WWWWR"},
    {"a link to a secret", LinkTo("secret"), false, "RRBSR"},
    {"a dangling link", LinkTo("nowhere"), false, "RRBSR"},
    {"a FIFO", Node(S_IFIFO), false, "RRBSR"},
    {"a device node", Node(S_IFCHR), false, "RRBSR"},
    {"a folder that takes no file", ReadOnlyFolder, false, "RRRSR"},
    {"a full disk", OldFile, true, "RRRSR"},
};

TEST(KeptFiles, EachKeptFileIsWrittenWholeOrNotAtAllWhateverIsInItsPlace) {
    const std::vector<KeptFile> keptFiles = KeptFiles();
    for (const Situation& situation : kSituations) {
        for (std::size_t k = 0; k < keptFiles.size(); ++k) {
            const KeptFile& kept = keptFiles[k];
            const std::string row = kept.fileName.toStdString() + " / " + situation.what;
            QTemporaryDir scratch;
            const QString secretPath = scratch.filePath(QStringLiteral("secret"));
            Put(secretPath, "secret\n", 0600);
            const QString folder = situation.prepare(scratch.path(), kept.fileName);
            if (folder.isEmpty()) continue;  // cannot be made here
            const QString path = QDir(folder).filePath(kept.fileName);
            const Found before = Look(path), secret = Look(secretPath);
            const WriteCalls full = FullDisk();
            QElapsedTimer clock;
            clock.start();
            const std::optional<QString> problem = kept.write(path, situation.fullDisk ? &full : nullptr);
            EXPECT_LT(clock.elapsed(), 1000) << row;  // a FIFO or a device never holds it up
            const Found after = Look(path);
            const char expect = situation.expect[k];
            EXPECT_EQ(problem.has_value(), expect == 'R') << row;
            if (expect == 'W') {
                EXPECT_EQ(after.type, mode_t(S_IFREG)) << row;
                EXPECT_TRUE(after.bytes.contains(kept.marker)) << row;
                // A replaced file keeps its mode; a new one is the user's alone, so are its folders.
                EXPECT_EQ(after.mode, before.type != 0 ? before.mode : mode_t(0600)) << row;
                if (before.type == 0) {
                    EXPECT_EQ(Look(folder).mode, mode_t(0700)) << row;
                    EXPECT_EQ(Look(folder + "/..").mode, mode_t(0700)) << row;
                }
            } else if (expect == 'S') {  // the log may leave a few bytes, never its line
                EXPECT_EQ(after.type, before.type) << row;
                EXPECT_FALSE(after.bytes.contains(kept.marker)) << row;
            } else {
                EXPECT_EQ(after, before) << row;
            }
            const QString beside = QString(path).replace(".txt", "-2.txt");  // a backup's next name
            EXPECT_TRUE(expect != 'B' || Look(beside).bytes.contains(kept.marker)) << row;
            EXPECT_NE(problem.value_or("?"), "") << row;  // a refusal always says why
            // What a link pointed to is never read into a kept file nor written.
            EXPECT_EQ(Look(secretPath), secret) << row;
            EXPECT_FALSE(QFileInfo::exists(scratch.filePath(QStringLiteral("nowhere")))) << row;
            EXPECT_EQ(QDir(folder).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList())
                << row;
        }
    }
}

}  // namespace

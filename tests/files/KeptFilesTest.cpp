// The files Vexa keeps for itself (the port file, folders.ini, a backup, the debug log, a live
// recording) against what a hostile folder may hold where each is written: a regular file, no
// folder, a link (dangling or not), a FIFO, a device node, a folder that takes no file, a full
// disk. Each write either lands whole, goes beside (a backup's name is its own), is refused
// with a reason, or (the debug log) is skipped; whatever was there stays as it was, nothing
// hangs, and no part file is left.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <iostream>
#include <memory>

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
    mode_t type = 0;  // 0: nothing there
    mode_t mode = 0;
    QByteArray bytes;  // a regular file's
    QString linkTarget;

    bool operator==(const Found&) const = default;
};

Found Look(const QString& path) {
    Found found;
    struct stat info {};
    if (::lstat(Name(path).constData(), &info) != 0) return found;
    found.type = info.st_mode & S_IFMT;
    found.mode = info.st_mode & 07777;
    if (S_ISREG(info.st_mode)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) found.bytes = file.readAll();
    }
    if (S_ISLNK(info.st_mode)) found.linkTarget = QFileInfo(path).symLinkTarget();
    return found;
}

void Put(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ASSERT_EQ(::chmod(Name(path).constData(), mode), 0);
}

// A disk that takes the first three bytes of a file and then is full.
WriteCalls FullDisk() {
    auto taken = std::make_shared<std::size_t>(0);
    return {[taken](int fd, const char* data, std::size_t size) -> long {
                if (*taken >= 3) {
                    errno = ENOSPC;
                    return -1;
                }
                const long n = long(::write(fd, data, std::min<std::size_t>(size, 3 - *taken)));
                if (n > 0) *taken += std::size_t(n);
                return n;
            },
            [](int) { return 0; }};
}

const QDateTime kNoon(QDate(2026, 12, 8), QTime(14, 3, 22));
const QString kBackupName =
    QStringLiteral("2026-12-08_14-03-22_COM%1_before-upgrade.txt").arg(kGoldenPort);

// One file the program keeps: its name, how it is written, what a written one holds.
struct KeptFile {
    const char* what;
    QString fileName;
    // Writes the file at path; why it was not, nullopt when it was (or was skipped silently).
    std::function<std::optional<QString>(const QString& path, const WriteCalls* calls)> write;
    QByteArray marker;
};

std::vector<KeptFile> KeptFiles() {
    static const auto cache = GoldenCache();
    return {
        {"port file", QStringLiteral("qzmcconfig.ini"),
         [](const QString& path, const WriteCalls* calls) {
             return PortFile(path).Write(7, calls);
         },
         QByteArray("7\0", 2)},
        {"folders.ini", QStringLiteral("folders.ini"),
         [](const QString& path, const WriteCalls* calls) {
             return RecentFolders(path, calls)
                 .Remember(FileKind::Firmware, QStringLiteral("/opt/images/fw.bin"));
         },
         "firmware=/opt/images"},
        {"backup", kBackupName,
         [](const QString& path, const WriteCalls* calls) -> std::optional<QString> {
             const BackupOutcome outcome =
                 ParameterBackup(QFileInfo(path).absolutePath(), calls)
                     .Write({true, cache, kGoldenPort, 1218}, QStringLiteral("upgrade"), kNoon);
             if (outcome.kind == BackupOutcome::Kind::Written) return std::nullopt;
             return outcome.reason;
         },
         GoldenFileBytes().left(40)},
        {"debug log", QStringLiteral("vexa.log"),
         [](const QString& path, const WriteCalls* calls) -> std::optional<QString> {
             AppendLog(Name(path), AppendLog::kDefaultLimit, calls).Append("warning: kept");
             return std::nullopt;
         },
         "warning: kept"},
        {"recording", QStringLiteral("LiveData.csv"),
         [](const QString& path, const WriteCalls* calls) -> std::optional<QString> {
             FakeClock clock;
             LiveRecording recording(clock);
             QString error;
             if (live_csv::Save(recording, path, &error, calls)) return std::nullopt;
             return error;
         },
         live_csv::Header()},
    };
}

enum class Expect {
    Written,  // at the path, whole
    Beside,   // a backup under the next free name; what is at the path stays
    Refused,  // a reason; what is at the path stays
    Skipped,  // the debug log: no reason, nothing of the line at the path
};

struct Situation {
    const char* what;
    // Puts the situation in the scratch folder; returns the folder the kept file goes in, empty
    // when it cannot be made here (the row is skipped).
    std::function<QString(const QString& scratch, const QString& fileName)> prepare;
    bool fullDisk;
    Expect port, folders, backup, log, recording;
};

Expect ExpectFor(const Situation& s, const char* what) {
    const QByteArray name(what);
    if (name == "port file") return s.port;
    if (name == "folders.ini") return s.folders;
    if (name == "backup") return s.backup;
    if (name == "debug log") return s.log;
    return s.recording;
}

// Even root may not create a file in /proc/self/fdinfo; anyone else is kept out of a 0555
// folder by its mode.
QString ReadOnlyFolder(const QString& scratch) {
    if (::geteuid() == 0) return QStringLiteral("/proc/self/fdinfo");
    const QString folder = QDir(scratch).filePath(QStringLiteral("readonly"));
    QDir().mkpath(folder);
    ::chmod(Name(folder).constData(), 0555);
    return folder;
}

const std::vector<Situation>& Situations() {
    using E = Expect;
    static const std::vector<Situation> situations = {
        {"a regular file",
         [](const QString& scratch, const QString& name) {
             Put(QDir(scratch).filePath(name), "old bytes\n", 0640);
             return scratch;
         },
         false, E::Written, E::Written, E::Beside, E::Written, E::Written},
        {"no folder yet",
         [](const QString& scratch, const QString&) {
             return QDir(scratch).filePath(QStringLiteral("new/deeper"));
         },
         false, E::Written, E::Written, E::Written, E::Written, E::Refused},
        {"a link to a secret",
         [](const QString& scratch, const QString& name) {
             Put(QDir(scratch).filePath(QStringLiteral("secret")), "secret\n", 0600);
             QFile::link(QDir(scratch).filePath(QStringLiteral("secret")),
                         QDir(scratch).filePath(name));
             return scratch;
         },
         false, E::Refused, E::Refused, E::Beside, E::Skipped, E::Refused},
        {"a dangling link",
         [](const QString& scratch, const QString& name) {
             QFile::link(QDir(scratch).filePath(QStringLiteral("nowhere")),
                         QDir(scratch).filePath(name));
             return scratch;
         },
         false, E::Refused, E::Refused, E::Beside, E::Skipped, E::Refused},
        {"a FIFO",
         [](const QString& scratch, const QString& name) {
             ::mkfifo(Name(QDir(scratch).filePath(name)).constData(), 0644);
             return scratch;
         },
         false, E::Refused, E::Refused, E::Beside, E::Skipped, E::Refused},
        {"a device node",
         [](const QString& scratch, const QString& name) -> QString {
             // Only root may make one: elsewhere the row is skipped.
             if (::mknod(Name(QDir(scratch).filePath(name)).constData(), S_IFCHR | 0666,
                         makedev(1, 3)) != 0)
                 return {};
             return scratch;
         },
         false, E::Refused, E::Refused, E::Beside, E::Skipped, E::Refused},
        {"a folder that takes no file",
         [](const QString& scratch, const QString&) { return ReadOnlyFolder(scratch); }, false,
         E::Refused, E::Refused, E::Refused, E::Skipped, E::Refused},
        {"a full disk",
         [](const QString& scratch, const QString& name) {
             Put(QDir(scratch).filePath(name), "old bytes\n", 0640);
             return scratch;
         },
         true, E::Refused, E::Refused, E::Refused, E::Skipped, E::Refused},
    };
    return situations;
}

QStringList PartFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

TEST(KeptFiles, EachKeptFileIsWrittenWholeOrNotAtAllWhateverIsInItsPlace) {
    for (const KeptFile& kept : KeptFiles()) {
        for (const Situation& situation : Situations()) {
            const std::string row = std::string(kept.what) + " / " + situation.what;
            QTemporaryDir scratch;
            const QString folder = situation.prepare(scratch.path(), kept.fileName);
            if (folder.isEmpty()) {
                std::cout << "skipped (needs root): " << row << '\n';
                continue;
            }
            const QString path = QDir(folder).filePath(kept.fileName);
            const Found before = Look(path);
            const Found secret = Look(scratch.filePath(QStringLiteral("secret")));
            const WriteCalls full = FullDisk();
            QElapsedTimer clock;
            clock.start();
            const std::optional<QString> problem =
                kept.write(path, situation.fullDisk ? &full : nullptr);
            // A FIFO or a device never holds the program up.
            EXPECT_LT(clock.elapsed(), 1000) << row;
            const Found after = Look(path);

            switch (ExpectFor(situation, kept.what)) {
                case Expect::Written:
                    EXPECT_EQ(problem, std::nullopt) << row;
                    EXPECT_EQ(after.type, mode_t(S_IFREG)) << row;
                    EXPECT_TRUE(after.bytes.contains(kept.marker)) << row;
                    // A replaced file keeps its mode; a new one is the user's alone.
                    EXPECT_EQ(after.mode, before.type != 0 ? before.mode : mode_t(0600)) << row;
                    break;
                case Expect::Beside: {
                    EXPECT_EQ(problem, std::nullopt) << row;
                    EXPECT_EQ(after, before) << row;
                    const QString next =
                        QString(path).replace(QLatin1String(".txt"), QLatin1String("-2.txt"));
                    EXPECT_TRUE(Look(next).bytes.contains(kept.marker)) << row;
                    break;
                }
                case Expect::Refused:
                    EXPECT_TRUE(problem && !problem->isEmpty()) << row;
                    EXPECT_EQ(after, before) << row;
                    break;
                case Expect::Skipped:
                    EXPECT_EQ(problem, std::nullopt) << row;
                    EXPECT_EQ(after.type, before.type) << row;
                    EXPECT_FALSE(after.bytes.contains(kept.marker)) << row;
                    break;
            }
            // What a link pointed to is never read into a kept file nor written.
            EXPECT_EQ(Look(scratch.filePath(QStringLiteral("secret"))), secret) << row;
            EXPECT_FALSE(QFileInfo::exists(scratch.filePath(QStringLiteral("nowhere")))) << row;
            EXPECT_EQ(PartFiles(folder), QStringList()) << row;
            // A folder made for a kept file is the user's alone (a recording's folder is chosen
            // in the save dialog and never made).
            if (QString(situation.what) == QLatin1String("no folder yet") &&
                ExpectFor(situation, kept.what) == Expect::Written) {
                EXPECT_EQ(Look(folder).mode, mode_t(0700)) << row;
                EXPECT_EQ(Look(QFileInfo(folder).path()).mode, mode_t(0700)) << row;
            }
        }
    }
}

}  // namespace

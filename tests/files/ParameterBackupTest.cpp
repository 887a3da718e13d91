// The automatic backup: the export's bytes under a dated name no other writer takes, never a
// partial file under it, nothing without a complete read-back, the hundred written last kept
// (by the time each was written, not the date in its name), nothing else in the folder touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <thread>

#include "GoldenFile.h"
#include "ParameterBackup.h"
#include "ParameterExport.h"
#include "WholeFile.h"

namespace {

const QDateTime kNoon(QDate(2026, 12, 8), QTime(14, 3, 22));

BackupSource Golden(bool complete = true) {
    static const auto cache = GoldenCache();
    return {complete, cache, kGoldenPort, 1218};
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ParameterBackup, WritesTheExportsBytesUnderADatedName) {
    QTemporaryDir dir;
    const ParameterBackup backup(dir.filePath(QStringLiteral("backups/demo")));
    const BackupOutcome first = backup.Write(Golden(), QStringLiteral("upgrade"), kNoon);
    ASSERT_EQ(first.kind, BackupOutcome::Kind::Written) << first.reason.toStdString();
    EXPECT_EQ(QFileInfo(first.path).fileName(),
              QStringLiteral("2026-12-08_14-03-22_COM5_before-upgrade.txt"));
    EXPECT_EQ(Read(first.path), ParameterFileBytes(GoldenCache(), kGoldenPort, 1218));
    EXPECT_EQ(Read(first.path), GoldenFileBytes());
    EXPECT_TRUE(first.Describe(true).contains(QFileInfo(first.path).fileName()));

    // The same second again: a second file, the first one untouched.
    const BackupOutcome second = backup.Write(Golden(), QStringLiteral("upgrade"), kNoon);
    EXPECT_EQ(QFileInfo(second.path).fileName(),
              QStringLiteral("2026-12-08_14-03-22_COM5_before-upgrade-2.txt"));
    EXPECT_EQ(QDir(backup.Folder()).entryList(QDir::Files).size(), 2);
}

TEST(ParameterBackup, NothingIsWrittenWithoutACompleteReadBackOrAWritableFolder) {
    QTemporaryDir dir;
    const ParameterBackup backup(dir.filePath(QStringLiteral("backups")));
    const BackupOutcome none = backup.Write(Golden(false), QStringLiteral("restore"), kNoon);
    EXPECT_EQ(none.kind, BackupOutcome::Kind::NoReadBack);
    EXPECT_EQ(none.Describe(true), QStringLiteral("no complete read-back: no backup"));
    EXPECT_FALSE(QDir(backup.Folder()).exists());

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const ParameterBackup blocked(dir.filePath(QStringLiteral("file/backups")));
    const BackupOutcome failed = blocked.Write(Golden(), QStringLiteral("restore"), kNoon);
    EXPECT_EQ(failed.kind, BackupOutcome::Kind::Failed);
    EXPECT_FALSE(failed.reason.isEmpty());
}

TEST(ParameterBackup, KeepsTheNewestHundredAndLeavesOtherFilesAlone) {
    QTemporaryDir dir;
    const ParameterBackup backup(dir.path());
    QFile mine(dir.filePath(QStringLiteral("my-notes.txt")));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();
    for (int i = 0; i < ParameterBackup::kKept + 5; ++i)
        ASSERT_EQ(backup.Write(Golden(), QStringLiteral("reference"), kNoon.addSecs(i)).kind,
                  BackupOutcome::Kind::Written);
    QStringList kept =
        QDir(dir.path()).entryList({QStringLiteral("*_before-*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(kept.size(), 100);
    EXPECT_EQ(kept.front(), QStringLiteral("2026-12-08_14-03-27_COM5_before-reference.txt"));
    EXPECT_TRUE(mine.exists());
}

void Touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

// Only backups are rotated, by the time each was written, never by the date in its name:
// backups named for a later year (a clock once ahead) that were written before go first, names
// that only look like a backup's, a link and a folder stay, and the one just written is kept.
TEST(ParameterBackup, RotationKeepsTheBackupsWrittenLastWhateverTheirNamesSay) {
    QTemporaryDir dir;
    const QStringList foreign{"2019_before-crash.txt",
                              "2026-12-08_14-03-22_before-upgrade.txt.bak",
                              "2026-13-45_99-99-99_before-upgrade.txt",
                              "2026-12-08_14-03-22_before-upgrade-final.txt",
                              "x2026-12-08_14-03-22_before-upgrade.txt",
                              "notes.txt",
                              "2000-01-01_00-00-00_before-restore.txt",   // a link
                              "2000-01-01_00-00-01_before-restore.txt"};  // a folder
    for (const QString& name : foreign.mid(0, 6)) Touch(dir.filePath(name));
    QFile::link(dir.filePath(foreign[0]), dir.filePath(foreign[6]));
    QDir(dir.path()).mkdir(foreign[7]);
    QStringList future;
    for (int i = 0; i < 99; ++i) {
        future << QStringLiteral("2031-01-01_%1_COM3_before-restore.txt")
                      .arg(QTime(0, 0).addSecs(99 - i).toString("HH-mm-ss"));
        Touch(dir.filePath(future.back()));
        if (i < 3) QThread::msleep(20);  // the first ones written apart, past the clock's step
    }
    QThread::msleep(20);  // past the file system's clock step
    QStringList real;
    for (int i = 0; i < 3; ++i) {
        const BackupOutcome written =
            ParameterBackup(dir.path()).Write(Golden(), "upgrade", kNoon.addSecs(i));
        ASSERT_EQ(written.kind, BackupOutcome::Kind::Written) << written.reason.toStdString();
        real << QFileInfo(written.path).fileName();
        QThread::msleep(20);
    }
    const QStringList left = Entries(dir.path());
    for (const QString& name : foreign + real)
        EXPECT_TRUE(left.contains(name)) << name.toStdString();
    // 100 kept: the three real ones and the 97 written last of the others.
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(left.contains(future[i])) << i;
    EXPECT_TRUE(left.contains(future[2]));
    EXPECT_EQ(left.filter(QStringLiteral("_COM")).size(), 100);
}

// A backup written at a time later than the moment of rotation (the clock was ahead then)
// counts as the oldest: it never pushes out one written before that moment.
TEST(ParameterBackup, ABackupWrittenInTheFutureNeverCostsOneWrittenBefore) {
    QTemporaryDir dir;
    const ParameterBackup backup(dir.path());
    QStringList before, after;
    for (int i = 0; i < 60; ++i)
        before << QFileInfo(backup.Write(Golden(), "restore", kNoon.addSecs(i)).path).fileName();
    QThread::msleep(1100);
    const QDateTime moment = QDateTime::currentDateTime();
    QThread::msleep(1100);
    for (int i = 0; i < 40; ++i)
        after << QFileInfo(backup.Write(Golden(), "restore", kNoon.addSecs(-100 + i)).path)
                     .fileName();
    // The clock set back to the moment between them: the forty look written in its future.
    const BackupOutcome written = backup.Write(Golden(), "upgrade", moment);
    ASSERT_EQ(written.kind, BackupOutcome::Kind::Written);
    const QStringList left = Entries(dir.path());
    EXPECT_EQ(left.size(), 100);
    for (const QString& name : before) EXPECT_TRUE(left.contains(name)) << name.toStdString();
    EXPECT_FALSE(left.contains(after.front()));
    EXPECT_TRUE(left.contains(QFileInfo(written.path).fileName()));
}

// A writer killed at any step leaves no file under a backup's name, only a hidden part file,
// which the next backup into the folder removes; that backup takes the name.
TEST(ParameterBackup, AKillAtAnyStepLeavesNoPartialBackupUnderItsName) {
    const auto killed = [](int, const char*, std::size_t) -> long { return ::raise(SIGKILL); };
    const auto halfThenKilled = [](int fd, const char* data, std::size_t size) -> long {
        [[maybe_unused]] const ssize_t n = ::write(fd, data, size / 2);
        return ::raise(SIGKILL);
    };
    const auto synced = [](int) { return 0; };
    const struct {
        const char* what;
        std::function<void(const QString& folder)> child;
    } rows[] = {
        {"before the first byte",
         [&](const QString& folder) {
             const WriteCalls calls{killed, synced};
             ParameterBackup(folder, &calls).Write(Golden(), "upgrade", kNoon);
         }},
        {"halfway through the bytes",
         [&](const QString& folder) {
             const WriteCalls calls{halfThenKilled, synced};
             ParameterBackup(folder, &calls).Write(Golden(), "upgrade", kNoon);
         }},
        {"at the flush to disk",
         [&](const QString& folder) {
             const WriteCalls calls{SystemWriteCalls().write, [](int) { return ::raise(SIGKILL); }};
             ParameterBackup(folder, &calls).Write(Golden(), "upgrade", kNoon);
         }},
        {"with the whole file written, before its name",
         [&](const QString& folder) {
             WritePartFile(QDir(folder).filePath("2026-12-08_14-03-22_COM5_before-upgrade.txt"),
                           GoldenFileBytes(), SystemWriteCalls(), 0600);
             ::raise(SIGKILL);
         }},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkdir("backups"));
        const QString folder = dir.filePath("backups");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            row.child(folder);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << row.what;
        const QStringList leftByTheKill = Entries(folder);
        EXPECT_EQ(leftByTheKill.filter(QRegularExpression("^2026")), QStringList()) << row.what;
        EXPECT_EQ(leftByTheKill.size(), 1) << row.what;  // its part file
        const BackupOutcome next = ParameterBackup(folder).Write(Golden(), "upgrade", kNoon);
        EXPECT_EQ(QFileInfo(next.path).fileName(), "2026-12-08_14-03-22_COM5_before-upgrade.txt")
            << row.what;
        EXPECT_EQ(Entries(folder), QStringList{QFileInfo(next.path).fileName()}) << row.what;
        EXPECT_EQ(Read(next.path), GoldenFileBytes()) << row.what;
    }
}

// Two programs backing up in the same second (threads race on a name as processes do): every
// backup has a name of its own and holds the whole file.
TEST(ParameterBackup, TwoWritersInOneSecondNeverShareAName) {
    QTemporaryDir dir;
    std::atomic<bool> go = false;
    const auto writer = [&] {
        while (!go) std::this_thread::yield();
        for (int i = 0; i < 20; ++i) ParameterBackup(dir.path()).Write(Golden(), "upgrade", kNoon);
    };
    std::thread one(writer), two(writer);
    go = true;
    one.join();
    two.join();
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 40);
    for (const QString& file : files)
        EXPECT_EQ(Read(dir.filePath(file)), GoldenFileBytes()) << file.toStdString();
}

}  // namespace

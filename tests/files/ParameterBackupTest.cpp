// The automatic backup: the export's bytes under a dated name no other writer takes, nothing
// without a complete read-back, the newest hundred kept by the dates in their names, nothing
// else in the folder touched.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "GoldenFile.h"
#include "ParameterBackup.h"
#include "ParameterExport.h"

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

// Only backups are rotated, by the dates in their names: names that only look like one, a link
// and a folder stay; backups dated later (a clock once ahead) go before the one just written.
TEST(ParameterBackup, RotationRemovesOnlyBackupsByTheirDatesAndNeverTheNewOne) {
    QTemporaryDir dir;
    const QStringList foreign{"2019_before-crash.txt", "2026-12-08_14-03-22_before-upgrade.txt.bak",
                              "2026-13-45_99-99-99_before-upgrade.txt",
                              "2026-12-08_14-03-22_before-upgrade-final.txt",
                              "x2026-12-08_14-03-22_before-upgrade.txt", "notes.txt",
                              "2000-01-01_00-00-00_before-restore.txt",   // a link
                              "2000-01-01_00-00-01_before-restore.txt"};  // a folder
    for (const QString& name : foreign.mid(0, 6)) Touch(dir.filePath(name));
    QFile::link(dir.filePath(foreign[0]), dir.filePath(foreign[6]));
    QDir(dir.path()).mkdir(foreign[7]);
    for (int i = 0; i < 99; ++i)
        Touch(dir.filePath(QStringLiteral("2031-01-01_%1_COM3_before-restore.txt")
                               .arg(QTime(0, 0).addSecs(i).toString("HH-mm-ss"))));
    Touch(dir.filePath(QStringLiteral("2031-01-01_00-00-00_COM3_before-restore-2.txt")));

    const BackupOutcome written = ParameterBackup(dir.path()).Write(Golden(), "upgrade", kNoon);
    ASSERT_EQ(written.kind, BackupOutcome::Kind::Written) << written.reason.toStdString();
    const QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : foreign) EXPECT_TRUE(left.contains(name)) << name.toStdString();
    // 100 kept: the new one and the 99 newest; of one second, the one without a number is older.
    EXPECT_TRUE(left.contains(QFileInfo(written.path).fileName()));
    EXPECT_FALSE(left.contains(QStringLiteral("2031-01-01_00-00-00_COM3_before-restore.txt")));
    EXPECT_TRUE(left.contains(QStringLiteral("2031-01-01_00-00-00_COM3_before-restore-2.txt")));
    EXPECT_EQ(left.filter(QStringLiteral("_COM")).size(), 100);
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

// The automatic backup: the export's bytes under a dated name, nothing without a complete
// read-back, the newest hundred kept.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
              QStringLiteral("2026-12-08_14-03-22_before-upgrade.txt"));
    EXPECT_EQ(Read(first.path), ParameterFileBytes(GoldenCache(), kGoldenPort, 1218));
    EXPECT_EQ(Read(first.path), GoldenFileBytes());
    EXPECT_TRUE(first.Describe(true).contains(QFileInfo(first.path).fileName()));

    // The same second again: a second file, the first one untouched.
    const BackupOutcome second = backup.Write(Golden(), QStringLiteral("upgrade"), kNoon);
    EXPECT_EQ(QFileInfo(second.path).fileName(),
              QStringLiteral("2026-12-08_14-03-22_before-upgrade-2.txt"));
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
    ASSERT_EQ(kept.size(), ParameterBackup::kKept);
    EXPECT_EQ(kept.front(), QStringLiteral("2026-12-08_14-03-27_before-reference.txt"));
    EXPECT_TRUE(mine.exists());
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include "ComPortTable.h"
#include "CommError.h"
#include "PortLock.h"
#include "PtyPair.h"
#include "SerialPortBackend.h"

namespace {

// The number of a process that has ended.
qint64 EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(PortLockTest, TellsWhetherTheLockOwnerStillRuns) {
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray ended = QByteArray::number(EndedProcess());
    const QByteArray running = QByteArray::number(qint64(getpid()));
    struct Case {
        QByteArray content;
        bool ownerRunning;
    };
    const Case cases[] = {
        {running + "\nvexa\n" + host + "\n", true},
        {ended + "\nvexa\n" + host + "\n", false},
        {ended.rightJustified(10, ' ') + "\n", false},  // the UUCP form
        {ended + "\nvexa\nanother-host\n", true},       // cannot be told from here
        {"not a number\n", true},
    };
    QTemporaryDir empty, folder;
    for (const Case& c : cases) {
        WriteFile(folder.filePath("LCK..pts_7"), c.content);
        const auto lock = FindPortLock("/dev/pts/7", {empty.path(), folder.path()});
        ASSERT_TRUE(lock.has_value()) << c.content.constData();
        EXPECT_EQ(lock->path, folder.filePath("LCK..pts_7"));
        EXPECT_EQ(lock->ownerRunning, c.ownerRunning) << c.content.constData();
    }
    EXPECT_FALSE(FindPortLock("/dev/ttyUSB0", {empty.path(), folder.path()}).has_value());
}

// Root removes any stale lock, so the child drops to an unprivileged user, who may not remove
// root's file from the sticky lock folder: the situation a user meets after another user's
// program was killed.
TEST(PortLockDeathTest, LockLeftByAnEndedProgramIsNamedInsteadOfInUse) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to leave a lock another user cannot remove";
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    ASSERT_EQ(fchmod(pty.Slave(), 0666), 0);
    const QString lockPath =
        QStringLiteral("/var/lock/LCK..") + pty.Path().mid(5).replace(QLatin1Char('/'), '_');
    WriteFile(lockPath, QByteArray::number(EndedProcess()) + "\nvexa\n" +
                            QSysInfo::machineHostName().toUtf8() + "\n");
    ComPortTable table;
    table.Override(3, pty.Path());
    EXPECT_EXIT(
        {
            if (setuid(65534) != 0) _exit(2);
            SerialPortBackend backend(table);
            try {
                backend.Open(3);
            } catch (const CommError& error) {
                fprintf(stderr, "%s\n", error.what());
                _exit(error.Text().contains(QStringLiteral("in use")) ? 4 : 0);
            }
            _exit(3);
        },
        ::testing::ExitedWithCode(0),
        "is still locked by " + lockPath.toStdString() +
            ", left behind by a program that no "
            "longer runs");
    QFile::remove(lockPath);
}

}  // namespace

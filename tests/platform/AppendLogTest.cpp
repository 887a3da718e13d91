// The debug log: each line with its time and the pid, under 1 MB with one old file, and never
// a reason for a program to stop or wait.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AppendLog.h"

namespace {

constexpr qint64 kOneMegabyte = 1024 * 1024;

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 SizeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_size) : -1;
}

TEST(AppendLog, EachLineCarriesTheTimeAndThePid) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cache/Vexa/vexactl.log"));
    const AppendLog log(QFile::encodeName(path));
    log.Append("warning: first");
    log.Append("info: second");
    const QList<QByteArray> lines = Bytes(path).split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines and the empty rest after the last break
    const QRegularExpression shape(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}[+-]\\d{2}:\\d{2} "
                       "\\[%1\\] warning: first$")
            .arg(::getpid()));
    EXPECT_TRUE(shape.match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith("info: second"));
    // The folder made for it is the user's alone, and so is the file.
    struct stat info {};
    ASSERT_EQ(
        ::stat(QFile::encodeName(dir.filePath(QStringLiteral("cache/Vexa"))).constData(), &info),
        0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// 1 MB and no more: the full log becomes PROGRAM.log.1 (the one before it is dropped) and a
// new one starts; no line is split between them.
TEST(AppendLog, TheLogMovesToItsOldFileBeforeItPassesOneMegabyte) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vexa.log"));
    const QString old = path + QStringLiteral(".1");
    const AppendLog log(QFile::encodeName(path));
    const QByteArray text(1000, 'x');
    int written = 0;
    while (SizeOf(old) < 0) {
        log.Append(text);
        ++written;
        ASSERT_LT(written, 2000);
        EXPECT_LE(SizeOf(path), kOneMegabyte);
    }
    EXPECT_GT(SizeOf(old), kOneMegabyte - 1100);
    EXPECT_LE(SizeOf(old), kOneMegabyte);
    EXPECT_EQ(Bytes(old).count('\n') + Bytes(path).count('\n'), written);
    EXPECT_TRUE(Bytes(old).endsWith(text + '\n'));

    // The second time the old file is replaced: never more than two files, 2 MB together.
    log.Append("last before the second move");
    for (qint64 previous = SizeOf(path);; ++written) {
        log.Append(text);
        ASSERT_LT(written, 4000);
        if (SizeOf(path) < previous) break;
        previous = SizeOf(path);
    }
    EXPECT_TRUE(Bytes(old).contains("last before the second move\n"));
    EXPECT_LE(SizeOf(old), kOneMegabyte);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// A log of 300 MB from before the limit is moved aside by the first line, not appended to.
TEST(AppendLog, AnOversizedLogFromEarlierIsMovedAsideAtOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vexa.log"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(300 * kOneMegabyte));  // sparse: takes no disk
    }
    AppendLog(QFile::encodeName(path)).Append("warning: new");
    EXPECT_LT(SizeOf(path), 200);
    EXPECT_EQ(SizeOf(path + QStringLiteral(".1")), 300 * kOneMegabyte);
}

// A FIFO that a program reads is no log either: nothing reaches the reader, nothing waits
// (the other kinds of file are rows of the kept files' table).
TEST(AppendLog, AFifoWithAReaderIsSkippedAtOnce) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.log"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    QElapsedTimer clock;
    clock.start();
    AppendLog(QFile::encodeName(fifo)).Append("a reader");
    EXPECT_LT(clock.elapsed(), 1000);
    char buffer[64];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
    ::close(reader);
}

}  // namespace

// The debug log: each line with its time and the pid, under 1 MB with one old file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include "AppendLog.h"

namespace {

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
    const QString path = dir.filePath(QStringLiteral("vexactl.log"));
    AppendLog(QFile::encodeName(path)).Append("warning: first");
    const QRegularExpression shape(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d "
                       "\\[%1\\] warning: first\n$")
            .arg(::getpid()));
    EXPECT_TRUE(shape.match(QString::fromUtf8(Bytes(path))).hasMatch()) << Bytes(path).constData();
}

// At 1 MB the log becomes PROGRAM.log.1 (replacing the one before) and a new one starts; no line
// is split. A log of 300 MB from before the limit is moved aside by its first line.
TEST(AppendLog, TheLogMovesToItsOldFileBeforeItPassesOneMegabyte) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vexa.log")), old = path + ".1";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(300 * 1024 * 1024));  // sparse: takes no disk
    }
    const AppendLog log(QFile::encodeName(path));
    log.Append("first line");
    EXPECT_EQ(SizeOf(old), 300 * 1024 * 1024);
    const QByteArray text(1000, 'x');
    int written = 1;
    for (; SizeOf(old) > 1024 * 1024; ++written) {
        log.Append(text);
        ASSERT_LT(written, 2000);
        EXPECT_LE(SizeOf(path), 1024 * 1024);
    }
    EXPECT_GT(SizeOf(old), 1024 * 1024 - 1100);
    EXPECT_TRUE(Bytes(old).endsWith(text + '\n'));
    EXPECT_TRUE(Bytes(old).contains("first line\n"));
    EXPECT_EQ(Bytes(old).count('\n') + Bytes(path).count('\n'), written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// Two programs rotating one log: the log moves under its lock, so a program that finds it
// locked goes on without rotating, and one that finds it moved already writes to the new log
// instead of moving that one over the old file. Whatever the two do at once, PROGRAM.log.1 is
// always a whole log and no line is split.
TEST(AppendLog, TwoWritersNeverMoveEachOthersLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vexa.log")), old = path + ".1";
    constexpr qint64 kLimit = 8 * 1024;
    const AppendLog log(QFile::encodeName(path), kLimit);
    const QByteArray text(100, 'x');
    while (SizeOf(path) + 200 < kLimit) log.Append(text);

    // Locked by another program at the moment it would move: the line goes on the log.
    const int held = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const qint64 full = SizeOf(path);
    log.Append(QByteArray(300, 'y'));
    EXPECT_GT(SizeOf(path), full);
    EXPECT_EQ(SizeOf(old), -1);
    ::close(held);
    log.Append("after the lock");
    EXPECT_GT(SizeOf(old), full);

    // Two processes appending at once, each rotating when the log is full.
    pid_t children[2];
    for (pid_t& child : children) {
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < 3000; ++i) log.Append(text);
            ::_exit(0);
        }
    }
    for (pid_t child : children) ::waitpid(child, nullptr, 0);
    EXPECT_GT(SizeOf(old), kLimit - 2 * (text.size() + 60));
    const QRegularExpression whole(QStringLiteral("^\\d{4}-.* \\[\\d+\\] x{100}$"));
    for (const QString& file : {path, old}) {
        for (const QByteArray& line : Bytes(file).split('\n')) {
            if (!line.isEmpty()) {
                EXPECT_TRUE(whole.match(QString::fromLatin1(line)).hasMatch()) << line.constData();
            }
        }
    }
}

// A program that must keep its log learns at its start why it cannot: only a regular file is
// appended to (nothing else is opened, a FIFO never blocks), a missing folder is made.
TEST(AppendLog, CheckSaysWhyNoLineCanBeAppended) {
    const struct {
        const char* what;
        std::function<void(const QString& path)> prepare;
        const char* reason;  // part of it; nullptr: a line can be appended
    } cases[] = {
        {"new file in a new folder", nullptr, nullptr},
        {"regular file",
         [](const QString& path) { ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); }, nullptr},
        {"folder", [](const QString& path) { QDir().mkpath(path); }, "it is a folder, not a"},
        {"link", [](const QString& path) { QFile::link(path + ".target", path); },
         "it is a symbolic link, not a"},
        {"FIFO", [](const QString& path) { ::mkfifo(QFile::encodeName(path).constData(), 0600); },
         "it is a FIFO (named pipe), not a"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("logs/sim.log"));
        if (c.prepare) {
            QDir().mkpath(dir.filePath(QStringLiteral("logs")));
            c.prepare(path);
        }
        const std::optional<QString> reason = AppendLog(QFile::encodeName(path)).Check();
        if (!c.reason) {
            EXPECT_EQ(reason, std::nullopt) << c.what << ": " << reason->toStdString();
            EXPECT_EQ(SizeOf(path), 0) << c.what;
        } else {
            EXPECT_TRUE(reason && reason->contains(QLatin1String(c.reason)))
                << c.what << ": " << reason.value_or("appendable").toStdString();
        }
        EXPECT_FALSE(QFile::exists(path + ".target")) << c.what;
    }
}
}  // namespace

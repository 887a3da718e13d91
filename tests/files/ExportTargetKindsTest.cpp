// Saving and reading parameter files at places that are not plain files, and on a disk that
// fills up: what is refused, what is written in place, and what stays as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <thread>

#include "ParameterExport.h"
#include "ParameterFileReader.h"

namespace {

const QByteArray kOld = "old bytes the user wants to keep";
const QByteArray kNew = QByteArray(3730, 'n');

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

// What a regular file (or the one a link leads to) holds; nothing else is opened.
QByteArray Bytes(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes, mode_t mode = 0644) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ASSERT_EQ(::chmod(Name(path).constData(), mode), 0);
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::lstat(Name(path).constData(), &info) == 0 ? info.st_mode : 0;
}

// A disk that takes `room` bytes and then says it is full.
WriteCalls FullDiskAfter(long room) {
    auto left = std::make_shared<long>(room);
    return {[left](int fd, const char* data, std::size_t size) -> long {
                if (*left <= 0) {
                    errno = ENOSPC;
                    return -1;
                }
                const long n = std::min<long>(*left, long(size));
                *left -= n;
                return long(::write(fd, data, std::size_t(n)));
            },
            [](int fd) { return ::fsync(fd); }};
}

WriteCalls FailingFlush() {
    return {SystemWriteCalls().write, [](int) {
                errno = EIO;
                return -1;
            }};
}

struct Case {
    const char* name;
    std::function<void(const QString& path, const QString& dir)> prepare;
    SaveOptions options;
    const char* reason;   // part of the reason; nullptr: saved
    QByteArray after;     // the bytes at path afterwards (through a link: at its target)
    mode_t modeAfter;     // the type and permission bits at path afterwards
};

TEST(SpecialTargetsTest, EachKindOfTargetIsWrittenSafelyOrRefusedWithItsReason) {
    static const WriteCalls fullDisk = FullDiskAfter(1000);
    static const WriteCalls failingFlush = FailingFlush();
    SaveOptions forced;
    forced.force = true;
    SaveOptions onFullDisk;
    onFullDisk.calls = &fullDisk;
    SaveOptions flushFails;
    flushFails.calls = &failingFlush;
    const auto existing = [](mode_t mode) {
        return [mode](const QString& path, const QString&) { Put(path, kOld, mode); };
    };
    const Case cases[] = {
        {"new file", [](const QString&, const QString&) {}, {}, nullptr, kNew, S_IFREG | 0644},
        {"regular file keeps its mode", existing(0600), {}, nullptr, kNew, S_IFREG | 0600},
        {"read-only file", existing(0444), {}, "read-only", kOld, S_IFREG | 0444},
        {"read-only file, forced", existing(0444), forced, nullptr, kNew, S_IFREG | 0444},
        {"full disk", existing(0644), onFullDisk, "No space left on device", kOld,
         S_IFREG | 0644},
        {"failing flush", existing(0644), flushFails, "Input/output error", kOld,
         S_IFREG | 0644},
        {"folder", [](const QString& path, const QString&) { QDir().mkdir(path); }, {},
         "folder", {}, S_IFDIR | 0755},
        {"FIFO without a reader",
         [](const QString& path, const QString&) { ::mkfifo(Name(path).constData(), 0644); }, {},
         "no program is reading", {}, S_IFIFO | 0644},
        {"link to a file",
         [](const QString& path, const QString& dir) {
             Put(dir + "/target.txt", kOld);
             QFile::link(dir + "/target.txt", path);
         },
         {}, "symbolic link", kOld, S_IFLNK | 0777},
        {"dangling link",
         [](const QString& path, const QString& dir) { QFile::link(dir + "/nowhere.txt", path); },
         {}, "symbolic link", {}, S_IFLNK | 0777},
        {"missing folder", [](const QString&, const QString&) {}, {}, "does not exist", {}, 0},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const bool missingFolder = QByteArray(c.name) == "missing folder";
        const QString path = dir.filePath(missingFolder ? "none/QZMC_Data.txt" : "QZMC_Data.txt");
        c.prepare(path, dir.path());
        const mode_t previous = ::umask(022);
        const std::optional<QString> reason = SaveParameterFile(path, kNew, c.options);
        ::umask(previous);
        if (c.reason)
            EXPECT_TRUE(reason && reason->contains(QLatin1String(c.reason)))
                << c.name << ": " << reason.value_or("saved").toStdString();
        else
            EXPECT_EQ(reason, std::nullopt) << c.name << ": " << reason->toStdString();
        EXPECT_EQ(Bytes(path), c.after) << c.name;
        EXPECT_EQ(ModeOf(path), c.modeAfter) << c.name;
        // Nothing is left behind beside it, and a dangling link made nothing appear.
        QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
        left.removeAll("QZMC_Data.txt");
        left.removeAll("target.txt");
        EXPECT_TRUE(left.isEmpty()) << c.name << ": " << left.join(' ').toStdString();
    }
}

// A FIFO or a terminal the user names is written in place: the reader gets the bytes, the
// FIFO stays a FIFO. A device node of any other kind is refused and stays as it is.
TEST(SpecialTargetsTest, FifoWithAReaderIsWrittenInPlaceAndADeviceNodeIsRefused) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(Name(fifo).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile file(fifo);
        if (file.open(QIODevice::ReadOnly)) received = file.readAll();
    });
    SaveOptions waiting;
    waiting.stopWaitingForReader = [] { return false; };
    EXPECT_EQ(SaveParameterFile(fifo, kNew, waiting), std::nullopt);
    reader.join();
    EXPECT_EQ(received, kNew);
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));

    // A null device of its own where root may make one, else the system's (only looked at).
    QString device = dir.filePath("null");
    if (::mknod(Name(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        device = QStringLiteral("/dev/null");
    const std::optional<QString> reason = SaveParameterFile(device, kNew);
    EXPECT_TRUE(reason && reason->contains("device node")) << reason.value_or("saved").toStdString();
    EXPECT_TRUE(S_ISCHR(ModeOf(device)));
}

// Restore reads only a regular file (or a link to one); anything else is refused before it is
// opened, so a FIFO with no writer never blocks.
TEST(SpecialTargetsTest, RestoreSourcesOtherThanRegularFilesAreRefusedUnopened) {
    QTemporaryDir dir;
    const QString regular = dir.filePath("saved.txt");
    Put(regular, kOld);
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(Name(fifo).constData(), 0600), 0);
    const QString link = dir.filePath("link.txt");
    QFile::link(regular, link);
    const QString dangling = dir.filePath("dangling.txt");
    QFile::link(dir.filePath("nowhere.txt"), dangling);
    struct Source {
        QString path;
        const char* reason;  // nullptr: read
    };
    const Source sources[] = {
        {regular, nullptr},
        {link, nullptr},
        {fifo, "Is a FIFO (named pipe), not a regular file"},
        {QStringLiteral("/dev/zero"), "Is a device node, not a regular file"},
        {dir.path(), "Is a directory"},
        {dangling, "No such file or directory"},
    };
    for (const Source& source : sources) {
        const auto loaded = LoadParameterFile(source.path);
        if (!source.reason) {
            ASSERT_TRUE(std::holds_alternative<QByteArray>(loaded)) << source.path.toStdString();
            EXPECT_EQ(std::get<QByteArray>(loaded), kOld);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<QString>(loaded)) << source.path.toStdString();
        EXPECT_EQ(std::get<QString>(loaded), source.reason);
    }
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

#include "DebugLog.h"
#include "PortFile.h"
#include "PortFileLocation.h"

namespace {

TEST(PortFileTest, ReadsTheLeadingNumberOfWhateverTheFileHolds) {
    struct Case {
        QByteArray content;
        bool empty;
        int number;
        const char* text;  // the number as messages name it
    };
    const Case cases[] = {
        {"", true, 0, ""},
        {QByteArray("7\0", 2), false, 7, "7"},
        {"12" + QByteArray(8 << 20, 'x'), false, 12, "12"},  // huge: only its start is read
        {QByteArray("\xff\xfe\x00\x01", 4), false, 0, ""},   // binary
        {"  -4", false, -4, "-4"},
        {"123456789", false, 0, "123456789"},  // no port number at all
        // Ten megabytes of digits: named as what it starts with, never as port 0.
        {"12" + QByteArray(10 << 20, '1'), false, 0, "121111111111..."},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("qzmcconfig.ini");
    for (const Case& c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        const PortFile::Content content = PortFile(path).Read();
        EXPECT_EQ(content.empty, c.empty) << c.content.left(8).toHex().constData();
        EXPECT_EQ(content.number, c.number) << c.content.left(8).toHex().constData();
        EXPECT_EQ(content.text, QLatin1String(c.text)) << c.content.left(8).toHex().constData();
        EXPECT_TRUE(content.problem.isEmpty());
    }
}

TEST(PortFileTest, FileThatExistsButCannotBeOpenedSaysWhy) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("qzmcconfig.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(PortFile(folder).Read().problem, "Is a directory");

    const QString locked = dir.filePath("locked.ini");
    QFile(locked).open(QIODevice::WriteOnly);
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0), 0);
    if (geteuid() != 0) {  // root opens it all the same
        EXPECT_EQ(PortFile(locked).Read().problem, "Permission denied");
    }

    // A file that is missing is no problem.
    EXPECT_TRUE(PortFile(dir.filePath("new.ini")).Read().problem.isEmpty());
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Only a regular file is read or written: a FIFO is never opened (so nothing hangs), and a
// symbolic link never leads a write elsewhere, dangling or not.
TEST(PortFileTest, OnlyARegularFileIsReadOrWrittenNeverThroughALink) {
    QTemporaryDir dir;
    const QString target = dir.filePath("target");
    QFile(target).open(QIODevice::WriteOnly);
    QFile::link(target, dir.filePath("link.ini"));
    QFile::link(dir.filePath("nowhere"), dir.filePath("dangling.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo.ini")).constData(), 0600), 0);
    struct Case {
        const char* name;
        const char* readProblem;   // nullptr: read without a problem
        const char* writeProblem;  // nullptr: written
    };
    const Case cases[] = {
        {"plain.ini", nullptr, nullptr},
        {"fifo.ini", "Is a FIFO (named pipe), not a regular file", "not a regular file"},
        {"link.ini", nullptr, "symbolic link"},
        {"dangling.ini", nullptr, "symbolic link"},
        {"new/folder/made.ini", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const PortFile file(dir.filePath(c.name));
        EXPECT_EQ(file.Read().problem, QString::fromUtf8(c.readProblem ? c.readProblem : ""))
            << c.name;
        const std::optional<QString> problem = file.Write(12);
        if (c.writeProblem)
            EXPECT_TRUE(problem && problem->contains(c.writeProblem)) << c.name;
        else
            EXPECT_EQ(problem, std::nullopt) << c.name;
    }
    EXPECT_EQ(Bytes(dir.filePath("plain.ini")), "12");
    EXPECT_EQ(Bytes(dir.filePath("new/folder/made.ini")), "12");
    EXPECT_TRUE(Bytes(target).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere")));
}

class PortFileLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousDir = QDir::currentPath();
        m_previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        QDir(m_dir.path()).mkdir("work");
        QDir::setCurrent(m_dir.filePath("work"));
    }
    void TearDown() override {
        QDir::setCurrent(m_previousDir);
        qputenv("XDG_CONFIG_HOME", m_previousConfig);
    }
    QString Configured() const { return m_dir.filePath("config/Vexa/qzmcconfig.ini"); }
    QString Legacy() const { return m_dir.filePath("work/qzmcconfig.ini"); }
    static void Put(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
    QString m_previousDir;
    QByteArray m_previousConfig;
};

TEST_F(PortFileLocationTest, TheFileIsTheWindowsAppConfigLocationWhoeverAsks) {
    EXPECT_EQ(ConfiguredPortFilePath(), Configured());
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName("Vexa");
    EXPECT_EQ(QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                  .filePath("qzmcconfig.ini"),
              Configured());
    QCoreApplication::setApplicationName(name);
    EXPECT_EQ(WindowPortFile("/elsewhere/ports.ini").Path(), "/elsewhere/ports.ini");
    EXPECT_EQ(CommandLinePortFile("/elsewhere/ports.ini").Path(), "/elsewhere/ports.ini");
}

TEST_F(PortFileLocationTest, TheFileInTheCurrentDirectoryIsCarriedOverOnce) {
    Put(Legacy(), QByteArray("7\0", 2));
    // vexactl only reads: the legacy file until the window has carried it over.
    EXPECT_EQ(CommandLinePortFile({}).Path(), Legacy());
    EXPECT_FALSE(QFile::exists(Configured()));

    EXPECT_EQ(WindowPortFile({}).Path(), Configured());
    EXPECT_EQ(Bytes(Configured()), QByteArray("7\0", 2));
    EXPECT_EQ(CommandLinePortFile({}).Path(), Configured());

    // Once there, the configured file is the one kept; the legacy file is left alone.
    Put(Legacy(), "15");
    ASSERT_EQ(WindowPortFile({}).Write(12), std::nullopt);
    EXPECT_EQ(WindowPortFile({}).Read().number, 12);
    EXPECT_EQ(Bytes(Legacy()), "15");
}

// The carry-over copies the port's two bytes from a regular file only: a link (to a secret or
// to nothing), a FIFO or a device node is named once in the debug log, and nothing waits.
TEST_F(PortFileLocationTest, OnlyTheTwoBytesOfARegularLegacyFileAreCarriedOver) {
    const QString log = m_dir.filePath("debug.log");
    const QByteArray previousLog = qgetenv("VEXA_DEBUG_LOG");
    qputenv("VEXA_DEBUG_LOG", QFile::encodeName(log));
    RouteQtMessagesToDebugLog("test");
    const QString secret = m_dir.filePath("secret");
    Put(secret, QByteArray(4096, 's'));
    const QByteArray legacy = QFile::encodeName(Legacy());
    // Each makes the legacy file (false: not here, a device node needs root) and what it carries.
    const std::pair<std::function<bool()>, QByteArray> cases[] = {
        {[&] { return QFile::link(secret, Legacy()); }, {}},
        {[&] { return QFile::link(m_dir.filePath("nowhere"), Legacy()); }, {}},
        {[&] { return ::mkfifo(legacy.constData(), 0600) == 0; }, {}},
        {[&] { return ::mknod(legacy.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0; }, {}},
        {[&] { return Put(Legacy(), "15" + QByteArray(5000, 'x')), true; }, "15"},
    };
    for (int row = 0; row < int(std::size(cases)); ++row) {
        QFile::remove(Legacy());
        QFile::remove(Configured());
        if (!cases[row].first()) continue;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(WindowPortFile({}).Path(), Configured()) << row;
        EXPECT_LT(clock.elapsed(), 1000) << row;
        EXPECT_EQ(Bytes(Configured()), cases[row].second) << row;
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(Configured()).constData(), &info) == 0,
                  !cases[row].second.isEmpty())
            << row;
        EXPECT_TRUE(cases[row].second.isEmpty() || (info.st_mode & 0777) == 0600) << row;
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("nowhere")));
    const QByteArray logged = Bytes(log);  // named once, however often the window starts
    EXPECT_EQ(logged.count("was not carried over"), 1) << logged.constData();
    EXPECT_TRUE(logged.contains(legacy)) << logged.constData();
    qInstallMessageHandler(nullptr);
    qputenv("VEXA_DEBUG_LOG", previousLog);
    // vexactl only reads, and reads nothing but a regular file.
    QFile::remove(Legacy());
    ::mkfifo(legacy.constData(), 0600);
    QFile::remove(Configured());
    EXPECT_FALSE(CommandLinePortFile({}).Read().problem.isEmpty());
}

}  // namespace

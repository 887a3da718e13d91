// The built vexactl against vexa-sim where files, pipes and signals are not what a command
// expects: device nodes, FIFOs, links, read-only files, closed or broken stdout, a reader that
// stops early. Each case: exit status, the one line on stderr, the file afterwards, the wire.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <functional>
#include <vector>

#include "SimProcess.h"

namespace {

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::lstat(Name(path).constData(), &info) == 0 ? info.st_mode : 0;
}

QByteArray Bytes(const QString& path) {
    struct stat info {};
    if (::stat(Name(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ::chmod(Name(path).constData(), mode);
}

struct Outcome {
    int status = -1;  // vexactl's own exit status
    QByteArray out;
    QString err;
    qint64 ms = 0;
};

class SpecialFilesTest : public ::testing::Test {
public:
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

protected:
    // Runs `script` in bash in the test's folder, $VEXACTL being vexactl with COM3 leading to
    // the simulator; the script leaves vexactl's status in the file "status".
    QProcess* Start(const QString& script) {
        m_bash = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        env.insert("VEXACTL", QStringLiteral("%1 --com 3=%2").arg(VEXACTL_BINARY, m_sim.Device()));
        m_bash->setProcessEnvironment(env);
        m_bash->setWorkingDirectory(m_dir.path());
        m_bash->start("/bin/bash", {"-c", script});
        m_bash->waitForStarted(5000);
        m_clock.start();
        return m_bash.get();
    }
    Outcome Finish() {
        Outcome run;
        if (!m_bash->waitForFinished(20000)) {
            m_bash->kill();
            m_bash->waitForFinished();
            return run;
        }
        run.ms = m_clock.elapsed();
        run.status = Bytes(m_dir.filePath("status")).trimmed().toInt();
        run.out = m_bash->readAllStandardOutput();
        run.err = QString::fromUtf8(m_bash->readAllStandardError());
        return run;
    }
    Outcome Bash(const QString& script) {
        Start(script);
        return Finish();
    }
    SimProcess m_sim;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_bash;
    QElapsedTimer m_clock;
};

struct Case {
    const char* name;
    std::function<void(SpecialFilesTest&)> prepare;
    const char* command;  // bash, after which "echo $? > status" (or PIPESTATUS for a pipe)
    int status;
    const char* says;  // part of the one line on stderr
    bool wireQuiet;    // nothing reached the controller
    const char* file;  // checked afterwards: its bytes and type/mode
    QByteArray bytes;
    mode_t mode;
};

const QByteArray kOld = "kept";

TEST_F(SpecialFilesTest, SpecialTargetsAndSourcesAreRefusedOrWrittenInPlaceWithOneLine) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    const auto fifo = [](const char* name) {
        return [name](SpecialFilesTest& t) { ::mkfifo(Name(t.Path(name)).constData(), 0644); };
    };
    const auto file = [](const char* name, mode_t mode) {
        return [name, mode](SpecialFilesTest& t) { Put(t.Path(name), kOld, mode); };
    };
    const Case cases[] = {
        {"device node",
         [](SpecialFilesTest& t) {
             if (::mknod(Name(t.Path("null")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
                 ::chmod(Name(t.Path("null")).constData(), 0666);
         },
         "$VEXACTL export null; echo $? > status",
         3,
         "device node",
         true,
         "null",
         {},
         geteuid() == 0 ? mode_t(S_IFCHR | 0666) : mode_t(0)},
        {"export to /dev/full",
         {},
         "$VEXACTL export /dev/full; echo $? > status",
         3,
         "device node",
         true,
         nullptr,
         {},
         0},
        {"link to a file",
         [](SpecialFilesTest& t) {
             Put(t.Path("target.txt"), kOld, 0644);
             QFile::link(t.Path("target.txt"), t.Path("link.txt"));
         },
         "$VEXACTL export link.txt; echo $? > status", 3, "symbolic link", true, "target.txt", kOld,
         S_IFREG | 0644},
        {"dangling link",
         [](SpecialFilesTest& t) { QFile::link(t.Path("nowhere.txt"), t.Path("link.txt")); },
         "$VEXACTL export link.txt; echo $? > status",
         3,
         "symbolic link",
         true,
         "nowhere.txt",
         {},
         0},
        {"read-only file", file("ro.txt", 0444), "$VEXACTL export ro.txt; echo $? > status", 3,
         "--force", true, "ro.txt", kOld, S_IFREG | 0444},
        {"FIFO to restore",
         fifo("fifo.txt"),
         "$VEXACTL restore fifo.txt; echo $? > status",
         3,
         "FIFO",
         true,
         nullptr,
         {},
         0},
        {"FIFO to flash",
         fifo("fifo.bin"),
         "$VEXACTL flash fifo.bin; echo $? > status",
         3,
         "fifo.bin",
         true,
         nullptr,
         {},
         0},
        {"closed stdout",
         {},
         "$VEXACTL export - >&-; echo $? > status",
         4,
         "Bad file descriptor",
         false,
         nullptr,
         {},
         0},
        {"broken pipe",
         {},
         "$VEXACTL export - | true; echo ${PIPESTATUS[0]} > status",
         4,
         "Broken pipe",
         false,
         nullptr,
         {},
         0},
        {"stdout on a full device",
         {},
         "$VEXACTL export - > /dev/full; echo $? > status",
         4,
         "No space left on device",
         false,
         nullptr,
         {},
         0},
        {"port file that is a FIFO",
         fifo("qzmcconfig.ini"),
         "$VEXACTL info; echo $? > status",
         0,
         "COM3 is used",
         false,
         "qzmcconfig.ini",
         {},
         S_IFIFO | 0644},
        // Every command's results are checked on their way to stdout.
        {"get into a full disk",
         {},
         "$VEXACTL get C > /dev/full; echo $? > status",
         4,
         "No space left on device",
         false,
         nullptr,
         {},
         0},
        {"help into a full disk",
         {},
         "$VEXACTL --help > /dev/full; echo $? > status",
         4,
         "No space left on device",
         true,
         nullptr,
         {},
         0},
    };
    for (const Case& c : cases) {
        for (const QString& entry :
             QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            QFile::remove(m_dir.filePath(entry));
        if (c.prepare) c.prepare(*this);
        const qsizetype framesBefore = m_sim.ReceivedFrames().size();
        const Outcome run = Bash(QString::fromUtf8(c.command));
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says)))
            << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << c.name << ": " << run.err.toStdString();
        EXPECT_LT(run.ms, 10000) << c.name;
        if (c.wireQuiet) {
            EXPECT_EQ(m_sim.ReceivedFrames().size(), framesBefore) << c.name;
        }
        if (c.file) {
            EXPECT_EQ(Bytes(Path(c.file)), c.bytes) << c.name;
            EXPECT_EQ(ModeOf(Path(c.file)), c.mode) << c.name;
        }
    }
}

// A file name is its bytes: one that is not UTF-8 (GBK from an old Windows copy) is written and
// read under exactly those bytes and shown escaped, two such names stay two files, and a name
// of 255 bytes, the longest a folder takes, is written whole.
TEST_F(SpecialFilesTest, FileNamesReachTheSystemAsTheirBytes) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    const struct {
        const char* quoted;  // as bash takes it
        QByteArray bytes;
        const char* shown;
    } rows[] = {
        {"$'\\xb2\\xce\\xca\\xfd.txt'", "\xb2\xce\xca\xfd.txt",
         "\\xb2\\xce\\xca\\xfd.txt: 3734 bytes"},
        {"$'\\xb2\\xce\\xca\\xfe.txt'", "\xb2\xce\xca\xfe.txt",
         "\\xb2\\xce\\xca\\xfe.txt: 3734 bytes"},
        {nullptr, QByteArray(251, 'n') + ".txt", "nnnn.txt: 3734 bytes"},
    };
    for (const auto& row : rows) {
        const QString quoted =
            row.quoted ? QString::fromLatin1(row.quoted) : QString::fromLatin1(row.bytes);
        const Outcome exported = Bash("$VEXACTL export " + quoted + "; echo $? > status");
        EXPECT_EQ(exported.status, 0) << row.shown << exported.err.toStdString();
        EXPECT_TRUE(exported.out.contains(row.shown)) << exported.out.constData();
        // Found again under the same bytes: nothing differs from the controller it came from.
        const Outcome compared = Bash("$VEXACTL diff " + quoted + "; echo $? > status");
        EXPECT_EQ(compared.status, 0) << row.shown << compared.err.toStdString();
    }
    std::vector<QByteArray> found;
    DIR* dir = ::opendir(Name(m_dir.path()).constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
        if (QByteArrayView(entry->d_name).endsWith(".txt")) found.emplace_back(entry->d_name);
    if (dir) ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<QByteArray> expected;
    for (const auto& row : rows) expected.push_back(row.bytes);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

// A FIFO the user names is written in place once someone reads it; until then vexactl waits,
// and SIGTERM ends the wait at once.
TEST_F(SpecialFilesTest, ExportWaitingForAFifoReaderEndsPromptlyOnSigterm) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    ASSERT_EQ(::mkfifo(Name(Path("fifo.txt")).constData(), 0644), 0);
    QProcess* bash = Start("exec $VEXACTL export fifo.txt");
    // The read-back is done once the last query has gone out; then only the FIFO is waited for.
    QElapsedTimer waited;
    waited.start();
    while (!m_sim.ReceivedFrames().contains(QStringLiteral("?Q\\r")) && waited.elapsed() < 10000)
        QThread::msleep(50);
    QThread::msleep(300);
    ASSERT_EQ(bash->state(), QProcess::Running);
    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(bash->processId()), SIGTERM);
    ASSERT_TRUE(bash->waitForFinished(5000));
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_EQ(bash->exitCode(), 130);
    const QString err = QString::fromUtf8(bash->readAllStandardError());
    EXPECT_TRUE(err.contains("interrupted")) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
    EXPECT_TRUE(S_ISFIFO(ModeOf(Path("fifo.txt"))));
}

// "| head -n 3" closes the pipe after three frames: monitoring ends as on SIGTERM, the
// controller is told to stop streaming, the port is free again and the status is 0.
TEST_F(SpecialFilesTest, MonitorIntoHeadStopsTheStreamAndReleasesThePort) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    const Outcome run = Bash("$VEXACTL monitor | head -n 3; echo ${PIPESTATUS[0]} > status");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count('\n'), 3);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QStringList frames = m_sim.ReceivedFrames();
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_EQ(frames.first(), QStringLiteral("S~0001\\r"));
    EXPECT_EQ(frames.last(), QStringLiteral("S~0000\\r"));
    QSerialPort port(m_sim.Device());
    EXPECT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
}

// A full disk ends monitoring as SIGTERM does: the stream is stopped, the port is free again,
// exit 4 and one line on stderr (--csv fails on its header, before the stream is asked for).
TEST_F(SpecialFilesTest, MonitorIntoAFullDiskStopsTheStreamAndSaysWhy) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    for (const QString command :
         {"$VEXACTL monitor", "$VEXACTL --json monitor", "$VEXACTL monitor --csv"}) {
        const qsizetype before = m_sim.ReceivedFrames().size();
        const Outcome run = Bash(command + " > /dev/full; echo $? > status");
        EXPECT_EQ(run.status, 4) << command.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("stdout could not be written (No space left on device)"));
        const QStringList expected =
            command.endsWith("--csv") ? QStringList() : QStringList{"S~0001\\r", "S~0000\\r"};
        EXPECT_EQ(m_sim.ReceivedFramesAtLeast(before + expected.size()).mid(before), expected);
        EXPECT_TRUE(QSerialPort(m_sim.Device()).open(QIODevice::ReadWrite))
            << command.toStdString();
    }
}

// A pipe of one page whose reader never reads, filled to the brim when `full`.
struct StalledPipe {
    int ends[2] = {-1, -1};
    explicit StalledPipe(bool full) {
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        ::fcntl(ends[0], F_SETPIPE_SZ, 4096);
        if (!full) return;
        ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
        const QByteArray page(4096, '#');
        while (::write(ends[1], page.constData(), page.size()) > 0) {
        }
        while (::write(ends[1], page.constData(), 1) > 0) {
        }
        ::fcntl(ends[1], F_SETFL, 0);  // vexactl's writes block, as on any full pipe
    }
    ~StalledPipe() {
        for (int fd : ends)
            if (fd >= 0) ::close(fd);
    }
};

// A reader that stops reading fills the pipe and the write waits; SIGTERM still ends every
// command within 1 s: with 130 (monitor: 0, "S~0000" the last frame sent), the port free again.
TEST_F(SpecialFilesTest, EveryCommandEndsOnSigtermWhileItsOutputPipeIsFull) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    ASSERT_EQ(Bash("$VEXACTL export saved.txt; echo $? > status").status, 0);
    const struct {
        std::vector<QByteArray> arguments;
        bool stdoutFull, stderrFull;  // monitor fills stdout by itself
        int status;
    } rows[] = {
        {{"monitor"}, false, false, 0},
        {{"read"}, true, false, 130},
        {{"export", "-"}, true, false, 130},
        {{"info"}, true, false, 130},
        {{"get", "C"}, true, false, 130},
        {{"--json", "diff", "saved.txt"}, true, false, 130},
        {{"diff", "saved.txt"}, false, true, 130},  // no difference: a line on stderr only
    };
    for (const auto& row : rows) {
        const QByteArray binary = VEXACTL_BINARY, device = Name(m_sim.Device());
        std::vector<const char*> argv{binary.constData(), "--port", device.constData()};
        for (const QByteArray& argument : row.arguments) argv.push_back(argument.constData());
        argv.push_back(nullptr);
        const std::string what =
            row.arguments.front().toStdString() + " " + row.arguments.back().toStdString();
        StalledPipe out(row.stdoutFull), err(row.stderrFull);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out.ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err.ends[1], STDERR_FILENO);
        posix_spawn_file_actions_addchdir_np(&actions, Name(m_dir.path()).constData());
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv.data()),
                                environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        // The command has long finished its exchange and waits on the pipe (monitor: once what
        // waits in the pipe stops growing).
        if (row.stdoutFull || row.stderrFull) QThread::msleep(1500);
        int waiting = 0;
        for (int tries = 0, stable = 0, now = 0;
             !row.stdoutFull && !row.stderrFull && tries < 400 && stable < 10;
             ++tries, waiting = now) {
            QThread::msleep(50);
            ::ioctl(out.ends[0], FIONREAD, &now);
            stable = now == waiting && now > 0 ? stable + 1 : 0;
        }
        int status = -1;
        ASSERT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << what;  // still waiting
        QElapsedTimer ending;
        ending.start();
        ::kill(pid, SIGTERM);
        while (::waitpid(pid, &status, WNOHANG) == 0 && ending.elapsed() < 5000) QThread::msleep(5);
        const qint64 took = ending.elapsed();
        if (took >= 5000) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
        EXPECT_LT(took, 1000) << what;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == row.status)
            << what << " " << status;
        if (row.arguments.front() == "monitor") {
            EXPECT_EQ(m_sim.ReceivedFrames().last(), "S~0000\\r");
        }
        EXPECT_TRUE(QSerialPort(m_sim.Device()).open(QIODevice::ReadWrite)) << what;
    }
}

// The line goes away in the middle of a restore: one line says how far it got, and Qt's own
// warnings about the closed device stay off the terminal.
TEST_F(SpecialFilesTest, LineLostDuringARestoreSaysAfterHowManyParameters) {
    ASSERT_FALSE(m_sim.Device().isEmpty());
    ASSERT_EQ(Bash("$VEXACTL export saved.txt; echo $? > status").status, 0);
    // The restore's own exchange; the backup before it has its own test.
    Start("$VEXACTL --no-backup restore saved.txt; echo $? > status");
    const auto sent = [this] {
        const QStringList frames = m_sim.ReceivedFrames();
        const qsizetype start = frames.lastIndexOf(QStringLiteral("Sj0004\\r"));
        return start < 0 ? 0 : int(frames.size() - start - 1);
    };
    QElapsedTimer waited;
    waited.start();
    while (sent() < 10 && waited.elapsed() < 10000) QThread::msleep(10);
    m_sim.Stop();
    const Outcome run = Finish();
    EXPECT_EQ(run.status, 4);
    // The link in flight when the line went can be one more than those the log shows.
    bool named = false;
    for (int n = sent() - 2; n <= sent() && !named; ++n)
        named =
            run.err.contains(QStringLiteral("the line was lost after %1 of 41 parameters").arg(n));
    EXPECT_TRUE(named) << sent() << ": " << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QLatin1String("QIODevice"))) << run.err.toStdString();
}

}  // namespace

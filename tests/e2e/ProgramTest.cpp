#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <random>

#include "PortLock.h"
#include "PtyPair.h"
#include "ReadBackChain.h"
#include "SimProcess.h"
#include "VexaProcess.h"
#include "VexaVersion.h"

// The built vexa program on the offscreen platform against a serial line on a pseudo-terminal.
namespace {

struct ProgramRun {
    int exitCode = -1;
    QString workDir;
    QByteArray portFile;
    QImage screenshot;
};

ProgramRun RunVexa(const QString& device, const QTemporaryDir& dir,
                   const QStringList& options = {}) {
    QProcess vexa;
    const QString shot = dir.filePath(QStringLiteral("main.png"));
    StartVexa(vexa, device, dir, QStringList{QStringLiteral("--screenshot"), shot} + options);
    ProgramRun run;
    if (!vexa.waitForFinished(30000)) {
        vexa.kill();
        vexa.waitForFinished();
        return run;
    }
    run.exitCode = vexa.exitCode();
    QFile file(dir.filePath(QStringLiteral("qzmcconfig.ini")));
    if (file.open(QIODevice::ReadOnly)) run.portFile = file.readAll();
    run.screenshot.load(shot);
    return run;
}

}  // namespace

TEST(ProgramTest, OpensTheNamedPseudoTerminalRecordsPort3AndAsksOnlyForTheVersion) {
    PtyPair line;
    ASSERT_TRUE(line.IsValid());
    QTemporaryDir dir;
    // Nobody answers: the version query is asked once more, then the read-back ends
    // incomplete and the program saves its window.
    const ProgramRun run = RunVexa(line.Path(), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.portFile, QByteArray("3\0", 2));
    EXPECT_FALSE(run.screenshot.isNull());
    EXPECT_EQ(line.ReadFar(), "?V\r?V\r");
}

TEST(ProgramTest, StartUpReadBackWalksAllFortyNineQueriesAgainstTheSimulator) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    QTemporaryDir dir;
    const ProgramRun run = RunVexa(sim.Device(), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.screenshot.isNull());
    EXPECT_EQ(sim.QueriedLetters(), std::string(kReadBackOrder));
}

TEST(ProgramTest, DroppedReplyIsAskedAgainAndTheProgramStillSettlesAndExits) {
    SimProcess sim({QStringLiteral("--drop"), QStringLiteral("?E")});
    ASSERT_FALSE(sim.Device().isEmpty());
    QTemporaryDir dir;
    const ProgramRun run = RunVexa(sim.Device(), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.screenshot.isNull());
    const std::string expected =
        std::string(kReadBackOrder.substr(0, kReadBackOrder.find('E') + 1)) + "E";
    EXPECT_EQ(sim.QueriedLetters(), expected);
}

// Ended by a signal, vexa closes its port the normal way: the lock file goes with it, so the
// next start (by any user) finds the port free.
TEST(ProgramTest, TerminationSignalsCloseThePortAndReleaseItsLock) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        PtyPair line;
        ASSERT_TRUE(line.IsValid());
        const QString& device = line.Path();
        QTemporaryDir dir;
        QProcess vexa;
        StartVexa(vexa, device, dir);
        // The version query on the line: the port is open and locked.
        pollfd query{line.Master(), POLLIN, 0};
        ASSERT_EQ(poll(&query, 1, 10000), 1);
        ASSERT_TRUE(FindPortLock(device).has_value());

        ::kill(static_cast<pid_t>(vexa.processId()), signalNumber);
        ASSERT_TRUE(vexa.waitForFinished(10000));
        EXPECT_EQ(vexa.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vexa.exitCode(), 128 + signalNumber);
        EXPECT_FALSE(FindPortLock(device).has_value());
    }
}

namespace {

// A process's resident memory and the CPU time it has used, from /proc.
qint64 ResidentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double CpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

}  // namespace

// A line that sends without pause for ten seconds (a wrong device, a babbling adapter): the
// program keeps up, its memory stays put, it is idle once the line is quiet again, and it
// still quits at once.
TEST(ProgramTest, FloodOfBytesForTenSecondsKeepsMemoryBoundedAndTheProgramResponsive) {
    PtyPair line;
    ASSERT_TRUE(line.IsValid());
    const int master = line.Master();
    QTemporaryDir dir;
    QProcess vexa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // In the sanitizer build, freed memory is held back to catch late uses; it is not kept.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":quarantine_size_mb=0"));
    StartVexa(vexa, line.Path(), dir, {}, env);
    pollfd query{master, POLLIN, 0};
    ASSERT_EQ(poll(&query, 1, 10000), 1);  // the version query: the port is open

    std::mt19937 random(13);
    QByteArray noise(4096, '\0');
    qint64 sent = 0, residentAfterOneSecond = -1;
    QElapsedTimer flood;
    flood.start();
    while (flood.elapsed() < 10000) {
        for (char& byte : noise) byte = char(random());
        pollfd writable{master, POLLOUT, 0};
        if (poll(&writable, 1, 100) == 1) {
            const ssize_t n = write(master, noise.constData(), noise.size());
            if (n > 0) sent += n;
        }
        char echo[4096];
        while (read(master, echo, sizeof echo) > 0) {
        }
        if (residentAfterOneSecond < 0 && flood.elapsed() >= 1000)
            residentAfterOneSecond = ResidentKiB(vexa.processId());
    }
    const qint64 residentAtTheEnd = ResidentKiB(vexa.processId());
    QThread::msleep(500);
    const double cpuBefore = CpuSeconds(vexa.processId());
    QThread::msleep(1000);
    const double idleCpu = CpuSeconds(vexa.processId()) - cpuBefore;
    RecordProperty("bytes_sent", std::to_string(sent));
    RecordProperty("rss_kib_after_1s", std::to_string(residentAfterOneSecond));
    RecordProperty("rss_kib_after_10s", std::to_string(residentAtTheEnd));

    EXPECT_GT(sent, 100'000);
    EXPECT_LT(residentAtTheEnd - residentAfterOneSecond, 8 * 1024) << "KiB";
    EXPECT_LT(idleCpu, 0.1) << "s of CPU in the quiet second after the flood";
    ::kill(static_cast<pid_t>(vexa.processId()), SIGTERM);
    ASSERT_TRUE(vexa.waitForFinished(10000));
    EXPECT_EQ(vexa.exitCode(), 128 + SIGTERM);
}

TEST(ProgramTest, LiveScreenshotStartsTheDisplayAfterTheReadBackAndSwitchesItOffAgain) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    QTemporaryDir dir;
    const ProgramRun run = RunVexa(sim.Device(), dir, {QStringLiteral("--live")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.screenshot.isNull());
    const QByteArray log = sim.Log();
    const qsizetype lastQuery = log.lastIndexOf("rx ?j");
    const qsizetype on = log.indexOf("rx S~0001");
    EXPECT_GT(on, lastQuery);
    EXPECT_GT(lastQuery, -1);
    EXPECT_GT(log.indexOf("rx S~0000", on), on);
}

// Started with the frame editor, vexa reads every parameter and then the frame, each query once:
// the editor waits for the start-up read-back instead of opening the port a second time.
TEST(ProgramTest, FrameEditorAtStartAsksForTheVersionOnceThenReadsTheFrame) {
    SimProcess sim;
    ASSERT_FALSE(sim.Device().isEmpty());
    QTemporaryDir dir;
    QProcess vexa;
    StartVexa(vexa, sim.Device(), dir, {QStringLiteral("--frame-editor")});
    ASSERT_TRUE(vexa.waitForStarted());
    const std::string expected = std::string(kReadBackOrder) + std::string(kFrameGeometryOrder);
    QElapsedTimer waited;
    waited.start();
    while (sim.QueriedLetters().size() < expected.size() && waited.elapsed() < 15000)
        QThread::msleep(50);
    QThread::msleep(1200);  // a query asked again would come a second after the first
    ::kill(pid_t(vexa.processId()), SIGTERM);
    vexa.waitForFinished(5000);
    EXPECT_EQ(sim.QueriedLetters(), expected);
}

// --version and --help answer without a display (the manual page is made from them at build
// time, on machines with no window system).
TEST(ProgramTest, VersionAndHelpNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    for (const auto& [option, expected] :
         {std::pair{"--version", QByteArray("vexa " VEXA_VERSION "\n")},
          std::pair{"--help", QByteArray("Usage: vexa [options]\n")}}) {
        QProcess vexa;
        vexa.setProcessEnvironment(env);
        vexa.start(QStringLiteral(VEXA_BINARY), {QLatin1String(option)});
        ASSERT_TRUE(vexa.waitForFinished(10000)) << option;
        EXPECT_EQ(vexa.exitCode(), 0) << option;
        EXPECT_TRUE(vexa.readAllStandardOutput().startsWith(expected)) << option;
    }
}

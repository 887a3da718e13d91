#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "PortLock.h"
#include "ReadBackChain.h"
#include "SimProcess.h"

// The built vexa program on the offscreen platform against a serial line on a pseudo-terminal.
namespace {

struct ProgramRun {
    int exitCode = -1;
    QString workDir;
    QByteArray portFile;
    QImage screenshot;
};

ProgramRun RunVexa(const QString& device, const QTemporaryDir& dir) {
    QProcess vexa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    vexa.setProcessEnvironment(env);
    vexa.setWorkingDirectory(dir.path());
    const QString shot = dir.filePath(QStringLiteral("main.png"));
    vexa.start(QStringLiteral(VEXA_BINARY), {QStringLiteral("--com"), QStringLiteral("3=") + device,
                                             QStringLiteral("--screenshot"), shot});
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
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    QTemporaryDir dir;
    // Nobody answers: the version query is asked once more, then the read-back ends
    // incomplete and the program saves its window.
    const ProgramRun run = RunVexa(QString::fromLocal8Bit(name), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.portFile, QByteArray("3\0", 2));
    EXPECT_FALSE(run.screenshot.isNull());
    QByteArray received(256, '\0');
    const ssize_t n = read(master, received.data(), received.size());
    EXPECT_EQ(received.left(n > 0 ? n : 0), "?V\r?V\r");
    close(slave);
    close(master);
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
        int master = -1, slave = -1;
        char name[128] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        const QString device = QString::fromLocal8Bit(name);
        QTemporaryDir dir;
        QProcess vexa;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        vexa.setProcessEnvironment(env);
        vexa.setWorkingDirectory(dir.path());
        vexa.start(QStringLiteral(VEXA_BINARY), {QStringLiteral("--com"), "3=" + device});
        // The version query on the line: the port is open and locked.
        pollfd line{master, POLLIN, 0};
        ASSERT_EQ(poll(&line, 1, 10000), 1);
        ASSERT_TRUE(FindPortLock(device).has_value());

        ::kill(static_cast<pid_t>(vexa.processId()), signalNumber);
        ASSERT_TRUE(vexa.waitForFinished(10000));
        EXPECT_EQ(vexa.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vexa.exitCode(), 128 + signalNumber);
        EXPECT_FALSE(FindPortLock(device).has_value());
        close(slave);
        close(master);
    }
}

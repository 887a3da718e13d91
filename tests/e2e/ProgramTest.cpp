#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "ReadBackChain.h"
#include "SimProcess.h"
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    vexa.setProcessEnvironment(env);
    vexa.setWorkingDirectory(dir.path());
    const QString shot = dir.filePath(QStringLiteral("main.png"));
    vexa.start(QStringLiteral(VEXA_BINARY),
               QStringList{QStringLiteral("--com"), QStringLiteral("3=") + device,
                           QStringLiteral("--screenshot"), shot} +
                   options);
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

TEST(ProgramTest, OpensTheNamedPseudoTerminalRecordsPort3AndSendsOnlyTheVersionQuery) {
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    QTemporaryDir dir;
    // Nobody answers: the program settles after two quiet seconds and saves its window.
    const ProgramRun run = RunVexa(QString::fromLocal8Bit(name), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.portFile, QByteArray("3\0", 2));
    EXPECT_FALSE(run.screenshot.isNull());
    QByteArray received(256, '\0');
    const ssize_t n = read(master, received.data(), received.size());
    EXPECT_EQ(received.left(n > 0 ? n : 0), "?V\r");
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

TEST(ProgramTest, DroppedReplyStopsTheChainAndTheProgramStillSettlesAndExits) {
    SimProcess sim({QStringLiteral("--drop"), QStringLiteral("?E")});
    ASSERT_FALSE(sim.Device().isEmpty());
    QTemporaryDir dir;
    const ProgramRun run = RunVexa(sim.Device(), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.screenshot.isNull());
    const std::string expected(kReadBackOrder.substr(0, kReadBackOrder.find('E') + 1));
    EXPECT_EQ(sim.QueriedLetters(), expected);
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

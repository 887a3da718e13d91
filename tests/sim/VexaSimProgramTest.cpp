#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "VexaVersion.h"

namespace {

// Opens the device as a terminal program would, raw, and returns the descriptor.
int OpenRaw(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Writes `request` and reads until `count` bytes have come or a second passes without any.
QByteArray Exchange(int fd, const QByteArray& request, qsizetype count) {
    if (::write(fd, request.constData(), request.size()) != request.size()) return {};
    QByteArray reply;
    char buffer[256];
    pollfd wait{fd, POLLIN, 0};
    while (reply.size() < count && ::poll(&wait, 1, 1000) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        reply.append(buffer, n);
    }
    return reply;
}

TEST(VexaSimProgram, ServesQueriesOnItsPseudoTerminalAcrossReopensAndExitsCleanly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("pellar"));
    const QString log = dir.filePath(QStringLiteral("frames.log"));

    QProcess sim;
    sim.start(
        QStringLiteral(VEXA_SIM_BINARY),
        {QStringLiteral("--link"), link, QStringLiteral("--log"), log, QStringLiteral("--firmware"),
         QStringLiteral("1234"), QStringLiteral("--live-rate"), QStringLiteral("50")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
    }
    const QByteArray device = sim.readLine().trimmed();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.constData();

    int fd = OpenRaw(device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, "?V\r", 10), "?V\r=1234\r\n");
    // Leave the live stream running and close. The controller streams on, but what it sent
    // while the port was closed is lost, as on a real line: the next program to open the port
    // sees at most the frames of the last moments before its answer, each one whole.
    EXPECT_TRUE(Exchange(fd, "S~0001\r", 8).startsWith("S~0001\r\n"));
    ::close(fd);
    ::usleep(300'000);

    fd = OpenRaw(QFile::encodeName(link));
    ASSERT_GE(fd, 0);
    const QByteArray reply = Exchange(fd, "?C\r", 1000);
    const qsizetype at = reply.indexOf("?C\r=0045\r\n");
    ASSERT_GE(at, 0) << reply.constData();
    EXPECT_LE(at, 2 * 3 * 38);
    EXPECT_EQ(at % 38, 0);
    ::close(fd);

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link)) << "the link is removed on exit";

    QFile frames(log);
    ASSERT_TRUE(frames.open(QIODevice::ReadOnly));
    const QByteArray logged = frames.readAll();
    EXPECT_TRUE(logged.contains("rx ?V\\r"));
    EXPECT_TRUE(logged.contains("rx ?C\\r"));
}

TEST(VexaSimProgram, VersionPrintsTheProgramsVersionAndTheOldFirmwareSpellingStillWorks) {
    QProcess version;
    version.start(QStringLiteral(VEXA_SIM_BINARY), {QStringLiteral("--version")});
    ASSERT_TRUE(version.waitForFinished(5000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.readAllStandardOutput(), QByteArray("vexa-sim " VEXA_VERSION "\n"));
    // The old spelling reaches the firmware option: said so, then checked as --firmware.
    QProcess old;
    old.start(QStringLiteral(VEXA_SIM_BINARY), {QStringLiteral("--version=12x")});
    ASSERT_TRUE(old.waitForFinished(5000));
    const QList<QByteArray> lines = old.readAllStandardError().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("deprecated")) << lines[0].constData();
    EXPECT_TRUE(lines[1].startsWith("vexa-sim: --firmware 12x")) << lines[1].constData();
}

}  // namespace

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "ReadBackChain.h"
#include "SimProcess.h"
#include "VexaProcess.h"

// The built vexa program upgrades vexa-sim's controller over a pseudo-terminal (--upgrade).
namespace {

struct UpgradeRun {
    int exitCode = -1;
    QString messages;  // what the program told the operator (standard error of a headless run)
    bool screenshot = false;
};

UpgradeRun RunUpgrade(const QString& device, const QString& firmware, const QTemporaryDir& dir) {
    QProcess vexa;
    const QString shot = dir.filePath(QStringLiteral("upgrade.png"));
    StartVexa(vexa, device, dir,
              {QStringLiteral("--upgrade"), firmware, QStringLiteral("--screenshot"), shot});
    UpgradeRun run;
    if (!vexa.waitForFinished(90000)) {
        vexa.kill();
        vexa.waitForFinished();
        return run;
    }
    run.exitCode = vexa.exitCode();
    run.messages = QString::fromUtf8(vexa.readAllStandardError());
    run.screenshot = QFile::exists(shot);
    return run;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(UpgradeProgramTest, LargestImageArrivesWholeAndTheControllerIsReadBack) {
    QTemporaryDir dir;
    QByteArray firmware(65535, '\0');
    QRandomGenerator random(1218);
    for (char& c : firmware) c = char(random.bounded(256));
    const QString firmwarePath = dir.filePath(QStringLiteral("pellar.bin"));
    QFile file(firmwarePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(firmware);
    file.close();

    struct Case {
        const char* name;
        QStringList faults;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"clean line", {}, 0, "恭喜你升级成功!"},
        {"wrong sum", {QStringLiteral("--bad-sum")}, 1, "数据校验错误，请重新升级!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString imagePath = dir.filePath(QStringLiteral("received-%1.bin").arg(c.exitCode));
        SimProcess sim(
            QStringList{QStringLiteral("--no-pace"), QStringLiteral("--image-out"), imagePath} +
            c.faults);
        ASSERT_FALSE(sim.Device().isEmpty());
        const UpgradeRun run = RunUpgrade(sim.Device(), firmwarePath, dir);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.screenshot);
        EXPECT_TRUE(run.messages.contains(QString::fromUtf8(c.message)))
            << run.messages.toStdString();
        const std::string readBack(kReadBackOrder);
        if (c.exitCode != 0) {
            EXPECT_FALSE(QFile::exists(imagePath)) << "a damaged upload is not installed";
            EXPECT_EQ(sim.QueriedLetters(), readBack + "W");
            continue;
        }
        // The file, the zero byte the upload adds, and zeros to the end of 1171 data packets.
        EXPECT_EQ(ReadAll(imagePath), firmware + QByteArray(1171 * 56 - firmware.size(), '\0'));
        // Start-up read-back, the tag inquiry, and the new firmware read back in full.
        EXPECT_EQ(sim.QueriedLetters(), readBack + "W" + readBack);
    }
}

}  // namespace

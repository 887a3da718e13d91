// The parameter text file as the export writes it, and the all-or-nothing save.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "GbkCodec.h"
#include "GoldenFile.h"
#include "ParameterExport.h"

namespace {

// The hand-written file holds every form a value takes: 0005, 0045, 0100, -3, -100, a battery
// value, one-digit flags and switches, 5004-5000 and 4770-5000, the port as COM05.
TEST(ParameterExport, CompleteFileMatchesTheHandWrittenOneByteForByte) {
    const QByteArray golden = GoldenFileBytes();
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(ParameterFileBytes(GoldenCache(), kGoldenPort), golden);
    const QByteArray first = ParameterFileBytes({}, 12).split('\n').front();
    EXPECT_EQ(first, gbk::Encode(QStringLiteral("当 前 串口COM12\r\r")).value());
}

TEST(ParameterExport, SaveWritesAllOrLeavesThePathAlone) {
    QTemporaryDir dir;
    const QByteArray bytes = ParameterFileBytes(GoldenCache(), kGoldenPort);
    const QString path = dir.filePath(QStringLiteral("QZMC_Data.txt"));
    EXPECT_EQ(SaveParameterFile(path, bytes), std::nullopt);
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), bytes);

    // A folder of that name, or a folder that is not there: a reason, nothing left behind.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.txt")));
    for (const char* failing : {"taken.txt", "no/such.txt"}) {
        const std::optional<QString> reason =
            SaveParameterFile(dir.filePath(QString::fromUtf8(failing)), bytes);
        EXPECT_FALSE(reason.value_or(QString()).isEmpty()) << failing;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("QZMC_Data.txt")});
}

}  // namespace

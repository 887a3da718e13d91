// The parameter text file as the export writes it, and the all-or-nothing save.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "GbkCodec.h"
#include "GoldenFile.h"
#include "ParameterExport.h"

namespace {

QList<QByteArray> Lines(const QByteArray& bytes) { return bytes.split('\n'); }

TEST(ParameterExport, CompleteFileMatchesTheHandWrittenOneByteForByte) {
    const QByteArray golden = GoldenFileBytes();
    ASSERT_FALSE(golden.isEmpty());
    const auto cache = GoldenCache();
    const QByteArray written = ParameterFileBytes(cache, kGoldenPort);
    EXPECT_EQ(written, golden);
    EXPECT_EQ(cache, GoldenCache()) << "the cache is only read";

    // 196 lines, each ending in CR CR LF but the last, which has no ending.
    const QList<QByteArray> lines = Lines(written);
    ASSERT_EQ(lines.size(), 196);
    for (int i = 0; i < 195; ++i) EXPECT_TRUE(lines[i].endsWith("\r\r")) << i;
    EXPECT_FALSE(lines.back().endsWith('\r'));
}

TEST(ParameterExport, ValuesTakeTheFormOfTheirLine) {
    struct Case {
        int slot;
        int value;
        const char* written;  // the line after its 13-byte label, without the ending
    };
    const Case cases[] = {
        {3, 7, "0007"},        {3, 45, "0045"},  {3, 100, "0100"},      {3, -3, "-3"},
        {26, 1000, "01000"},   {190, 0, "0000"}, {190, -180, "-180"},   {27, 7, "7"},
        {35, 1, "1"},          {174, 1, "1"},    {175, 4, "5004-5000"}, {178, -120, "4880-5000"},
        {189, 0, "5000-5000"},
    };
    for (const Case& c : cases) {
        std::array<int, ProtocolState::kCacheSlots> cache{};
        cache[c.slot] = c.value;
        const QByteArray line = Lines(ParameterFileBytes(cache, 3))[c.slot + 1];
        EXPECT_EQ(line.mid(13), QByteArray(c.written) + "\r\r") << c.slot << " " << c.value;
    }
    for (const auto& [port, ending] : {std::pair{5, "COM05"}, {12, "COM12"}, {9, "COM09"}}) {
        const QByteArray first = Lines(ParameterFileBytes({}, port)).front();
        EXPECT_EQ(first, gbk::Encode(QStringLiteral("当 前 串口")).value() + ending + "\r\r");
    }
}

TEST(ParameterExport, SaveWritesAllOrLeavesThePathAlone) {
    QTemporaryDir dir;
    const QByteArray bytes = ParameterFileBytes(GoldenCache(), kGoldenPort);
    const QString path = dir.filePath(QStringLiteral("QZMC_Data.txt"));
    EXPECT_EQ(SaveParameterFile(path, bytes), std::nullopt);
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), bytes);

    // A folder of that name, or a folder that is not there: a reason, and nothing left behind.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.txt")));
    for (const QString& failing :
         {dir.filePath(QStringLiteral("taken.txt")), dir.filePath(QStringLiteral("no/such.txt"))}) {
        const std::optional<QString> reason = SaveParameterFile(failing, bytes);
        ASSERT_TRUE(reason.has_value()) << failing.toStdString();
        EXPECT_FALSE(reason->isEmpty());
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.txt"))).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("QZMC_Data.txt")});
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FirmwareImage.h"

namespace {

QByteArray Pattern(qsizetype length) {
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i) bytes[i] = char(0x80 + i * 7);
    return bytes;
}

class FirmwareImageTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir m_dir;
};

TEST_F(FirmwareImageTest, LengthGivesBytesSentAndPacketCount) {
    // Total is the length + 1; N is one start packet plus one per started 56 bytes.
    const std::tuple<qsizetype, quint32, quint32> cases[] = {
        {111, 112, 3}, {55, 56, 2}, {100, 101, 3}, {2, 3, 2}, {56, 57, 3}, {65535, 65536, 1172}};
    for (const auto& [length, total, packets] : cases) {
        FirmwareImage image;
        ASSERT_EQ(image.Load(Write(QStringLiteral("fw.bin"), Pattern(length))), FirmwareCheck::Ok);
        EXPECT_EQ(image.Total(), total) << length;
        EXPECT_EQ(image.Packets(), packets) << length;
    }
}

TEST_F(FirmwareImageTest, RefusedFilesLeaveNoImage) {
    const QString good = Write(QStringLiteral("fw.bin"), Pattern(300));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.bin"));
    const QString pipe = m_dir.filePath(QStringLiteral("pipe.bin"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::pair<QString, FirmwareCheck> cases[] = {
        // The name check is exact and case-sensitive, with or without a dot.
        {Write(QStringLiteral("FW.BIN"), Pattern(300)), FirmwareCheck::NotFirmware},
        {Write(QStringLiteral("fw.Bin"), Pattern(300)), FirmwareCheck::NotFirmware},
        {Write(QStringLiteral("fwxbin"), Pattern(300)), FirmwareCheck::Ok},
        {QString(), FirmwareCheck::NoFileChosen},
        // Nothing to send, or more than the buffer holds.
        {Write(QStringLiteral("one.bin"), Pattern(1)), FirmwareCheck::Corrupt},
        {Write(QStringLiteral("full.bin"), Pattern(65536)), FirmwareCheck::Corrupt},
        // Not a file that can be read to its end.
        {m_dir.filePath(QStringLiteral("missing.bin")), FirmwareCheck::Corrupt},
        {m_dir.filePath(QStringLiteral("folder.bin")), FirmwareCheck::Corrupt},
        {pipe, FirmwareCheck::Corrupt},
    };
    for (const auto& [path, expected] : cases) {
        FirmwareImage image;
        ASSERT_EQ(image.Load(good), FirmwareCheck::Ok);
        EXPECT_EQ(image.Load(path), expected) << path.toStdString();
        EXPECT_EQ(image.IsLoaded(), expected == FirmwareCheck::Ok) << path.toStdString();
    }
    // Reading without a name (a cancelled dialog) fails like a damaged file.
    EXPECT_EQ(FirmwareImage().Read(QString()), FirmwareCheck::Corrupt);
}

TEST_F(FirmwareImageTest, StreamIsTheFileThenZerosEvenAfterALargerImage) {
    FirmwareImage image;
    ASSERT_EQ(image.Load(Write(QStringLiteral("big.bin"), QByteArray(5000, '\xFF'))),
              FirmwareCheck::Ok);
    const QByteArray file = Pattern(100);
    ASSERT_EQ(image.Load(Write(QStringLiteral("small.bin"), file)), FirmwareCheck::Ok);
    EXPECT_EQ(image.Payload(56), file.mid(56) + QByteArray(12, '\0'));
    EXPECT_EQ(image.Payload(65520), QByteArray(56, '\0')) << "past the buffer the stream is zero";
}

}  // namespace

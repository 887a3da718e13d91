#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FirmwareImage.h"

namespace {

class FirmwareImageTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    static QByteArray Pattern(qsizetype length) {
        QByteArray bytes(length, '\0');
        for (qsizetype i = 0; i < length; ++i) bytes[i] = char(0x80 + i * 7);
        return bytes;
    }

    QTemporaryDir m_dir;
};

TEST_F(FirmwareImageTest, LengthGivesBytesSentAndPacketCount) {
    struct Case {
        qsizetype length;
        quint32 total;
        quint32 packets;
    };
    // Total is the length + 1; N is one start packet plus one per started 56 bytes.
    const Case cases[] = {{111, 112, 3}, {55, 56, 2}, {100, 101, 3},
                          {2, 3, 2},     {56, 57, 3}, {65535, 65536, 1172}};
    for (const Case& c : cases) {
        FirmwareImage image;
        ASSERT_EQ(image.Load(Write(QStringLiteral("fw.bin"), Pattern(c.length))), FirmwareCheck::Ok)
            << c.length;
        EXPECT_EQ(image.Total(), c.total) << c.length;
        EXPECT_EQ(image.Packets(), c.packets) << c.length;
    }
}

TEST_F(FirmwareImageTest, NamesAndFilesThatAreRefused) {
    struct Case {
        QString path;
        FirmwareCheck expected;
    };
    const QString good = Write(QStringLiteral("fw.bin"), Pattern(300));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.bin"));
    const QString pipe = m_dir.filePath(QStringLiteral("pipe.bin"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const Case cases[] = {
        {good, FirmwareCheck::Ok},
        // The name check is exact and case-sensitive, with or without a dot.
        {Write(QStringLiteral("FW.BIN"), Pattern(300)), FirmwareCheck::NotFirmware},
        {Write(QStringLiteral("fw.Bin"), Pattern(300)), FirmwareCheck::NotFirmware},
        {Write(QStringLiteral("fwxbin"), Pattern(300)), FirmwareCheck::Ok},
        {Write(QStringLiteral("fw.hex"), Pattern(300)), FirmwareCheck::NotFirmware},
        {QString(), FirmwareCheck::NoFileChosen},
        // Lengths the upload cannot take: nothing to send, or more than the buffer holds.
        {Write(QStringLiteral("empty.bin"), {}), FirmwareCheck::Corrupt},
        {Write(QStringLiteral("one.bin"), Pattern(1)), FirmwareCheck::Corrupt},
        {Write(QStringLiteral("full.bin"), Pattern(65536)), FirmwareCheck::Corrupt},
        {Write(QStringLiteral("huge.bin"), Pattern(200000)), FirmwareCheck::Corrupt},
        // Not files that can be read.
        {m_dir.filePath(QStringLiteral("missing.bin")), FirmwareCheck::Corrupt},
        {m_dir.filePath(QStringLiteral("folder.bin")), FirmwareCheck::Corrupt},
        {pipe, FirmwareCheck::Corrupt},  // reading it would wait for a writer
    };
    for (const Case& c : cases) {
        FirmwareImage image;
        ASSERT_EQ(image.Load(good), FirmwareCheck::Ok);
        EXPECT_EQ(image.Load(c.path), c.expected) << c.path.toStdString();
        // A refused file leaves nothing of the image before it to upload.
        EXPECT_EQ(image.IsLoaded(), c.expected == FirmwareCheck::Ok) << c.path.toStdString();
    }
    // Reading without a name (a cancelled dialog) fails like a damaged file.
    FirmwareImage image;
    EXPECT_EQ(image.Read(QString()), FirmwareCheck::Corrupt);
}

TEST_F(FirmwareImageTest, StreamIsTheFileThenZerosEvenAfterALargerImage) {
    FirmwareImage image;
    ASSERT_EQ(image.Load(Write(QStringLiteral("big.bin"), QByteArray(5000, '\xFF'))),
              FirmwareCheck::Ok);
    const QByteArray file = Pattern(100);
    ASSERT_EQ(image.Load(Write(QStringLiteral("small.bin"), file)), FirmwareCheck::Ok);
    EXPECT_EQ(image.Buffer().size(), 65536);
    EXPECT_EQ(image.Payload(0), file.left(56));
    // Offsets 56 to 99 of the file, then the buffer's zeros: nothing of the earlier image.
    EXPECT_EQ(image.Payload(56), file.mid(56) + QByteArray(12, '\0'));
    EXPECT_EQ(image.Payload(65520), QByteArray(56, '\0')) << "past the buffer the stream is zero";
}

}  // namespace

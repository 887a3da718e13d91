#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "PortFile.h"

namespace {

TEST(PortFileTest, ReadsTheLeadingNumberOfWhateverTheFileHolds) {
    struct Case {
        QByteArray content;
        bool empty;
        int number;
    };
    const Case cases[] = {
        {"", true, 0},
        {QByteArray("7\0", 2), false, 7},
        {"12" + QByteArray(8 << 20, 'x'), false, 12},   // huge: only its start is read
        {QByteArray("\xff\xfe\x00\x01", 4), false, 0},  // binary
        {"  -4", false, -4},
        {"123456789", false, 0},  // no port number at all
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("qzmcconfig.ini");
    for (const Case& c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        const PortFile::Content content = PortFile(path).Read();
        EXPECT_EQ(content.empty, c.empty) << c.content.left(8).toHex().constData();
        EXPECT_EQ(content.number, c.number) << c.content.left(8).toHex().constData();
        EXPECT_TRUE(content.problem.isEmpty());
    }
}

TEST(PortFileTest, FileThatExistsButCannotBeOpenedSaysWhy) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("qzmcconfig.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(PortFile(folder).Read().problem, "Is a directory");

    const QString locked = dir.filePath("locked.ini");
    QFile(locked).open(QIODevice::WriteOnly);
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0), 0);
    if (geteuid() != 0) {  // root opens it all the same
        EXPECT_EQ(PortFile(locked).Read().problem, "Permission denied");
    }

    // A file that is missing is created, as always, and is no problem.
    EXPECT_TRUE(PortFile(dir.filePath("new.ini")).Read().problem.isEmpty());
}

}  // namespace

// File names are bytes: a name reaches the system as it was given (no round trip through a
// text codec), is shown with its undecodable bytes escaped, and every name a folder takes can
// be written whole, the longest included.
#include <dirent.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <set>
#include <variant>

#include "KeptFiles.h"
#include "NativeName.h"
#include "RegularFile.h"
#include "WholeFile.h"

namespace {

// The names in a folder as the system holds them, hidden ones (part files) included.
std::set<QByteArray> NamesIn(const QString& folder) {
    std::set<QByteArray> names;
    DIR* dir = ::opendir(NativeName(folder).constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
        if (QByteArrayView(entry->d_name) != "." && QByteArrayView(entry->d_name) != "..")
            names.insert(entry->d_name);
    if (dir) ::closedir(dir);
    return names;
}

TEST(FileName, EveryNameReachesTheSystemAsItsBytesAndIsShownEscaped) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* shown;  // empty: shown as it decodes
    } rows[] = {
        {"ASCII", "QZMC_Data.txt", ""},
        {"UTF-8", "\xe5\x8f\x82\xe6\x95\xb0.txt", ""},  // 参数.txt
        {"GBK from an old Windows copy", "\xb2\xce\xca\xfd.txt", "\\xb2\\xce\\xca\\xfd.txt"},
        {"another GBK name", "\xb2\xce\xca\xfe.txt", "\\xb2\\xce\\xca\\xfe.txt"},
        {"a stray continuation byte", "a\x80z.txt", "a\\x80z.txt"},
        {"an overlong slash", "a\xc0\xafz.txt", "a\\xc0\\xafz.txt"},
        {"an encoded surrogate", "a\xed\xb2\x80z.txt", "a\\xed\\xb2\\x80z.txt"},
        {"a cut-off sequence at the end", "a.txt\xe5\x8f", "a.txt\\xe5\\x8f"},
        {"a character beyond the first plane", "\xf0\x90\x82\x80.txt", ""},
        {"255 bytes, the longest a folder takes", QByteArray(251, 'n') + ".txt", ""},
        {"255 bytes of three-byte characters", QByteArray("\xe5\x8f\x82").repeated(84) + "txt", ""},
    };
    QTemporaryDir dir;
    std::set<QByteArray> expected;
    for (const auto& row : rows) {
        const QString name = NameFromNative(row.bytes);
        EXPECT_EQ(NativeName(name), row.bytes) << row.what;
        if (*row.shown)
            EXPECT_EQ(ShownName(name), QString::fromUtf8(row.shown)) << row.what;
        else
            EXPECT_EQ(ShownName(name), QString::fromUtf8(row.bytes)) << row.what;
        if (row.bytes.size() > 255) continue;
        const QString path = QDir(dir.path()).filePath(name);
        const std::optional<QString> problem =
            WriteWholeFile(path, row.bytes, SystemWriteCalls(), 0600);
        EXPECT_EQ(problem.value_or(QString()), QString()) << row.what;
        const auto read = ReadRegularFile(path, 4096);
        ASSERT_TRUE(std::holds_alternative<QByteArray>(read)) << row.what;
        EXPECT_EQ(std::get<QByteArray>(read), row.bytes) << row.what;
        expected.insert(row.bytes);
    }
    // Each name is a file of its own, under its own bytes, and no part file is left.
    EXPECT_EQ(NamesIn(dir.path()), expected);
}

// A kept file of the longest name: its hidden name is shortened, never the kept name.
TEST(FileName, TheLongestNameIsKeptWhole) {
    QTemporaryDir dir;
    const QByteArray longest = QByteArray(251, 'k') + ".txt";
    const NewKeptFile written = WriteNewKeptFile(
        dir.path(), [&](int n) { return NameFromNative(n == 1 ? longest : "k-2.txt"); }, "kept");
    EXPECT_EQ(written.problem.value_or(QString()), QString());
    EXPECT_EQ(NamesIn(dir.path()), std::set<QByteArray>{longest});
}

}  // namespace

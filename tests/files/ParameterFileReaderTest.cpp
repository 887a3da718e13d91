// The checked reader: every file the export writes is read back to the cache it came from;
// every damaged file is refused with the line where the damage shows.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "GbkCodec.h"
#include "GoldenFile.h"
#include "ParameterFileReader.h"

namespace {

using Kind = FileProblem::Kind;

QByteArray Gbk(const char* text) { return gbk::Encode(QString::fromUtf8(text)).value(); }

// The golden file with its lines (counted from 1) edited.
class Edit {
public:
    Edit() : m_lines(GoldenFileBytes().split('\n')) {}
    Edit& Replace(int line, const QByteArray& text) {
        m_lines[line - 1] = text + (line < m_lines.size() ? "\r\r" : "");
        return *this;
    }
    Edit& Remove(int line) {
        m_lines.removeAt(line - 1);
        return *this;
    }
    Edit& Insert(int line, const QByteArray& text) {
        m_lines.insert(line - 1, text + "\r\r");
        return *this;
    }
    Edit& Keep(int lines) {
        m_lines = m_lines.mid(0, lines);
        return *this;
    }
    operator QByteArray() const { return m_lines.join('\n'); }

private:
    QList<QByteArray> m_lines;
};

ParameterValues GoldenValues() {
    const auto cache = GoldenCache();
    ParameterValues values{};
    std::copy_n(cache.begin(), values.size(), values.begin());
    return values;
}

TEST(ParameterFileReader, ReadsWhatTheExportWroteWhateverTheLineEndings) {
    const QByteArray golden = GoldenFileBytes();
    QByteArray crlf = golden;
    crlf.replace("\r\r\n", "\r\n");
    QByteArray lf = golden;
    lf.replace("\r\r\n", "\n");
    const QByteArray accepted[] = {golden,
                                   crlf,
                                   lf,
                                   golden + "\r\n",
                                   lf + "\n\n  \n",
                                   Edit().Replace(192, Gbk("本地 磁 偏 角-5  "))};
    for (const QByteArray& bytes : accepted) {
        const auto read = ReadParameterFile(bytes);
        ASSERT_TRUE(std::holds_alternative<ParameterValues>(read))
            << std::get<FileProblem>(read).Describe(true).toStdString();
        EXPECT_EQ(std::get<ParameterValues>(read), GoldenValues());
    }
}

TEST(ParameterFileReader, ShortValueIsReadAsItsNumber) {
    const auto read = ReadParameterFile(QByteArray(Edit().Replace(6, Gbk("辅 助  稳定度45"))));
    ParameterValues expected = GoldenValues();
    expected[4] = 45;
    ASSERT_TRUE(std::holds_alternative<ParameterValues>(read));
    EXPECT_EQ(std::get<ParameterValues>(read), expected);
}

TEST(ParameterFileReader, DamagedFilesAreRefusedAtTheLineWhereTheDamageShows) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk += char(i * 37 % 256);
    QByteArray utf8 = GoldenFileBytes();
    utf8 = gbk::Decode(utf8).value().toUtf8();
    struct Case {
        const char* what;
        QByteArray bytes;
        Kind kind;
        int line;
    };
    const Case cases[] = {
        {"empty file", {}, Kind::MissingLine, 1},
        {"binary junk", junk, Kind::NotPortLine, 1},
        {"saved as UTF-8", utf8, Kind::NotPortLine, 1},
        {"port line without number", Edit().Replace(1, Gbk("当 前 串口COM")), Kind::NotPortLine, 1},
        {"line 50 deleted", Edit().Remove(50), Kind::WrongLabel, 50},
        {"blank line inserted", Edit().Insert(10, ""), Kind::WrongLabel, 10},
        {"label respaced", Edit().Replace(6, Gbk("辅 助 稳定度 0007")), Kind::WrongLabel, 6},
        {"letter in value", Edit().Replace(5, Gbk("主  稳  定 度00x5")), Kind::NotANumber, 5},
        {"no value", Edit().Replace(12, Gbk("高 度   锁 定")), Kind::NotANumber, 12},
        {"plus sign", Edit().Replace(13, Gbk("辅  助  高 度+012")), Kind::NotANumber, 13},
        {"gain above 100", Edit().Replace(5, Gbk("主  稳  定 度0150")), Kind::OutOfRange, 5},
        {"no frame type", Edit().Replace(2, Gbk("多轴模式 选择0000")), Kind::OutOfRange, 2},
        {"alarm below 2.80 V", Edit().Replace(28, Gbk("报警电压 设置0279")), Kind::OutOfRange, 28},
        {"flag 2", Edit().Replace(60, Gbk("自稳  CH6  低2")), Kind::OutOfRange, 60},
        {"last grid cell 9", Edit().Replace(176, Gbk("自动降落CH8高9")), Kind::OutOfRange, 176},
        {"declination 181", Edit().Replace(192, Gbk("本地 磁 偏 角181")), Kind::OutOfRange, 192},
        {"frame value without -5000", Edit().Replace(177, Gbk("异形多轴轴 数5004")),
         Kind::NotANumber, 177},
        {"cut after line 100", Edit().Keep(100), Kind::MissingLine, 101},
        {"last note missing", Edit().Keep(195), Kind::MissingLine, 196},
        {"line after the notes", QByteArray(Edit()) + "\r\r\nmore", Kind::ExtraLine, 197},
        {"far too large", QByteArray(Edit()) + QByteArray(70000, ' '), Kind::TooLarge, 0},
    };
    for (const Case& c : cases) {
        const auto read = ReadParameterFile(c.bytes);
        ASSERT_TRUE(std::holds_alternative<FileProblem>(read)) << c.what;
        const FileProblem& problem = std::get<FileProblem>(read);
        EXPECT_EQ(problem.kind, c.kind) << c.what;
        EXPECT_EQ(problem.line, c.line) << c.what;
        if (c.line > 0) {
            EXPECT_TRUE(problem.Describe(false).contains(QStringLiteral("第%1行").arg(c.line)))
                << c.what << ": " << problem.Describe(false).toStdString();
            EXPECT_TRUE(problem.Describe(true).contains(QStringLiteral("Line %1").arg(c.line)))
                << c.what << ": " << problem.Describe(true).toStdString();
        }
    }
}

TEST(ParameterFileReader, ProblemsSayWhatTheLineShouldHold) {
    const auto problem = [](const QByteArray& bytes) {
        return std::get<FileProblem>(ReadParameterFile(bytes));
    };
    EXPECT_EQ(problem(Edit().Remove(50)).Describe(true),
              "Line 50: the label should be “输出M/S2 反向” (13 bytes, spaces included).");
    EXPECT_EQ(problem(Edit().Replace(26, Gbk("横滚舵机中 点-101"))).Describe(false),
              "第26行的数值-101超出范围（-100到100）。");
    EXPECT_EQ(problem(Edit().Replace(7, Gbk("动 态   稳 定") + "\x01%2\xff")).Describe(true),
              "Line 7: the value “?%2ÿ” is not a number.");
}

TEST(ParameterFileReader, LoadGivesTheBytesOrWhyNot) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GoldenFileBytes());
    file.close();
    const auto loaded = LoadParameterFile(path);
    ASSERT_TRUE(std::holds_alternative<QByteArray>(loaded));
    EXPECT_EQ(std::get<QByteArray>(loaded), GoldenFileBytes());

    for (const QString& unreadable : {dir.filePath(QStringLiteral("missing.txt")), dir.path()}) {
        const auto failed = LoadParameterFile(unreadable);
        ASSERT_TRUE(std::holds_alternative<QString>(failed)) << unreadable.toStdString();
        EXPECT_FALSE(std::get<QString>(failed).isEmpty());
    }
}

}  // namespace

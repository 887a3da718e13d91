// The checked reader: a file the export wrote reads back to the cache it came from; a damaged
// file is refused at the line where the damage shows.
#include <gtest/gtest.h>

#include "GbkCodec.h"
#include "GoldenFile.h"
#include "ParamTable.h"
#include "ParameterRestore.h"

namespace {

using Kind = FileProblem::Kind;

QByteArray Gbk(const char* text) { return gbk::Encode(QString::fromUtf8(text)).value(); }

// The golden file with one line (counted from 1) replaced, removed or inserted, or cut short.
QByteArray Edited(int line, const char* text, int removed = 1) {
    QList<QByteArray> lines = GoldenFileBytes().split('\n');
    lines.remove(line - 1, removed);
    if (text) lines.insert(line - 1, Gbk(text) + "\r\r");
    return lines.join('\n');
}
QByteArray CutAfter(int lines) { return Edited(lines + 1, nullptr, 196 - lines); }

TEST(ParameterFileReader, ReadsWhatTheExportWroteWhateverTheLineEndings) {
    const QByteArray golden = GoldenFileBytes();
    ASSERT_FALSE(golden.isEmpty());
    const QByteArray crlf = QByteArray(golden).replace("\r\r\n", "\r\n");
    const QByteArray lf = QByteArray(golden).replace("\r\r\n", "\n");
    for (const QByteArray& bytes :
         {golden, crlf, lf, golden + "\r\n", lf + "\n\n  \n", Edited(192, "本地 磁 偏 角-5  ")}) {
        const auto read = ReadParameterFile(bytes);
        ASSERT_TRUE(std::holds_alternative<ParameterValues>(read))
            << std::get<FileProblem>(read).Describe(true).toStdString();
        EXPECT_EQ(std::get<ParameterValues>(read), GoldenValues());
    }
}

TEST(ParameterFileReader, ShortValueGoesOutInFullForm) {
    const auto read = ReadParameterFile(Edited(6, "辅 助  稳定度5"));
    ASSERT_TRUE(std::holds_alternative<ParameterValues>(read));
    ProtocolState state;
    FillRestoreTable(std::get<ParameterValues>(read), state);
    EXPECT_EQ(BulkWriteFrame('D', state), "SD0005\r");
}

TEST(ParameterFileReader, DamagedFilesAreRefusedAtTheLineWhereTheDamageShows) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk += char(i * 37 % 256);
    const QByteArray utf8 = gbk::Decode(GoldenFileBytes()).value().toUtf8();
    struct Case {
        const char* what;
        QByteArray bytes;
        Kind kind;
        int line;
    };
    const Case cases[] = {
        {"empty file", {}, Kind::MissingLine, 1},
        {"binary junk", junk, Kind::NotPortLine, 1},
        {"saved as UTF-8", utf8, Kind::WrongEncoding, 1},
        {"saved as UTF-8 with a byte order mark", "\xEF\xBB\xBF" + utf8, Kind::WrongEncoding, 1},
        {"port line without number", Edited(1, "当 前 串口COM"), Kind::NotPortLine, 1},
        {"line 50 deleted", Edited(50, nullptr), Kind::WrongLabel, 50},
        {"blank line inserted", Edited(10, "", 0), Kind::WrongLabel, 10},
        {"label respaced", Edited(6, "辅 助 稳定度 0007"), Kind::WrongLabel, 6},
        {"letter in value", Edited(5, "主  稳  定 度00x5"), Kind::NotANumber, 5},
        {"no value", Edited(12, "高 度   锁 定"), Kind::NotANumber, 12},
        {"plus sign", Edited(13, "辅  助  高 度+012"), Kind::NotANumber, 13},
        {"frame value without -5000", Edited(177, "异形多轴轴 数5004"), Kind::NotANumber, 177},
        {"gain above 100", Edited(5, "主  稳  定 度0150"), Kind::OutOfRange, 5},
        {"no frame type", Edited(2, "多轴模式 选择0000"), Kind::OutOfRange, 2},
        {"alarm below 2.80 V", Edited(28, "报警电压 设置0279"), Kind::OutOfRange, 28},
        {"switch 2", Edited(60, "自稳  CH6  低2"), Kind::OutOfRange, 60},
        {"last grid cell 9", Edited(176, "自动降落CH8高9"), Kind::OutOfRange, 176},
        {"declination 181", Edited(192, "本地 磁 偏 角181"), Kind::OutOfRange, 192},
        {"cut after line 100", CutAfter(100), Kind::MissingLine, 101},
        {"last note missing", CutAfter(195), Kind::MissingLine, 196},
        {"line after the notes", GoldenFileBytes() + "\r\r\nmore", Kind::ExtraLine, 197},
        {"far too large", GoldenFileBytes() + QByteArray(70000, ' '), Kind::TooLarge, 0},
    };
    for (const Case& c : cases) {
        const auto read = ReadParameterFile(c.bytes);
        ASSERT_TRUE(std::holds_alternative<FileProblem>(read)) << c.what;
        const FileProblem& problem = std::get<FileProblem>(read);
        EXPECT_EQ(problem.kind, c.kind) << c.what;
        EXPECT_EQ(problem.line, c.line) << c.what;
        if (c.line > 0) {
            EXPECT_TRUE(problem.Describe(false).startsWith(QStringLiteral("第%1行").arg(c.line)))
                << c.what << ": " << problem.Describe(false).toStdString();
        }
    }
}

TEST(ParameterFileReader, ProblemShowsAJunkValueSafely) {
    QList<QByteArray> lines = GoldenFileBytes().split('\n');
    lines[6] = lines[6].left(13) + "\x01%2\xff\r\r";
    const auto read = ReadParameterFile(lines.join('\n'));
    EXPECT_EQ(std::get<FileProblem>(read).Describe(true),
              "Line 7: the value “?%2ÿ” is not a number.");
}

}  // namespace

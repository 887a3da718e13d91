#include "ParameterFileReader.h"

#include <QList>
#include <optional>

#include "BulkWriteChain.h"
#include "FileTexts.h"
#include "GbkCodec.h"
#include "ParamTable.h"
#include "RegularFile.h"

namespace {

// Nine digits hold every value a parameter can have without overflowing.
constexpr int kMaxDigits = 9;
// A value shown in a message is cut to this many characters.
constexpr int kShownValueChars = 16;

bool IsLineEndOrBlank(char c) { return c == '\r' || c == ' ' || c == '\t'; }

QByteArrayView TrimmedEnd(QByteArrayView line) {
    while (!line.isEmpty() && IsLineEndOrBlank(line.back())) line.chop(1);
    return line;
}

// The file's lines without their endings; trailing blank lines are dropped.
QList<QByteArrayView> SplitLines(QByteArrayView bytes) {
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        lines.append(TrimmedEnd(bytes.sliced(start, end - start)));
        start = end + 1;
    }
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

// An optional minus sign and one to nine digits, nothing else.
std::optional<int> ParseInteger(QByteArrayView text) {
    const bool negative = text.startsWith('-');
    const QByteArrayView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > kMaxDigits) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The letter whose set command carries the value of this export index in the bulk write.
std::optional<char> RestoredLetterOf(int index) {
    for (char letter : kBulkWriteOrder) {
        const std::optional<int> slot = CacheSlotOf(letter);
        const int width = std::max(1, BitCountOf(letter));
        if (slot && index >= *slot && index < *slot + width) return letter;
    }
    return std::nullopt;
}

struct ParameterRule {
    QByteArray label;
    std::optional<ShownRange> range;
};

const std::array<ParameterRule, kParameterCount>& ParameterRules() {
    static const std::array<ParameterRule, kParameterCount> rules = [] {
        std::array<ParameterRule, kParameterCount> built;
        for (int index = 0; index < kParameterCount; ++index) {
            built[index].label = ParameterLabels()[index];
            if (const std::optional<char> letter = RestoredLetterOf(index))
                built[index].range = RestoredRangeOf(*letter);
        }
        return built;
    }();
    return rules;
}

FileProblem Problem(FileProblem::Kind kind, int line) {
    FileProblem problem;
    problem.kind = kind;
    problem.line = line;
    return problem;
}

// The value of one parameter line, checked; or what is wrong with the line.
std::variant<int, FileProblem> ReadParameterLine(int index, QByteArrayView line, int lineNumber) {
    const ParameterRule& rule = ParameterRules()[index];
    if (!line.startsWith(rule.label)) {
        FileProblem problem = Problem(FileProblem::Kind::WrongLabel, lineNumber);
        problem.label = gbk::Decode(rule.label).value_or(QString());
        return problem;
    }
    QByteArrayView text = line.sliced(kLabelBytes);
    const bool frame = KindOfParameterLine(index) == ParameterLineKind::Frame;
    std::optional<int> value;
    if (!frame || text.endsWith("-5000")) value = ParseInteger(frame ? text.chopped(5) : text);
    if (!value) {
        FileProblem problem = Problem(FileProblem::Kind::NotANumber, lineNumber);
        problem.value = text.toByteArray();
        return problem;
    }
    if (frame) return *value - kFrameValueShift;
    if (rule.range && !rule.range->Contains(*value)) {
        FileProblem problem = Problem(FileProblem::Kind::OutOfRange, lineNumber);
        problem.value = text.toByteArray();
        problem.minimum = rule.range->minimum;
        problem.maximum = rule.range->maximum;
        return problem;
    }
    return *value;
}

bool IsPortLine(QByteArrayView line) {
    const QByteArrayView number =
        line.startsWith(PortLinePrefix()) ? line.sliced(PortLinePrefix().size()) : QByteArrayView();
    return !number.isEmpty() && !number.startsWith('-') && ParseInteger(number).has_value();
}

// A parameter file an editor saved again as UTF-8: the whole file is valid UTF-8 and its first
// line begins with the port line's Chinese text in UTF-8 (after a byte order mark, if any).
bool IsUtf8Copy(QByteArrayView bytes) {
    static const QByteArray utf8Prefix = gbk::Decode(PortLinePrefix()).value_or(QString()).toUtf8();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    return !utf8Prefix.isEmpty() && bytes.startsWith(utf8Prefix) && bytes.isValidUtf8();
}

// A value as a message shows it: GBK where it is, control bytes as '?', cut short.
QString Shown(const QByteArray& value) {
    QString text = gbk::Decode(value).value_or(QString::fromLatin1(value));
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    if (text.size() > kShownValueChars) text = text.left(kShownValueChars) + QChar(0x2026);
    return text;
}

}  // namespace

QString FileProblem::Describe(bool english) const {
    switch (kind) {
        case Kind::TooLarge:
            return texts::kFileTooLarge.In(english);
        case Kind::MissingLine:
            return texts::kLineMissing.In(english).arg(line);
        case Kind::NotPortLine:
            return texts::kNotPortLine.In(english);
        case Kind::WrongEncoding:
            return texts::kWrongEncoding.In(english);
        case Kind::WrongLabel:
            return texts::kWrongLabel.In(english).arg(line).arg(label);
        case Kind::NotANumber:
            return texts::kNotANumber.In(english).arg(line).arg(Shown(value));
        case Kind::OutOfRange:
            return texts::kOutOfRange.In(english)
                .arg(line)
                .arg(Shown(value))
                .arg(minimum)
                .arg(maximum);
        case Kind::ExtraLine:
            return texts::kExtraLine.In(english).arg(line);
    }
    return {};
}

std::variant<ParameterValues, FileProblem> ReadParameterFile(QByteArrayView bytes) {
    if (bytes.size() > kMaxParameterFileBytes) return Problem(FileProblem::Kind::TooLarge, 0);
    const QList<QByteArrayView> lines = SplitLines(bytes);
    if (lines.isEmpty()) return Problem(FileProblem::Kind::MissingLine, 1);
    if (!IsPortLine(lines[0]))
        return Problem(IsUtf8Copy(bytes) ? FileProblem::Kind::WrongEncoding
                                         : FileProblem::Kind::NotPortLine,
                       1);
    ParameterValues values{};
    for (int index = 0; index < kParameterCount; ++index) {
        const int lineNumber = index + 2;
        if (lineNumber > lines.size()) return Problem(FileProblem::Kind::MissingLine, lineNumber);
        auto read = ReadParameterLine(index, lines[lineNumber - 1], lineNumber);
        if (auto* problem = std::get_if<FileProblem>(&read)) return *problem;
        values[index] = std::get<int>(read);
    }
    // The note lines carry no values; only their number is checked.
    if (lines.size() < kFileLineCount)
        return Problem(FileProblem::Kind::MissingLine, int(lines.size()) + 1);
    if (lines.size() > kFileLineCount)
        return Problem(FileProblem::Kind::ExtraLine, kFileLineCount + 1);
    return values;
}

std::variant<QByteArray, QString> LoadParameterFile(const QString& path) {
    auto read = ReadRegularFile(path, kMaxParameterFileBytes + 1);
    if (auto* refusal = std::get_if<FileRefusal>(&read)) return refusal->reason;
    return std::get<QByteArray>(std::move(read));
}

std::variant<ParameterValues, RestoreFileRefusal> ReadRestorableFile(const QString& path) {
    auto loaded = LoadParameterFile(path);
    if (auto* reason = std::get_if<QString>(&loaded)) return RestoreFileRefusal{*reason, {}};
    auto read = ReadParameterFile(std::get<QByteArray>(loaded));
    if (auto* problem = std::get_if<FileProblem>(&read)) return RestoreFileRefusal{{}, *problem};
    return std::get<ParameterValues>(std::move(read));
}

#include "ControllerAnswer.h"

#include <algorithm>
#include <cstring>

#include "CommandFrames.h"

namespace {

constexpr qsizetype kValueAt = 4;
constexpr qsizetype kValueLength = 4;
constexpr qsizetype kEchoValueAt = 2;
// A line end is at most two bytes ("\r\n").
constexpr qsizetype kLongestLineEnd = 2;

enum class Found { Answer, NotYet, Noise };

bool IsLineEnd(char byte) { return byte == '\r' || byte == '\n'; }
bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

const AnswerShape& ShapeOf(AnswerKind kind) {
    return *std::find_if(std::begin(kAnswerShapes), std::end(kAnswerShapes),
                         [kind](const AnswerShape& shape) { return shape.kind == kind; });
}

// Whether the bytes from `at` begin with `lead`: Noise when they cannot, NotYet when too few
// bytes are there to tell.
Found Leads(const QByteArray& buffer, qsizetype at, const char* lead) {
    const qsizetype length = qsizetype(std::strlen(lead));
    const qsizetype seen = std::min(length, buffer.size() - at);
    if (QByteArrayView(buffer).sliced(at, seen) != QByteArrayView(lead, seen)) return Found::Noise;
    return seen < length ? Found::NotYet : Found::Answer;
}

// Whether a query reply's key ("?", letter, "\r") stands at `at`.
bool QueryKeyAt(const QByteArray& buffer, qsizetype at) {
    return at + 2 < buffer.size() && buffer[at] == '?' && buffer[at + 2] == '\r';
}

// A query reply from `at`: "?", letter, "\r", then seven bytes. A reply cut short (bytes lost on
// the line) runs into the key of the next one: it gives way to it, so that the next reply is
// not taken as the rest of the lost one.
Found QueryReplyAt(const QByteArray& buffer, qsizetype at, qsizetype& length) {
    const qsizetype left = buffer.size() - at;
    if (left < 3) return Found::NotYet;
    if (buffer[at + 2] != '\r') return Found::Noise;
    length = ShapeOf(AnswerKind::QueryReply).length;
    for (qsizetype key = at + 3; key + 2 < at + length; ++key)
        if (QueryKeyAt(buffer, key)) return Found::Noise;
    return left < length ? Found::NotYet : Found::Answer;
}

// A set echo from `at`: "S", letter, four value digits, or a shorter value text that a line end
// ends. Its end: through the value's digits as far as four.
Found SetEchoAt(const QByteArray& buffer, qsizetype at, qsizetype& length) {
    const AnswerShape& shape = ShapeOf(AnswerKind::SetEcho);
    const qsizetype left = buffer.size() - at;
    bool allDigits = true;
    for (qsizetype i = kEchoValueAt; i < std::min(left, shape.length + 1); ++i) {
        const char byte = buffer[at + i];
        if (IsLineEnd(byte)) {
            length = i;
            return Found::Answer;
        }
        allDigits = allDigits && IsDigit(byte);
        if (i + 1 == shape.length && allDigits) {
            length = shape.length;
            return Found::Answer;
        }
    }
    return left <= shape.length ? Found::NotYet : Found::Noise;
}

// The reference-set echo from `at`: "Sj0" and two more bytes; the rest of its value digits are
// part of it as far as they have come.
Found ReferenceSetEchoAt(const QByteArray& buffer, qsizetype at, qsizetype& length) {
    const AnswerShape& shape = ShapeOf(AnswerKind::ReferenceSetEcho);
    const Found lead = Leads(buffer, at, shape.lead);
    if (lead != Found::Answer) return lead;
    if (buffer.size() - at < shape.length) return Found::NotYet;
    length = shape.length;
    while (length < kEchoValueAt + kValueLength && at + length < buffer.size() &&
           IsDigit(buffer[at + length]))
        ++length;
    return Found::Answer;
}

Found AnswerAt(const QByteArray& buffer, qsizetype at, qsizetype& length) {
    if (buffer[at] == '?') return QueryReplyAt(buffer, at, length);
    if (buffer[at] != 'S') return Found::Noise;
    const Found reference = ReferenceSetEchoAt(buffer, at, length);
    if (reference != Found::Noise) return reference;
    return SetEchoAt(buffer, at, length);
}

// The line end right behind an answer, as far as it has come.
qsizetype LineEndAt(const QByteArray& buffer, qsizetype at) {
    qsizetype length = 0;
    while (length < kLongestLineEnd && at + length < buffer.size() &&
           IsLineEnd(buffer[at + length]))
        ++length;
    return length;
}

// The value text of an echo: after "S" and the letter, up to its line end.
QByteArrayView EchoValue(const QByteArray& echo) {
    QByteArrayView value = QByteArrayView(echo).sliced(std::min(kEchoValueAt, echo.size()));
    while (!value.isEmpty() && IsLineEnd(value.back())) value.chop(1);
    return value;
}

bool AllDigits(QByteArrayView text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), IsDigit);
}

}  // namespace

std::optional<QByteArray> CutAnswer(QByteArray& buffer, QByteArray* dropped) {
    qsizetype at = 0;
    std::optional<QByteArray> answer;
    while (at < buffer.size()) {
        qsizetype length = 0;
        const Found found = AnswerAt(buffer, at, length);
        if (found == Found::NotYet) break;
        if (found == Found::Noise) {
            ++at;
            continue;
        }
        if (dropped) *dropped = buffer.first(at);
        length += LineEndAt(buffer, at + length);
        answer = buffer.mid(at, length);
        at += length;
        break;
    }
    if (!answer && dropped) *dropped = buffer.first(at);
    buffer.remove(0, at);
    return answer;
}

bool IsEchoOf(const QByteArray& answer, const QByteArray& sentFrame) {
    return answer.size() >= 2 && sentFrame.size() >= 2 && answer[0] == 'S' && sentFrame[0] == 'S' &&
           answer[1] == sentFrame[1];
}

bool EchoCarriesOtherValue(const QByteArray& echo, const QByteArray& sentFrame) {
    const QByteArrayView sent = EchoValue(sentFrame);
    const QByteArrayView echoed = EchoValue(echo);
    if (!AllDigits(sent)) return false;
    // A reference-set echo may stop at its fifth byte: the digits that came must agree.
    if (IsReferenceSetEcho(echo) && echoed.size() < sent.size()) return !sent.startsWith(echoed);
    return !AllDigits(echoed) || LeadingDigits(echoed) != LeadingDigits(sent);
}

bool IsReferenceSetEcho(const QByteArray& answer) {
    const AnswerShape& shape = ShapeOf(AnswerKind::ReferenceSetEcho);
    return answer.size() >= shape.length && answer.startsWith(shape.lead);
}

bool IsReplyTo(const QByteArray& answer, char letter) {
    return answer.size() >= kQueryReplyLength && answer[0] == '?' && answer[1] == letter &&
           answer[2] == '\r';
}

int ReplyValue(const QByteArray& reply) {
    return LeadingDigits(
        QByteArrayView(reply)
            .sliced(std::min(kValueAt, reply.size()))
            .first(std::clamp<qsizetype>(reply.size() - kValueAt, 0, kValueLength)));
}

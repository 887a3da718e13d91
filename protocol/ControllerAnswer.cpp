#include "ControllerAnswer.h"

#include <algorithm>

#include "CommandFrames.h"

namespace {

// "S", letter, at most four value characters: the "\r" of an echo is within its first seven.
constexpr qsizetype kLongestEcho = 7;
constexpr qsizetype kFirstLineEndAt = 2;
constexpr qsizetype kValueAt = 4;
constexpr qsizetype kValueLength = 4;

enum class Found { Answer, NotYet, Noise };

// Whether the bytes from `at` begin a query reply; its length when they do.
Found QueryReplyAt(const QByteArray& buffer, qsizetype at, qsizetype& length) {
    const qsizetype left = buffer.size() - at;
    if (left < 3) return Found::NotYet;
    if (buffer[at + 2] != '\r') return Found::Noise;
    if (left < kQueryReplyLength) return Found::NotYet;
    length = kQueryReplyLength;
    return Found::Answer;
}

// Whether the bytes from `at` begin a set echo; its length (through its "\r") when they do.
Found EchoAt(const QByteArray& buffer, qsizetype at, EchoEnd echoEnd, qsizetype& length) {
    const qsizetype left = buffer.size() - at;
    const qsizetype searched = std::min(left, kLongestEcho);
    for (qsizetype i = kFirstLineEndAt; i < searched; ++i) {
        if (buffer[at + i] != '\r') continue;
        if (echoEnd == EchoEnd::AfterLineEnd && left <= i + 1) return Found::NotYet;
        length = i + 1;
        return Found::Answer;
    }
    return left < kLongestEcho ? Found::NotYet : Found::Noise;
}

bool IsFourDigits(QByteArrayView text) {
    return text.size() == kValueLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<QByteArray> CutAnswer(QByteArray& buffer, EchoEnd echoEnd) {
    qsizetype at = 0;
    std::optional<QByteArray> answer;
    while (at < buffer.size()) {
        qsizetype length = 0;
        Found found = Found::Noise;
        if (buffer[at] == '?')
            found = QueryReplyAt(buffer, at, length);
        else if (buffer[at] == 'S')
            found = EchoAt(buffer, at, echoEnd, length);
        if (found == Found::NotYet) break;
        if (found == Found::Noise) {
            ++at;
            continue;
        }
        answer = buffer.mid(at, length);
        at += length;
        break;
    }
    buffer.remove(0, at);
    return answer;
}

bool IsEchoOf(const QByteArray& answer, const QByteArray& sentFrame) {
    if (answer.size() < 3 || sentFrame.size() < 3 || answer[0] != 'S' || sentFrame[0] != 'S' ||
        answer[1] != sentFrame[1])
        return false;
    const QByteArrayView sentValue = QByteArrayView(sentFrame).sliced(2, sentFrame.size() - 3);
    if (!IsFourDigits(sentValue)) return true;
    return QByteArrayView(answer).sliced(2, answer.size() - 3) == sentValue;
}

bool IsReplyTo(const QByteArray& answer, char letter) {
    return answer.size() == kQueryReplyLength && answer[0] == '?' && answer[1] == letter;
}

int ReplyValue(const QByteArray& reply) {
    return LeadingDigits(QByteArrayView(reply).sliced(std::min(kValueAt, reply.size()))
                             .first(std::clamp<qsizetype>(reply.size() - kValueAt, 0, kValueLength)));
}

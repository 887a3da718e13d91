#include "QueryReads.h"

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ISessionListener.h"
#include "ReadBackChain.h"

namespace {

// The last coordinate of the frame-geometry read-back; after it the plan can be drawn.
constexpr char kLastFrameCoordinate = 'y';

}  // namespace

Answered QueryRead::Take(const QByteArray& answer, ConversationLine& line) {
    const char letter = answer[1];
    if (answer[0] != '?' || m_awaited == 0 || !IsChainQuery(letter) ||
        !IsReplyTo(answer, m_awaited))
        return Answered::NotMine;
    m_askedAgain = false;
    const int wire = ReplyValue(answer);
    line.RecordReply(letter, wire);
    line.ApplyReply(letter, wire);
    if (letter == kLastFrameCoordinate) line.News().OnFrameGeometryRead();
    if (m_retries > 0 && wire == 0) {
        --m_retries;
        Ask(letter, line);
        return Answered::GoOn;
    }
    m_retries = kFullRetries;
    if (const auto next = NextAfter(letter)) {
        Ask(*next, line);
        return Answered::GoOn;
    }
    m_awaited = letter;
    Completed(line);
    return Answered::Done;
}

void QueryRead::Ask(char letter, ConversationLine& line) {
    m_awaited = letter;
    line.Send(QueryCommand(letter));
}

Answered TimedQueryRead::OnSilence(ConversationLine& line) {
    if (m_askedAgain) return Answered::Done;
    m_askedAgain = true;
    // Whatever sits in the buffer kept the reply from being recognised; start afresh.
    line.ClearReceive();
    Ask(Awaited(), line);
    return Answered::GoOn;
}

void TimedQueryRead::AfterNoAnswer(ConversationLine& line) { line.RecordReadBackEnd(false); }

void FullReadBack::Start(ConversationLine& line) {
    if (m_afresh) line.ResetReceive();
    Ask(kReadBackOrder.front(), line);
}

std::optional<char> FullReadBack::NextAfter(char letter) { return NextQueryAfter(letter); }

void FullReadBack::Completed(ConversationLine& line) {
    line.DiscardWaiting();
    line.RecordReadBackEnd(true);
}

void FrameRead::Start(ConversationLine& line) {
    line.ClearReceive();
    Ask(kFrameGeometryOrder.front(), line);
}

std::optional<char> FrameRead::NextAfter(char letter) { return NextQueryAfter(letter); }

void ChosenRead::Start(ConversationLine& line) {
    line.ResetReceive();
    Ask(m_letters.front(), line);
}

std::optional<char> ChosenRead::NextAfter(char) {
    if (++m_asked >= m_letters.size()) return std::nullopt;
    return m_letters[m_asked];
}

void ChosenRead::Completed(ConversationLine& line) { line.DiscardWaiting(); }

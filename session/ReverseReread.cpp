#include "ReverseReread.h"

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ISessionListener.h"

namespace {

constexpr std::chrono::milliseconds kChainLinkPause{50};

}  // namespace

void ReverseReread::Start(ConversationLine& line) {
    line.Pause(kChainLinkPause);
    line.Send(QueryCommand(m_letter));
}

Answered ReverseReread::Take(const QByteArray& answer, ConversationLine& line) {
    if (!IsReplyTo(answer, m_letter)) return Answered::NotMine;
    line.ClearReceive();
    line.ApplyReply(m_letter, ReplyValue(answer) & 0xFF);
    line.ResumeLiveDisplay();
    return Answered::Done;
}

void ReverseReread::AfterDone(ConversationLine& line) { line.News().OnReverseReread(m_letter); }

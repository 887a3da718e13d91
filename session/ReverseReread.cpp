#include "ReverseReread.h"

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "LiveDisplay.h"

void ReverseReread::Start(ConversationLine& line) {
    line.Pause(kLinkPause);
    line.Send(QueryCommand(m_letter));
}

Answered ReverseReread::Take(const QByteArray& answer, ConversationLine& line) {
    if (!IsReplyTo(answer, m_letter)) return Answered::NotMine;
    line.ClearReceive();
    line.ApplyReply(m_letter, ReplyValue(answer) & 0xFF);
    line.Send(kLiveDisplayOn);
    return Answered::Done;
}

void ReverseReread::AfterDone(ConversationLine& line) {
    line.FollowWith(std::make_shared<LiveDisplay>(true));
}

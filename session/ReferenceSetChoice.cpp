#include "ReferenceSetChoice.h"

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "QueryReads.h"

namespace {

// The controller is loading the chosen set; it is given this moment before it is asked back.
constexpr std::chrono::milliseconds kReferenceSetSettle{10};

}  // namespace

void ReferenceSetChoice::Start(ConversationLine& line) {
    line.ClearReceive();
    line.Send(SetCommand('j', m_set));
}

Answered ReferenceSetChoice::Take(const QByteArray& answer, ConversationLine&) {
    return IsReferenceSetEcho(answer) ? Answered::Done : Answered::NotMine;
}

void ReferenceSetChoice::AfterDone(ConversationLine& line) {
    line.Pause(kReferenceSetSettle);
    line.ClearReceive();
    line.FollowWith(std::make_shared<FullReadBack>(false));
}

AwaitedEcho::AwaitedEcho(char letter, int wire) : m_frame(SetCommand(letter, wire)) {}

void AwaitedEcho::Start(ConversationLine& line) {
    line.ClearReceive();
    line.Send(m_frame);
}

Answered AwaitedEcho::Take(const QByteArray& answer, ConversationLine& line) {
    if (!IsEchoOf(answer, m_frame)) return Answered::NotMine;
    NoteEcho(answer, m_frame, line);
    return Answered::Done;
}

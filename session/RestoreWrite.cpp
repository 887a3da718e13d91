#include "RestoreWrite.h"

#include "BulkWriteChain.h"
#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ISessionListener.h"
#include "ParamTable.h"
#include "QueryReads.h"

void RestoreWrite::Start(ConversationLine& line) {
    m_awaited = kBulkWriteAnnouncementLetter;
    // What waits on the line is dropped and the first value goes out at once. An echo of the
    // announcement that comes later is not the first value's and is dropped by its letter.
    line.Send(SetCommand(kBulkWriteAnnouncementLetter, kBulkWriteAnnouncementValue));
    line.News().OnBulkWriteLinkSent(kBulkWriteAnnouncementLetter);
    SendValue(kBulkWriteOrder.front(), line);
}

Answered RestoreWrite::Take(const QByteArray& answer, ConversationLine& line) {
    if (m_sent.isEmpty() || !IsEchoOf(answer, m_sent)) return Answered::NotMine;
    const char letter = answer[1];
    NoteEcho(answer, std::exchange(m_sent, {}), line);
    // The controller stores each value before it takes the next one.
    line.Pause(kLinkPause);
    const BulkWriteStep step = BulkWriteStepAfter(letter);
    if (step.kind == BulkWriteStep::Kind::Next) {
        SendValue(step.next, line);
        return Answered::GoOn;
    }
    if (step.kind == BulkWriteStep::Kind::NotInChain) return Answered::GoOn;
    m_awaited = letter;
    return Answered::Done;
}

void RestoreWrite::AfterDone(ConversationLine& line) {
    line.FollowWith(std::make_shared<FullReadBack>(false));
}

void RestoreWrite::SendValue(char letter, ConversationLine& line) {
    const QByteArray frame = BulkWriteFrame(letter, line.State());
    line.Send(frame);
    m_sent = frame;
    m_awaited = letter;
    line.News().OnBulkWriteLinkSent(letter);
}

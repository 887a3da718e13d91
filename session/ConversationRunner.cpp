#include "ConversationRunner.h"

#include <utility>

#include "CMSComm.h"
#include "CommError.h"
#include "Conversation.h"
#include "ISessionListener.h"
#include "LineReader.h"

ConversationRunner::ConversationRunner(LineReader& reader, CMSComm& comm, IClock& clock,
                                       ConversationLine& line, ISessionListener& listener)
    : m_reader(reader), m_comm(comm), m_line(line), m_listener(listener), m_silence(clock) {
    m_silence.onExpired = [this] { OnSilence(); };
}

void ConversationRunner::Begin(std::shared_ptr<Conversation> conversation) {
    Replace();
    m_reader.SetAnswerMode(conversation->ReceiveMode());
    m_running = conversation;
    try {
        conversation->Start(m_line);
    } catch (const CommError&) {
        if (m_running == conversation) End(ChainResult::Refused, conversation->Awaited());
        throw;
    }
    if (m_running == conversation) ArmSilence();
}

void ConversationRunner::TakeOver(std::shared_ptr<Conversation> conversation) {
    Replace();
    m_running = std::move(conversation);
    ArmSilence();
}

void ConversationRunner::Replace() {
    if (m_running) End(ChainResult::Replaced, m_running->Awaited());
}

bool ConversationRunner::Take(const QByteArray& answer) {
    // Kept alive while it takes the answer: what its news starts may replace it.
    const std::shared_ptr<Conversation> running = m_running;
    if (!running) return false;
    switch (running->Take(answer, m_line)) {
        case Answered::NotMine:
            return false;
        case Answered::Partial:
            return true;
        case Answered::GoOn:
            if (m_running == running) {
                // A conversation that steps through modes (the upload) is read in its next one.
                m_reader.SetAnswerMode(running->ReceiveMode());
                ArmSilence();
            }
            return true;
        case Answered::Done: {
            // Replaced while it took its last answer: its end has been told.
            if (m_running != running) return true;
            // Each conversation ends at its last answer before the caller hears of it: a message
            // the caller then shows, however long it stays open, is not silence.
            const ChainEnd end = Close(ChainResult::Done, running->Awaited());
            running->AfterDone(m_line);
            Tell(end);
            return true;
        }
    }
    return false;
}

void ConversationRunner::LineLost(const QString& reason) {
    const std::shared_ptr<Conversation> running = m_running;
    if (!running) return;
    running->OnLineLost(reason, m_line);
    if (m_running == running) End(ChainResult::LineLost, running->Awaited());
}

void ConversationRunner::End(ChainResult result, char letter) { Tell(Close(result, letter)); }

ChainEnd ConversationRunner::Close(ChainResult result, char letter) {
    const std::shared_ptr<Conversation> ended = std::exchange(m_running, nullptr);
    m_silence.Stop();
    ChainEnd end{ended->Kind(), result, letter, std::nullopt};
    if (onClosed) onClosed(end);
    // A restore is judged by the read-back that follows it, value by value.
    if (result == ChainResult::Done && ended->OtherValue() != 0 &&
        ended->Kind() != Chain::Restore) {
        end.result = ChainResult::OtherValue;
        end.letter = ended->OtherValue();
    }
    ended->DescribeEnd(end);
    return end;
}

void ConversationRunner::Tell(const ChainEnd& end) {
    m_listener.OnChainEnded(end);
    if (onEnded) onEnded(end);
}

void ConversationRunner::ArmSilence() {
    const std::chrono::milliseconds limit = m_running->SilenceLimit();
    if (limit.count() > 0)
        m_silence.Start(limit);
    else
        m_silence.Stop();
}

void ConversationRunner::OnSilence() {
    const std::shared_ptr<Conversation> running = m_running;
    if (!running) return;
    // An answer that waits on the port is handed to the conversation first, and if it was the
    // awaited one the conversation has moved on.
    try {
        m_reader.ReceiveWaiting();
    } catch (const CommError&) {
    }
    if (m_running != running || m_silence.IsActive()) return;
    if (m_silence.RestartIfLate(running->SilenceLimit())) return;
    // A read whose port is gone ends without a word: the status line already says so.
    if (running->GoesOnThroughPlainSends() && !m_comm.GetPortOpen())
        return End(ChainResult::LineLost, running->Awaited());
    // This runs from the event loop, where no handler would report a CommError: a send that
    // fails counts as unanswered, and a lost line is reported by the serial control.
    Answered silence = Answered::Done;
    try {
        silence = running->OnSilence(m_line);
    } catch (const CommError&) {
    }
    if (m_running != running) return;
    if (silence != Answered::Done) return ArmSilence();
    // A late answer must not take the conversation on: the line is idle again (a restore's half
    // answer dropped with it). A read leaves the line as it is.
    if (!running->GoesOnThroughPlainSends()) m_reader.EnterIdle(running->Kind() == Chain::Restore);
    const ChainEnd end = Close(ChainResult::NoAnswer, running->Awaited());
    running->AfterNoAnswer(m_line);
    Tell(end);
}

#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

#include "ChainEnd.h"
#include "ClockTimer.h"

class CMSComm;
class Conversation;
class ConversationLine;
class IClock;
class ISessionListener;
class LineReader;

// Runs the conversation that has the line: starts it, hands it every answer while it has the
// line, times its silence with the one timer, and ends it once, telling the caller how it ended
// only after the line has been handed on to what follows it.
//
// Before any silence counts, what waits on the port is read and handed on: time the program
// spent busy is not the controller's silence. A time-out of a conversation that has ended or been
// replaced never fires.
class ConversationRunner {
public:
    ConversationRunner(LineReader& reader, CMSComm& comm, IClock& clock, ConversationLine& line,
                       ISessionListener& listener);

    // The owner's share of an end, both run for every end: `onClosed` as the conversation lets go
    // of the line (nothing told yet), `onEnded` once its end has been told.
    std::function<void(const ChainEnd& end)> onClosed;
    std::function<void(const ChainEnd& end)> onEnded;

    // The conversation takes the line (what had it is replaced) and sends its first frame; a
    // refused send ends it as refused and is thrown on.
    void Begin(std::shared_ptr<Conversation> conversation);
    // A conversation that has already sent its first frame takes the line.
    void TakeOver(std::shared_ptr<Conversation> conversation);
    // Ends the conversation that has the line, if any, as replaced.
    void Replace();
    // An answer for the conversation that has the line; false when it is not its answer.
    bool Take(const QByteArray& answer);
    // The port went away: the conversation that has the line ends as lost.
    void LineLost(const QString& reason);

    // The conversation that has the line; null when none has.
    const Conversation* Running() const { return m_running.get(); }

private:
    void End(ChainResult result, char letter);
    // Lets go of the conversation that has the line (its silence no longer timed) and says how it
    // ended: a chain whose echoes all came but one carried another value ends as OtherValue.
    ChainEnd Close(ChainResult result, char letter);
    void Tell(const ChainEnd& end);
    void ArmSilence();
    void OnSilence();

    LineReader& m_reader;
    CMSComm& m_comm;
    ConversationLine& m_line;
    ISessionListener& m_listener;
    // Kept alive by whoever is inside it when it ends.
    std::shared_ptr<Conversation> m_running;
    ClockTimer m_silence;
};

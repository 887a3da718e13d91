#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

#include "ChainEnd.h"
#include "RxMode.h"

class Conversation;
class ISessionListener;
struct ProtocolState;

// The controller stores each value of a chain before it takes the next: a chain's next frame
// goes out this long after the echo of the one before.
inline constexpr std::chrono::milliseconds kLinkPause{50};

// What a conversation makes of an answer the line brought.
enum class Answered {
    NotMine,  // someone else's answer, or one it no longer waits for: dropped
    GoOn,     // taken; the conversation waits for its next answer
    Partial,  // taken, but the answer is not complete yet (the boot loader's answers come in
              // pieces): the conversation waits on for the rest, within the same silence limit
    Done,     // taken; it was the last one
};

// The line as a conversation uses it. The controller session gives it to the conversation that
// has the line, and to nothing else.
class ConversationLine {
public:
    virtual ~ConversationLine() = default;
    // Sends a frame once what waits on the port has been read and dropped: an answer to an earlier
    // frame must not pass for this one's.
    virtual void Send(const QByteArray& frame) = 0;
    // Sends a frame and leaves what waits on the port to be read.
    virtual void SendAsIs(const QByteArray& frame) = 0;
    // The pauses the controller needs between two frames.
    virtual void Pause(std::chrono::milliseconds pause) = 0;
    // Receive mode 0 with nothing awaited: answers that come are dropped.
    virtual void BackToIdle() = 0;
    // Empties the receive buffer (what it held is written to the debug log).
    virtual void ClearReceive() = 0;
    // The receive state as a port open leaves it.
    virtual void ResetReceive() = 0;
    // Reads what waits on the port and drops it (written to the debug log).
    virtual void DiscardWaiting() = 0;
    // The conversation that follows this one's end takes the line (the read-back after a restore
    // or a reference set, the live display after a reverse re-read).
    virtual void FollowWith(std::shared_ptr<Conversation> next) = 0;
    // A query reply as it came: kept in the session's record of the last read and told to the
    // caller, before its value is stored.
    virtual void RecordReply(char letter, int wire) = 0;
    // The full read-back has ended: with its last reply, or without it.
    virtual void RecordReadBackEnd(bool complete) = 0;
    // A reply's value stored as the read-back stores it; the letter's watchers are told.
    virtual void ApplyReply(char letter, int wire) = 0;
    // Receive mode 10 with the receive state emptied and stale input dropped, then "S~0001\r".
    virtual void StartLiveStream() = 0;
    virtual ProtocolState& State() = 0;
    // The caller's listener, for the news of each step.
    virtual ISessionListener& News() = 0;
};

// One exchange with the controller that waits for answers: it knows whose answer it waits for
// and only that answer moves it on; it keeps its own progress. The session starts it, hands it
// every answer while it has the line, times its silence and tells its end once.
class Conversation {
public:
    virtual ~Conversation() = default;

    virtual Chain Kind() const = 0;
    // How the line's answers are read while it runs.
    virtual RxMode ReceiveMode() const = 0;
    // Sends its first frame. A send the port refuses throws CommError.
    virtual void Start(ConversationLine& line) = 0;
    virtual Answered Take(const QByteArray& answer, ConversationLine& line) = 0;
    // The letter whose answer it waits for now.
    virtual char Awaited() const = 0;
    // How long it waits for that answer before the line counts as silent; zero: as long as the
    // caller waits.
    virtual std::chrono::milliseconds SilenceLimit() const = 0;
    // Its silence limit has passed without the answer (what waited on the port has been taken
    // first): GoOn when it has asked again and waits anew, Done when it ends without an answer.
    virtual Answered OnSilence(ConversationLine& /*line*/) { return Answered::Done; }
    // The port went away while it waited (`reason`: the serial control's words); its end as
    // lost is told next.
    virtual void OnLineLost(const QString& /*reason*/, ConversationLine& /*line*/) {}
    // Whether an ordinary setting or a switch row sent meanwhile leaves it running (a read goes
    // on; every other conversation gives way).
    virtual bool GoesOnThroughPlainSends() const { return false; }
    // What only it can say about how it ended, added to its end before that is told (the
    // upload's outcome).
    virtual void DescribeEnd(ChainEnd& /*end*/) const {}
    // Once it has ended with its last answer, before its end is told: what the line does next
    // (a read-back, the live display).
    virtual void AfterDone(ConversationLine& /*line*/) {}
    // Once it has ended without an answer, before its end is told: the record of a read kept.
    virtual void AfterNoAnswer(ConversationLine& /*line*/) {}
    // The first letter whose echo carried another value than was sent; 0 when none did.
    char OtherValue() const { return m_otherValue; }

protected:
    // An awaited echo has come: when it carries another value than `sent`, the caller is told
    // and the first such letter kept.
    void NoteEcho(const QByteArray& echo, const QByteArray& sent, ConversationLine& line);

private:
    char m_otherValue = 0;
};

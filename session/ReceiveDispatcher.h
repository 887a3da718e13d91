#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <chrono>
#include <functional>

#include "ClockTimer.h"
#include "LiveDataParser.h"
#include "RxMode.h"

class CFirmwareUpload;
class CMSComm;
class IClock;
class IProtocolListener;
class IUpgradeReceiver;
struct ProtocolState;

// Interprets every byte the controller sends. The main window calls OnComm from the serial
// control's OnComm notification; the bytes go into the receive buffer, which is cut into
// complete answers (ControllerAnswer), each handled on its own by the receive mode: the answer
// the running chain waits for (its query's reply, or its set command's echo with the same
// letter and value) updates the parameter cache and the listener and sends the next frame at
// once. Any other answer is dropped and written to the debug log: a late or repeated answer
// never drives a chain, and a chain that has ended waits for nothing.
//
// Serial-control errors (a closed port) propagate as CommError; every state change of a step
// is made before its frame is sent, so a failed send leaves the state as a stopped chain.
//
// A read-back chain (mode 0) takes a reply only for the query it is waiting for, and asks that
// query once more when its reply has not come within a second; when the second ask stays
// unanswered too, the chain ends and the listener is told. The time-out runs from the event
// loop and never raises a CommError.
// Writes received bytes that no chain takes to the debug log, with the reason, so that a log
// shows what the controller said.
void LogDropped(const QByteArray& bytes, const char* why);

class CReceiveDispatcher {
public:
    // How long a read-back query waits for its reply before it is asked once more.
    static constexpr std::chrono::milliseconds kChainReplyTimeout{1000};

    CReceiveDispatcher(ProtocolState& state, CMSComm& comm, IClock& clock,
                       IProtocolListener& listener);

    // Handler of the serial control's OnComm: reads Input on a receive event, then evaluates.
    void OnComm();
    // Appends received bytes to the buffer and evaluates it (what OnComm does with Input).
    void Receive(QByteArrayView bytes);
    // Reads what waits on the open port and evaluates it. A time-out calls this before it
    // declares the line silent: an answer that came while the program was busy (its
    // notification not yet handled) is the controller's, not silence.
    void ReceiveWaiting();

    // Receive state as a port open leaves it, then "?V\r": the full read-back.
    void StartReadBack();
    // Mode 0, buffer emptied, then "?k\r": the frame-geometry read-back of the frame editor.
    void StartFrameGeometryRead();
    // Mode 0, buffer emptied, full retry budget, then the queries of the given letters one
    // after the other, each sent once the reply to the one before has been taken with the retry
    // rule; replies for any other letter are dropped. Ends with OnChosenReadFinished. Letters
    // outside the read-back chains are never answered in mode 0 and must not be given.
    void StartChosenRead(QByteArrayView letters);
    // Receive mode 0 with the read-back's query no longer awaited (a reference-set choice takes
    // the line; the read-back it leads to asks again from "?V").
    void StopAsking();
    // The read-back that follows a restore or a reference set: "?V\r" and the queries after
    // it, what waits for the read-back's end kept.
    void ContinueWithReadBack();
    // Runs `next` once the full read-back now on the line has ended ("?j" taken), or at once
    // when none is running, so that a second chain never shares the line with it. StartReadBack
    // drops what was waiting: it belonged to the read-back it replaces.
    void AfterReadBack(std::function<void()> next);

    // One set command in mode 0 (an ordinary setting: its echo is dropped).
    void SendSetting(char letter, int wire);
    // A switch row or reverse mask: stale input dropped, then the set command, in mode 0 or,
    // with keepMode, in the mode of the moment (a running live display goes on being parsed).
    void SendMask(char letter, int wire, bool keepMode);
    // Mode 10, the receive state emptied, stale input dropped, "S~0001\r".
    void StartLiveDisplay();
    // Mode 0, "S~0000\r".
    void StopLiveDisplay();
    // Mode 0 (and, when asked, an empty receive buffer): the idle state.
    void EnterIdle(bool clearReceive);
    // The receive mode of the conversation that takes the line (0, 7, 15, 20).
    void SetAnswerMode(RxMode mode) { m_mode = mode; }
    // Who takes the answers that no read-back takes: the session's running conversation.
    // True when it took the answer.
    void SetAnswerTaker(std::function<bool(const QByteArray&)> taker) {
        m_takeAnswer = std::move(taker);
    }
    // A reply's value into the cache (the letter's watchers told) and to the listener.
    void ApplyValue(char letter, int wire);
    // Mode 10 and "S~0001\r", the receive state as it is: the live display goes on.
    void ResumeLiveDisplay();
    // Empties the receive buffer and its count.
    void ClearReceive();
    // Sends the next link of a chain: stale input is read and dropped first, so that it does
    // not become part of the reply.
    void SendLink(const QByteArray& frame);

    RxMode Mode() const { return m_mode; }
    // A read-back chain waits for a query's reply and will ask again or end by itself.
    bool ReadBackAwaitsReply() const { return m_cAwaited != 0; }

    // Who evaluates the device-tag and boot-loader modes (30, 2 to 6); none: such events only
    // fill the buffer. The firmware upload registers itself for its lifetime.
    void SetUpgradeReceiver(IUpgradeReceiver* receiver) { m_upgrade = receiver; }

private:
    friend class CFirmwareUpload;
    // The firmware upload moves through its modes (30, 2 to 6) and back to 0.
    void SetUploadMode(RxMode mode);

    void Append(QByteArrayView bytes);
    void Evaluate(QByteArrayView received = {});

    // Modes 0, 7, 15 and 20: the buffer cut into answers, each handed to the running chain.
    void EvaluateAnswers();
    void HandleAnswer(const QByteArray& answer);
    bool TakeReadBackReply(const QByteArray& answer);

    void ContinueChosenRead();
    void HandleChainReply(char letter, int wire);
    void EvaluateLiveData(QByteArrayView bytes);
    void EvaluateUpgrade(QByteArrayView received);

    void DiscardInput();

    // Sends the query of a read-back chain and waits for its reply.
    void AskChainQuery(char letter);
    void OnChainReplyMissing();
    void AbandonReadBack();

    ProtocolState& m_state;
    RxMode m_mode = RxMode::ReadBack;
    CMSComm& m_comm;
    IClock& m_clock;
    IProtocolListener& m_listener;
    bool m_bReadBackRunning = false;  // "?V\r" has gone out and "?j" has not been taken yet
    std::function<void()> m_afterReadBack;
    LiveDataParser m_live;
    IUpgradeReceiver* m_upgrade = nullptr;

    // The letter whose query reply the read-back chain waits for (0: none), whether that query
    // has been asked again after a time-out, and the time-out itself.
    char m_cAwaited = 0;
    bool m_bAskedAgain = false;
    ClockTimer m_replyTimer{m_clock};
    // A read of chosen letters: the letters still to be answered, the awaited one first.
    QByteArray m_strChosenQueries;

    std::function<bool(const QByteArray&)> m_takeAnswer;
};

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
    // Mode 7, buffer emptied, then the bulk write's announcement "Sj0004\r" and at once the
    // first value ("C") from the restore table; each value's echo sends the next.
    void StartBulkWrite();
    // Mode 0, buffer emptied, full retry budget, then the queries of the given letters one
    // after the other, each sent once the reply to the one before has been taken with the retry
    // rule; replies for any other letter are dropped. Ends with OnChosenReadFinished. Letters
    // outside the read-back chains are never answered in mode 0 and must not be given.
    void StartChosenRead(QByteArrayView letters);
    // Mode 0, buffer emptied, then the set command with this wire value; its echo ("S" and the
    // letter, whatever value it carries) is taken and reported with OnSetEchoed.
    void SendAwaitingEcho(char letter, int wire);
    // Mode 0, buffer emptied, then "Sj000n\r": the controller loads its reference set n and
    // echoes ("Sj0" and five bytes at least), upon which the full read-back starts.
    void StartReferenceSet(int set);
    // Runs `next` once the full read-back now on the line has ended ("?j" taken), or at once
    // when none is running, so that a second chain never shares the line with it. StartReadBack
    // drops what was waiting: it belonged to the read-back it replaces.
    void AfterReadBack(std::function<void()> next);

    // One set command in mode 0 (an ordinary setting: its echo is dropped).
    void SendSetting(char letter, int wire);
    // A switch row or reverse mask: stale input dropped, then the set command, in mode 0 or,
    // with keepMode, in the mode of the moment (a running live display goes on being parsed).
    void SendMask(char letter, int wire, bool keepMode);
    // A set command in mode 15 whose echo is awaited (the declination, the directions).
    void SendSpecialSet(char letter, int wire);
    // Mode 15, "S0" with the first cell; each echo sends the running sum up to "S3".
    void StartCalibration(const std::array<int, 4>& cells);
    // Mode 15, "Sk" with the axis count; each echo sends the next value of the record up to "Sy".
    void StartFrameSave(const std::array<int, 15>& record);
    // Mode 10, the receive state emptied, stale input dropped, "S~0001\r".
    void StartLiveDisplay();
    // Mode 0, "S~0000\r".
    void StopLiveDisplay();
    // Mode 0 (and, when asked, an empty receive buffer): the idle state.
    void EnterIdle(bool clearReceive);
    // A bulk write that waits in vain for an echo: mode 0, the receive state emptied.
    void EndBulkWrite();
    // A special set chain (mode 15) or reverse re-read (mode 20) that waits in vain: mode 0.
    void EndSpecialSet();

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
    bool TakeEchoInModeZero(const QByteArray& answer);
    bool TakeBulkWriteEcho(const QByteArray& answer);
    bool TakeSpecialSetEcho(const QByteArray& answer);
    bool TakeRereadReply(const QByteArray& answer);

    void ContinueChosenRead();
    void RestartReadBackAfterReferenceSet();
    void HandleChainReply(char letter, int wire);
    void ApplyValue(char letter, int wire);
    void SendBulkWriteLink(char letter);
    void HandleSpecialSetEcho(char letter);
    // Sends a set command whose echo the running chain waits for.
    void SendAwaitedSet(const QByteArray& frame);
    // No echo is awaited any more: the chain that waited has ended or given way.
    void ForgetAwaitedEchoes();
    void EvaluateLiveData(QByteArrayView bytes);
    void EvaluateUpgrade(QByteArrayView received);

    // Empties the receive buffer and its count.
    void ClearReceive();
    // Sends the next link of a chain: stale input is read and dropped first, so that it does
    // not become part of the reply.
    void SendLink(const QByteArray& frame);
    void DiscardInput();
    // Tells the listener when an awaited echo carries another value than the frame sent.
    void TellOtherValue(const QByteArray& echo, const QByteArray& sent);

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

    // The set command whose echo the running chain waits for (empty: none), and in mode 0
    // whether it is a reference-set choice (its echo restarts the read-back).
    QByteArray m_strAwaitedEcho;
    bool m_bReferenceSetEcho = false;
    // A reverse mask sent while mode 15 is in force: its echo asks the mask back (mode 20).
    QByteArray m_strReverseEcho;
    char m_cRereadLetter = 0;
    // The values the special set chains send after the first link.
    std::array<int, 4> m_nCalibration{};
    std::array<int, 15> m_nFrameRecord{};
};

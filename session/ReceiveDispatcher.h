#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
// control's OnComm notification; the bytes go into the receive buffer and are evaluated by the
// receive mode: a recognised reply updates the parameter cache and the listener and, in a
// chain, sends the next frame at once. Chains advance only when their reply arrives.
//
// Serial-control errors (a closed port) propagate as CommError; every state change of a step
// is made before its frame is sent, so a failed send leaves the state as a stopped chain.
//
// A read-back chain (mode 0) takes a reply only for the query it is waiting for, and asks that
// query once more when its reply has not come within a second; when the second ask stays
// unanswered too, the chain ends and the listener is told. The time-out runs from the event
// loop and never raises a CommError.
class CReceiveDispatcher {
public:
    CReceiveDispatcher(ProtocolState& state, CMSComm& comm, IClock& clock,
                       IProtocolListener& listener);

    // Handler of the serial control's OnComm: reads Input on a receive event, then evaluates.
    void OnComm();
    // Appends received bytes to the buffer and evaluates it (what OnComm does with Input).
    void Receive(QByteArrayView bytes);

    // Receive state as a port open leaves it, then "?V\r": the full read-back.
    void StartReadBack();
    // Mode 0, buffer emptied, then "?k\r": the frame-geometry read-back of the frame editor.
    void StartFrameGeometryRead();
    // Mode 7, buffer emptied, then the bulk write's announcement "Sj0004\r"; its echo sends
    // the first value ("C") from the restore table, each value's echo the next.
    void StartBulkWrite();
    // Mode 0, buffer emptied, full retry budget, then the queries of the given letters one
    // after the other, each sent once the reply to the one before has been taken with the retry
    // rule; replies for any other letter are dropped. Ends with OnChosenReadFinished. Letters
    // outside the read-back chains are never answered in mode 0 and must not be given.
    void StartChosenRead(QByteArrayView letters);
    // Mode 0, buffer emptied, then the set command with this wire value; its echo (eight bytes
    // or more beginning "S" and the letter) is taken and reported with OnSetEchoed.
    void SendAwaitingEcho(char letter, int wire);
    // Mode 0, buffer emptied, then "Sj000n\r": the controller loads its reference set n and
    // echoes, upon which the full read-back starts.
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
    // A set command in mode 15: its echo sends the next link of a special set chain (the
    // calibration sums, the frame record) or ends it.
    void SendSpecialSet(char letter, int wire);
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

    // Who evaluates the device-tag and boot-loader modes (30, 2 to 6); none: such events only
    // fill the buffer. The firmware upload registers itself for its lifetime.
    void SetUpgradeReceiver(IUpgradeReceiver* receiver) { m_upgrade = receiver; }

private:
    friend class CFirmwareUpload;
    // The firmware upload moves through its modes (30, 2 to 6) and back to 0.
    void SetUploadMode(RxMode mode);

    void Append(QByteArrayView bytes);
    void Evaluate(QByteArrayView received = {});

    void EvaluateReadBack();
    bool TakeAwaitedEcho();
    void ContinueChosenRead();
    void RestartReadBackAfterReferenceSet();
    void HandleChainReply(char letter, int wire);
    void ApplyValue(char letter, int wire);
    void EvaluateBulkWrite();
    void SendBulkWriteLink(char letter);
    void EvaluateSpecialSet();
    void HandleSpecialSetEcho(char letter);
    void EvaluateReverseReread();
    void EvaluateLiveData(QByteArrayView bytes);
    void EvaluateUpgrade(QByteArrayView received);

    // Empties the receive buffer and its count.
    void ClearReceive();
    // Sends the next link of a chain: stale input is read and dropped first, so that it does
    // not become part of the reply.
    void SendLink(const QByteArray& frame);
    void DiscardInput();

    // Sends the query of a read-back chain and waits for its reply.
    void AskChainQuery(char letter);
    void OnChainReplyMissing();
    void AbandonReadBack();
    void DropSetEchoes();

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
};

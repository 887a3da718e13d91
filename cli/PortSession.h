#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "ClockTimer.h"
#include "ControllerSession.h"
#include "ISessionListener.h"
#include "ProtocolState.h"
#include "ReadBackRecord.h"

class QEventLoop;
class WireTap;

// One controller on one port for a vexactl command: the core's controller session (the one the
// window drives) over a real port or the simulated controller, with waits that run an event loop
// until what was asked has come. It lives on the thread that runs it.
//
// Every wait ends: done, or no answer within the time-out after the last frame sent, or the
// line lost, or a serial-control error, or an interruption (Interrupt, from any thread).
class PortSession : public QObject, public ISessionListener {
    Q_OBJECT

public:
    enum class End { Done, TimedOut, LineLost, Failed, Interrupted };

    // The waits and the protocol's pauses run on `clock`, which outlives the session.
    PortSession(std::unique_ptr<ICommBackend> backend, int portNumber,
                std::chrono::milliseconds timeout, IClock& clock);
    ~PortSession() override;

    // Opens the port as the window does (1024-byte buffers, 115200 8N1, binary input, stale
    // input dropped, no handshaking). Throws CommError with the reason it cannot be opened.
    void Open();

    // The window's start-up read-back ("?V" and the 48 queries after it).
    End ReadBack();
    // The queries of these letters only, one after the other, each with the retry rule.
    End ReadChosen(const QByteArray& letters);
    // One setting as the window sends it (the value as shown), and its echo.
    End SetAwaitingEcho(char letter, int shown);
    // The row linked to switch row `letter` loses the positions `mask` gave it, after the
    // controller's pause between linked rows, and its echo; `sent` gets the value it was sent.
    // Done at once, with nothing sent, when `letter` has no linked row.
    End ClearLinkedRow(char letter, int mask, int& sent);
    // "Sj000N\r", its echo and the read-back it starts.
    End LoadReferenceSet(int set);
    // Sends what `start` sends and waits until a full read-back has ended after it (the
    // bulk write of a restore, a successful upload, a reference set), or `stopped` holds.
    End RunThenReadBack(const std::function<void()>& start,
                        const std::function<bool()>& stopped = {});
    // Sends what `start` sends (a serial-control error ends it as Failed), then runs the event
    // loop until `done` holds. `done` is checked after every receive event and on CheckDone.
    End Run(const std::function<void()>& start, const std::function<bool()>& done);
    // Checks the current wait's condition again, for ends that come from a timer or a signal
    // of the core rather than from received bytes.
    void CheckDone();
    // Something awaited has come without an answer to a frame (a live frame): the time-out
    // starts again.
    void Heard();
    // How long a wait lasts after the last frame sent, from the next frame on.
    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    std::chrono::milliseconds Timeout() const { return m_timeout; }

    // The last value read of each letter: as the window shows it, or for H and I (which the
    // window does not show) as it came.
    std::optional<int> ValueOf(char letter) const;
    std::optional<int> FirmwareVersion() const { return m_session.Record().WireOf('V'); }
    // The value the last awaited echo of a letter carried, when it was another than was sent.
    std::optional<int> EchoedOtherValue(char letter) const;
    // Query replies taken so far (retries included), for progress.
    int Replies() const { return m_nReplies; }
    IClock& Clock() { return m_clock; }
    CControllerSession& Core() { return m_session; }
    int PortNumber() const { return m_nPortNumber; }
    // The wire values of the last read and whether a full read-back went through to its end.
    const ReadBackRecord& Record() const { return m_session.Record(); }

    // "COM3 (/dev/ttyUSB2)": the port in messages.
    QString PortName() const;
    // One sentence for an end other than Done: what happened, where, what to do.
    QString Describe(End end) const;

    // Called after every reply taken (on the session's thread).
    std::function<void()> onProgress;
    // The bulk write's links, the end of every chain and the live frames, for the restore and
    // the monitor.
    std::function<void(char letter)> onBulkWriteLinkSent;
    std::function<void(const ChainEnd&)> onChainEnded;
    std::function<void(const LiveFrame&)> onLiveFrame;

public slots:
    // Ends the current wait, and every later one, with End::Interrupted.
    void Interrupt();

private:
    End Wait(const std::function<bool()>& done);
    void Finish(End end, const QString& reason = {});
    void HandleComm();
    void OnSilence();
    // "no answer to "SC0045" within 1000 ms"; a binary frame is named, never printed.
    static QString NoAnswerWithin(const QByteArray& frame, std::chrono::milliseconds timeout);
    static QString FrameInMessage(const QByteArray& frame);

    // Waits until a conversation of this kind has ended with its last answer.
    End WaitForEnd(Chain chain, const std::function<void()>& start,
                   const std::function<bool()>& stopped = {});

    // ISessionListener
    void OnQueryReply(char letter, int wire) override;
    void OnEchoWithOtherValue(char letter, int echoed) override { m_otherValues[letter] = echoed; }
    void OnBulkWriteLinkSent(char letter) override;
    void OnChainEnded(const ChainEnd& end) override;
    void OnLiveFrame(const LiveFrame& frame) override;

    IClock& m_clock;
    WireTap* m_tap = nullptr;
    CControllerSession m_session;
    int m_nPortNumber;
    std::chrono::milliseconds m_timeout;
    ClockTimer m_timer{m_clock};

    QEventLoop* m_loop = nullptr;
    std::function<bool()> m_done;
    End m_end = End::Done;
    bool m_bEnding = false;  // the current wait has its end; the loop is on its way out
    QString m_reason;
    QByteArray m_lastFrame;
    std::atomic<bool> m_bInterrupted = false;

    std::map<char, int> m_otherValues;
    int m_nReplies = 0;
    // The conversation whose end the current wait waits for, and whether it has ended with its
    // last answer.
    std::optional<Chain> m_awaitedEnd;
    bool m_bAwaitedEndCame = false;
};

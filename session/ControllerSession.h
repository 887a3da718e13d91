#pragma once

#include <QByteArrayView>
#include <QMetaObject>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "ChainEnd.h"
#include "ClockTimer.h"
#include "ConversationRunner.h"
#include "EchoedSets.h"
#include "FirmwareUpload.h"
#include "IControllerIntents.h"
#include "ISessionListener.h"
#include "IUploadListener.h"
#include "LineReader.h"
#include "ParameterFileReader.h"
#include "ProtocolState.h"
#include "RestoreWrite.h"
#include "SessionLine.h"

class Conversation;
class FirmwareImage;
class ICommBackend;
class IClock;

// The conversation with one controller on one port: the serial control, the protocol state
// with the parameter cache, the line reader and every conversation it runs. The main window and
// vexactl ask it for intents; it alone changes the receive mode.
//
// Every chain it starts ends once, told to the listener (OnChainEnded): done, refused, no answer
// (and for which letter), line lost, or replaced by a later intent. The chains that wait for
// echoes (the restore: 2 s; the special sets, the reference set and the reverse re-read: 1 s)
// end when the answer does not come in time; nothing is sent twice. A time-out of a chain that
// has ended or been replaced never fires, and before any time-out declares the line silent the
// answers waiting on the port are handed to the chain: time the program spent busy is not the
// controller's silence. The read-back chains keep their own rule (one more ask after 1 s) and
// the firmware upload its own (3 s).
class CControllerSession : public IControllerIntents, private IProtocolListener {
public:
    static constexpr std::chrono::milliseconds kRestoreEchoTimeout = RestoreWrite::kEchoTimeout;
    static constexpr std::chrono::milliseconds kSpecialEchoTimeout = EchoedSetChain::kEchoTimeout;

    CControllerSession(std::unique_ptr<ICommBackend> backend, IClock& clock,
                       ISessionListener& listener);
    ~CControllerSession() override;
    CControllerSession(const CControllerSession&) = delete;
    CControllerSession& operator=(const CControllerSession&) = delete;

    // The port the next OpenPort opens (1 for COM1); an open port is not affected.
    void ChoosePort(int number);
    // Starts afresh, as for a new port: no chain runs, mode 0, the receive state emptied, and the
    // cache holds the servo output rate's first entry until a read-back says otherwise.
    void StartAfresh();
    // The port: buffers sized, then opened (CommError with the reason when it cannot be).
    void OpenPort();
    // The open port set up for the controller: 115200 8N1, binary input, stale input dropped,
    // no handshaking.
    void PrepareLine();
    void ClosePort();

    // Receive state emptied, live values cleared, "?V\r" and the 48 queries after it.
    void ReadBack();
    // Runs `next` once the full read-back on the line has ended, or at once.
    void AfterReadBack(std::function<void()> next);
    // "Sj000n\r": the controller loads reference set n; its echo (within 1 s) starts the
    // read-back.
    void LoadReferenceSet(int set);
    // The bulk write of a checked parameter file, "Sj0004\r" first; every echo within 2 s.
    void Restore(const ParameterValues& values);
    // Starts uploading a copy of the image: `progress` hears its steps, and its end is told
    // with every chain's (OnChainEnded, with the outcome). False, with nothing sent, when no
    // image is loaded or an upload runs already.
    bool StartUpload(const FirmwareImage& image, IUploadListener& progress);
    // The idle state: mode 0 (and an emptied receive buffer when asked).
    void EnterIdle(bool clearReceive = false);

    // For vexactl: the queries of these letters only.
    void ReadChosen(QByteArrayView letters);
    // For vexactl: one setting, sent as the window sends it (the value as shown, encoded for the
    // firmware read last), whose echo the caller waits for.
    void SetAwaitingEcho(char letter, int shown);
    // For vexactl, after a switch row set with SetAwaitingEcho: the row linked to `letter` loses
    // the positions `mask` gave it, as the window's grid clears it, sent after the controller's
    // pause between two linked rows, its echo awaited. The linked row and the value it was sent;
    // nullopt, with nothing sent, for a letter without a linked row.
    std::optional<std::pair<char, int>> ClearLinkedRowAwaitingEcho(char letter, int mask);

    // IControllerIntents
    void SetParameter(char letter, int shown, CacheUpdate update = CacheUpdate::Store) override;
    void SetSwitchRow(char letter, int mask) override;
    void SetLinkedSwitchRows(char letter, int mask, char linked, int linkedMask) override;
    void SetReverseMask(char letter, int mask) override;
    void SetDeclination(int degrees) override;
    void SetMotorDirections(int mask) override;
    void Calibrate(const std::array<int, 4>& cells) override;
    void SaveFrame(const std::array<int, 15>& record) override;
    void ReadFrame() override;
    void StartLiveDisplay() override;
    void StopLiveDisplay() override;
    const ParameterCache& Cache() const override { return m_state.m_nParamCache; }
    int FirmwareVersion() const override { return m_state.m_nFwVersion; }
    bool UploadRunning() const override { return RunningUpload() != nullptr; }
    // What the controller answered in its last read, as the wire carried it, and whether the
    // full read-back went through to its end: what a backup and the range notes are made from.
    const ReadBackRecord& Record() const { return m_record; }
    // Where the running upload stands; nullopt when none runs.
    std::optional<UploadStage> UploadStageNow() const;
    // The port is open: something can be sent.
    bool PortOpen() const { return m_comm.GetPortOpen(); }
    // The device a COM number leads to ("/dev/ttyUSB2"), for messages and the port list.
    QString DeviceOf(int portNumber) const { return m_comm.DeviceOf(portNumber); }

    // The chain that waits for an answer now, if any.
    std::optional<Chain> RunningChain() const;
    // Something on the line ends by a time-out of its own (an echo chain, a read-back, an
    // upload) and tells how it ended: a caller's wait must not end before it.
    bool AwaitsWithOwnTimeout() const;

    // Calls `handler` in `context` (none: as long as the session lives) on every receive event
    // of the port; the handler calls OnComm under the program's own handling of a
    // serial-control error.
    QMetaObject::Connection WhenBytesArrive(const QObject* context,
                                            std::function<void()> handler) const {
        return QObject::connect(&m_comm, &CMSComm::OnComm, context ? context : &m_comm,
                                std::move(handler));
    }
    // Calls `handler` in `context` with the reason when the open port goes away (a pulled
    // adapter); the running conversation has by then ended as LineLost.
    QMetaObject::Connection WhenLineLost(const QObject* context,
                                         std::function<void(const QString&)> handler) const {
        return QObject::connect(&m_comm, &CMSComm::LineLost, context ? context : &m_comm,
                                std::move(handler));
    }
    // Hands the received bytes to the line reader.
    void OnComm() { m_reader.OnComm(); }
    // Reads what waits on the port and hands it on: a caller's own time-out calls this before it
    // counts the line as silent, since time the program spent busy is not the controller's.
    void TakeWaitingAnswers() { m_reader.ReceiveWaiting(); }
    void Receive(QByteArrayView bytes) { m_reader.Receive(bytes); }

private:
    // Tests set up a protocol state and work the serial control directly through this.
    friend class SessionTestAccess;

    // Ends the conversation that has the line, as replaced by what the caller is about to send.
    void ReplaceRunningChain();
    // An ordinary setting or switch row is about to go out: a read goes on, anything else gives
    // way.
    void ReplaceUnlessRead();
    // Runs what waited for the read-back to end.
    void RunAfterReadBack();
    // The conversation takes the line (what had it is replaced) and sends its first frame; a
    // refused send ends it as refused and is thrown on.
    void BeginConversation(std::shared_ptr<Conversation> conversation);
    // An answer: a reverse mask's echo, or the running conversation's.
    bool TakeAnswer(const QByteArray& answer);
    // The session's share of each end: as the conversation lets go of the line (how it ended as
    // it was, before an echo with another value is named), and once its end has been told.
    void ConversationClosed(const ChainEnd& end);
    void ConversationEnded(const ChainEnd& end);
    // A reverse mask echoed in mode 15 is asked back.
    void StartMaskReread(char letter);
    void StoreSent(char letter, int cached);
    // The firmware upload that has the line, if one has.
    const FirmwareUpload* RunningUpload() const;
    // A live display still streaming is stopped before an upload: its frames would mix into the
    // boot loader's answers.
    void StopStreamBeforeUpload();

    // IProtocolListener (the values read and the live frames, passed on)
    void OnFirmwareVersion(int version) override;
    void OnLiveFrame(const LiveFrame& frame) override;

    IClock& m_clock;
    ISessionListener& m_listener;
    CMSComm m_comm;
    ProtocolState m_state;
    LineReader m_reader;
    ReadBackRecord m_record;
    SessionLine m_line;
    ConversationRunner m_runner;
    // Runs once the full read-back on the line has ended.
    std::function<void()> m_afterReadBack;
    // A reverse mask sent while the line was in mode 15: its echo asks the mask back.
    QByteArray m_maskReread;
    // When the live display was last switched off; an upload gives its last frames this long.
    std::optional<std::chrono::nanoseconds> m_streamStoppedAt;
    QMetaObject::Connection m_lineLost;
};

#include "ControllerSession.h"

#include <algorithm>

#include "BulkWriteChain.h"
#include "CommError.h"
#include "ControllerLine.h"
#include "ParamTable.h"
#include "ParameterRestore.h"
#include "ReadBackChain.h"

namespace {

constexpr char kDeclinationLetter = 'Q';
constexpr char kReferenceSetLetter = 'j';
constexpr char kDirectionLetter = 'z';
constexpr char kFirstCalibrationLetter = '0';
constexpr char kLastCalibrationLetter = '3';
constexpr char kFirstFrameLetter = kFrameGeometryOrder.front();  // the axis count
constexpr char kLastFrameRecordLetter = 'y';

// The controller takes the second of two linked switch rows only this long after the first.
constexpr std::chrono::milliseconds kLinkedRowPause{20};
// The live frames already on their way when the stream's stop went out have come by then.
constexpr std::chrono::milliseconds kStreamStopSettle{50};

bool IsReverseLetter(char letter) { return letter == 'N' || letter == 'O'; }

// The letter whose echo ends a chain of mode 15.
char LastLetterOf(Chain chain) {
    switch (chain) {
        case Chain::Calibration:
            return kLastCalibrationLetter;
        case Chain::FrameSave:
            return kLastFrameRecordLetter;
        case Chain::Declination:
            return kDeclinationLetter;
        case Chain::Directions:
            return kDirectionLetter;
        case Chain::Restore:
        case Chain::ReverseReread:
        case Chain::ReferenceSet:
            break;
    }
    return 0;
}

}  // namespace

CControllerSession::CControllerSession(std::unique_ptr<ICommBackend> backend, IClock& clock,
                                       ISessionListener& listener)
    : m_clock(clock),
      m_listener(listener),
      m_comm(std::move(backend)),
      m_dispatcher(m_state, m_comm, clock, *this),
      m_upload(m_state, m_comm, clock, m_dispatcher, *this),
      m_chainTimer(clock) {
    m_chainTimer.onExpired = [this] { OnChainTimeout(); };
    m_lineLost = QObject::connect(&m_comm, &CMSComm::LineLost, [this] {
        if (m_chain) EndChain(ChainResult::LineLost, m_chain->awaited);
    });
}

CControllerSession::~CControllerSession() { QObject::disconnect(m_lineLost); }

void CControllerSession::ChoosePort(int number) { m_comm.SetCommPort(static_cast<short>(number)); }

void CControllerSession::StartAfresh() {
    ReplaceRunningChain();
    m_dispatcher.EnterIdle(true);
    m_state.m_nParamCache[*CacheSlotOf('P')] = 1;  // servo output rate: the first entry
}

void CControllerSession::OpenPort() {
    m_comm.SetInBufferSize(kControllerPortBuffer);
    m_comm.SetOutBufferSize(kControllerPortBuffer);
    if (!m_comm.GetPortOpen()) m_comm.SetPortOpen(true);
}

void CControllerSession::PrepareLine() {
    ApplyControllerLineSettings(m_comm);
    m_comm.GetInput();  // whatever was waiting is not an answer to us
    m_comm.SetHandshaking(CMSComm::comHandshakeNone);
}

void CControllerSession::ClosePort() {
    if (m_comm.GetPortOpen()) m_comm.SetPortOpen(false);
}

void CControllerSession::ReadBack() {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    m_state.m_nLiveChannels.fill(0);
    m_dispatcher.StartReadBack();
}

void CControllerSession::AfterReadBack(std::function<void()> next) {
    m_dispatcher.AfterReadBack(std::move(next));
}

void CControllerSession::LoadReferenceSet(int set) {
    if (UploadRunning()) return;
    SendFirstLink(Chain::ReferenceSet, kReferenceSetLetter, kSpecialEchoTimeout,
                  [&] { m_dispatcher.StartReferenceSet(set); });
}

void CControllerSession::Restore(const ParameterValues& values) {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    FillRestoreTable(values, m_state);
    // The announcement's link is reported by the dispatcher as it goes out, which starts the
    // echo time-out; a refused announcement ends the restore before anything was written.
    m_chain = RunningChainState{Chain::Restore, kBulkWriteAnnouncementLetter, kRestoreEchoTimeout};
    try {
        m_dispatcher.StartBulkWrite();
    } catch (const CommError&) {
        EndChain(ChainResult::Refused, kBulkWriteAnnouncementLetter);
        throw;
    }
}

bool CControllerSession::StartUpload(const FirmwareImage& image, IUploadListener& listener) {
    if (UploadRunning() || !image.IsLoaded()) return false;
    ReplaceRunningChain();
    StopStreamBeforeUpload();
    m_uploadListener = &listener;
    return m_upload.Start(image);
}

void CControllerSession::StopStreamBeforeUpload() {
    if (m_dispatcher.Mode() == RxMode::Live || m_dispatcher.Mode() == RxMode::ReverseReread) {
        try {
            StopLiveDisplay();
        } catch (const CommError&) {
            return;  // the upload's own first send tells the line's state
        }
    }
    if (!m_streamStoppedAt) return;
    const auto since = m_clock.Now() - *m_streamStoppedAt;
    if (since < kStreamStopSettle)
        m_clock.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kStreamStopSettle - since));
}

void CControllerSession::EnterIdle(bool clearReceive) {
    ReplaceRunningChain();
    m_dispatcher.EnterIdle(clearReceive);
}

void CControllerSession::ReadChosen(QByteArrayView letters) {
    ReplaceRunningChain();
    m_dispatcher.StartChosenRead(letters);
}

void CControllerSession::SendAwaitingEcho(char letter, int wire) {
    ReplaceRunningChain();
    m_dispatcher.SendAwaitingEcho(letter, wire);
}

void CControllerSession::SetParameter(char letter, int shown, CacheUpdate update) {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    const int version = m_state.m_nFwVersion;
    m_dispatcher.SendSetting(letter, WireFromShown(letter, shown, version));
    if (update == CacheUpdate::Store) StoreSent(letter, CachedAfterSend(letter, shown, version));
}

void CControllerSession::SetSwitchRow(char letter, int mask) {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    m_dispatcher.SendMask(letter, mask, false);
    StoreSent(letter, mask);
}

void CControllerSession::SetLinkedSwitchRows(char letter, int mask, char linked, int linkedMask) {
    if (UploadRunning()) return;
    SetSwitchRow(letter, mask);
    m_clock.Wait(kLinkedRowPause);
    SetSwitchRow(linked, linkedMask);
}

void CControllerSession::SetReverseMask(char letter, int mask) {
    // The receive mode stays as it is: a running live display goes on being parsed, and a
    // chain of mode 15 takes the mask's echo as its own (the reverse re-read).
    if (UploadRunning()) return;
    m_dispatcher.SendMask(letter, mask, true);
    StoreSent(letter, mask);
}

void CControllerSession::SetDeclination(int degrees) {
    if (UploadRunning()) return;
    const int wire = WireFromShown(kDeclinationLetter, degrees, m_state.m_nFwVersion);
    SendFirstLink(Chain::Declination, kDeclinationLetter, kSpecialEchoTimeout,
                  [&] { m_dispatcher.SendSpecialSet(kDeclinationLetter, wire); });
    StoreSent(kDeclinationLetter, degrees);
}

void CControllerSession::SetMotorDirections(int mask) {
    if (UploadRunning()) return;
    SendFirstLink(Chain::Directions, kDirectionLetter, kSpecialEchoTimeout,
                  [&] { m_dispatcher.SendSpecialSet(kDirectionLetter, mask); });
}

void CControllerSession::Calibrate(const std::array<int, 4>& cells) {
    if (UploadRunning()) return;
    SendFirstLink(Chain::Calibration, kFirstCalibrationLetter, kSpecialEchoTimeout,
                  [&] { m_dispatcher.StartCalibration(cells); });
}

void CControllerSession::SaveFrame(const std::array<int, 15>& record) {
    if (UploadRunning()) return;
    m_dispatcher.AfterReadBack([this, record] {
        if (UploadRunning()) return;
        m_frameRecord = record;
        SendFirstLink(Chain::FrameSave, kFirstFrameLetter, kSpecialEchoTimeout,
                      [&] { m_dispatcher.StartFrameSave(record); });
    });
}

void CControllerSession::ReadFrame() {
    if (UploadRunning()) return;
    m_dispatcher.AfterReadBack([this] {
        if (UploadRunning()) return;
        ReplaceRunningChain();
        // Whatever waits then belongs to no reply of the frame read. Dropped only now: while a
        // read-back runs, what waits on the port is its own reply.
        if (m_comm.GetPortOpen()) {
            m_comm.SetInputLen(0);
            m_comm.GetInput();
            m_comm.SetHandshaking(CMSComm::comHandshakeNone);
        }
        m_dispatcher.StartFrameGeometryRead();
    });
}

void CControllerSession::StartLiveDisplay() {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    m_dispatcher.StartLiveDisplay();
}

void CControllerSession::StopLiveDisplay() {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    m_dispatcher.StopLiveDisplay();
    m_streamStoppedAt = m_clock.Now();
}

std::optional<Chain> CControllerSession::RunningChain() const {
    if (!m_chain) return std::nullopt;
    return m_chain->chain;
}

bool CControllerSession::AwaitsWithOwnTimeout() const {
    return m_chain.has_value() || UploadRunning() || m_dispatcher.ReadBackAwaitsReply();
}

void CControllerSession::ReplaceRunningChain() {
    if (m_chain) EndChain(ChainResult::Replaced, m_chain->awaited);
}

void CControllerSession::BeginChain(Chain chain, char awaited, std::chrono::milliseconds timeout) {
    ReplaceRunningChain();
    m_chain = RunningChainState{chain, awaited, timeout};
    m_chainTimer.Start(timeout);
}

void CControllerSession::Await(char letter, std::chrono::milliseconds timeout) {
    m_chain->awaited = letter;
    m_chain->timeout = timeout;
    m_chainTimer.Start(timeout);
}

void CControllerSession::EndChain(ChainResult result, char letter) {
    const Chain chain = m_chain->chain;
    // A restore is judged by the read-back that follows it, value by value.
    if (result == ChainResult::Done && m_chain->otherValue != 0 && chain != Chain::Restore) {
        result = ChainResult::OtherValue;
        letter = m_chain->otherValue;
    }
    m_chain.reset();
    m_chainTimer.Stop();
    m_listener.OnChainEnded({chain, result, letter});
}

void CControllerSession::OnChainTimeout() {
    if (!m_chain) return;
    // Time the program spent busy is not the controller's silence: an answer that waits on the
    // port is handed to the chain first, and if it was the awaited one the chain has moved on.
    try {
        m_dispatcher.ReceiveWaiting();
    } catch (const CommError&) {
    }
    if (!m_chain || m_chainTimer.IsActive()) return;
    if (m_chainTimer.RestartIfLate(m_chain->timeout)) return;
    // A late answer must not take the chain on: its mode ends with it.
    if (m_chain->chain == Chain::Restore)
        m_dispatcher.EndBulkWrite();
    else
        m_dispatcher.EndSpecialSet();
    EndChain(ChainResult::NoAnswer, m_chain->awaited);
}

void CControllerSession::SendFirstLink(Chain chain, char letter, std::chrono::milliseconds timeout,
                                       const std::function<void()>& send) {
    BeginChain(chain, letter, timeout);
    try {
        send();
    } catch (const CommError&) {
        EndChain(ChainResult::Refused, letter);
        throw;
    }
}

void CControllerSession::StoreSent(char letter, int cached) {
    m_state.m_nParamCache.StoreSent(letter, cached);
}

// The controller has echoed the whole record: the cache keeps it as the frame it holds.
void CControllerSession::CompleteFrameSave() {
    std::copy(m_frameRecord.begin(), m_frameRecord.end(),
              m_state.m_nParamCache.begin() + ProtocolState::kFrameRecordFirstSlot);
}

void CControllerSession::OnValueRead(char letter, int shown) { m_listener.OnValueRead(letter, shown); }

void CControllerSession::OnFirmwareVersion(int version) { m_listener.OnFirmwareVersion(version); }

void CControllerSession::OnReadBackFinished() { m_listener.OnReadBackFinished(); }

void CControllerSession::OnBulkWriteLinkSent(char letter) {
    if (m_chain && m_chain->chain == Chain::Restore) Await(letter, kRestoreEchoTimeout);
    m_listener.OnBulkWriteLinkSent(letter);
}

// Each chain ends at its last answer before the caller hears of that answer: a message the
// caller then shows, however long it stays open, is not the controller's silence.
void CControllerSession::OnBulkWriteFinished() {
    if (m_chain && m_chain->chain == Chain::Restore) EndChain(ChainResult::Done, 'O');
    m_listener.OnBulkWriteFinished();
}

void CControllerSession::OnCalibrationFinished() {
    if (m_chain && m_chain->chain == Chain::Calibration)
        EndChain(ChainResult::Done, kLastCalibrationLetter);
    m_listener.OnCalibrationFinished();
}

void CControllerSession::OnReferenceSetEchoed() {
    if (m_chain && m_chain->chain == Chain::ReferenceSet)
        EndChain(ChainResult::Done, kReferenceSetLetter);
    m_listener.OnReferenceSetEchoed();
}

void CControllerSession::OnSpecialSetEchoed(char letter) {
    if (IsReverseLetter(letter)) {
        // The mask's echo in mode 15 has asked the mask back (mode 20).
        BeginChain(Chain::ReverseReread, letter, kSpecialEchoTimeout);
    } else if (m_chain && m_chain->awaited == letter) {
        if (letter != LastLetterOf(m_chain->chain)) {
            Await(char(letter + 1), kSpecialEchoTimeout);
        } else {
            if (m_chain->chain == Chain::FrameSave) CompleteFrameSave();
            EndChain(ChainResult::Done, letter);
        }
    }
    m_listener.OnSpecialSetEchoed(letter);
}

void CControllerSession::OnReverseReread(char letter) {
    if (m_chain && m_chain->chain == Chain::ReverseReread) EndChain(ChainResult::Done, letter);
    m_listener.OnReverseReread(letter);
}

void CControllerSession::OnFrameGeometryRead() { m_listener.OnFrameGeometryRead(); }

void CControllerSession::OnFrameReadFinished() { m_listener.OnFrameReadFinished(); }

void CControllerSession::OnLiveFrame(const LiveFrame& frame) { m_listener.OnLiveFrame(frame); }

void CControllerSession::OnQueryReply(char letter, int wire) {
    m_listener.OnQueryReply(letter, wire);
}

void CControllerSession::OnChosenReadFinished() { m_listener.OnChosenReadFinished(); }

void CControllerSession::OnSetEchoed(char letter) { m_listener.OnSetEchoed(letter); }

void CControllerSession::OnEchoWithOtherValue(char letter, int echoed) {
    if (m_chain && m_chain->otherValue == 0) m_chain->otherValue = letter;
    m_listener.OnEchoWithOtherValue(letter, echoed);
}

void CControllerSession::OnReadBackIncomplete(char letter) {
    m_listener.OnReadBackIncomplete(letter);
}

void CControllerSession::OnUploadProgress(const UploadProgress& progress) {
    if (m_uploadListener) m_uploadListener->OnUploadProgress(progress);
}

void CControllerSession::OnUploadEnded(const UploadOutcome& outcome) {
    if (IUploadListener* listener = std::exchange(m_uploadListener, nullptr))
        listener->OnUploadEnded(outcome);
    // The controller starts its new firmware: what it holds is read afresh, whoever uploaded it.
    if (outcome.result == UploadResult::Succeeded) ReadBack();
}

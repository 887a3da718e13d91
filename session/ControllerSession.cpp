#include "ControllerSession.h"

#include <algorithm>

#include "CommError.h"
#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ControllerLine.h"
#include "EchoedSets.h"
#include "LiveDisplay.h"
#include "ParamTable.h"
#include "ParameterRestore.h"
#include "QueryReads.h"
#include "ReferenceSetChoice.h"
#include "RestoreWrite.h"
#include "ReverseReread.h"

namespace {

constexpr char kDeclinationLetter = 'Q';
constexpr char kAxisCountLetter = 'k';

// The controller takes a moment to rebuild its mixer after the axis count changes.
constexpr std::chrono::milliseconds kAxisCountSettle{100};

// The controller takes the second of two linked switch rows only this long after the first.
constexpr std::chrono::milliseconds kLinkedRowPause{20};
// The live frames already on their way when the stream's stop went out have come by then.
constexpr std::chrono::milliseconds kStreamStopSettle{50};

// A full read-back runs, or follows once the conversation is done: what waits for the read-back's
// end waits for it.
bool LeadsToReadBack(Chain chain) {
    return chain == Chain::ReadBack || chain == Chain::ReferenceSet;
}

bool IsReverseLetter(char letter) { return letter == 'N' || letter == 'O'; }

}  // namespace

CControllerSession::CControllerSession(std::unique_ptr<ICommBackend> backend, IClock& clock,
                                       ISessionListener& listener)
    : m_clock(clock),
      m_listener(listener),
      m_comm(std::move(backend)),
      m_reader(m_state, m_comm, *this),
      m_line(m_reader, m_comm, clock, m_state, m_record, listener,
             [this](std::shared_ptr<Conversation> next) { BeginConversation(std::move(next)); }),
      m_runner(m_reader, m_comm, clock, m_line, listener) {
    m_runner.onClosed = [this](const ChainEnd& end) { ConversationClosed(end); };
    m_runner.onEnded = [this](const ChainEnd& end) { ConversationEnded(end); };
    m_reader.SetAnswerTaker([this](const QByteArray& answer) { return TakeAnswer(answer); });
    m_lineLost = QObject::connect(&m_comm, &CMSComm::LineLost,
                                  [this](const QString& reason) { m_runner.LineLost(reason); });
}

CControllerSession::~CControllerSession() { QObject::disconnect(m_lineLost); }

void CControllerSession::ChoosePort(int number) { m_comm.SetCommPort(static_cast<short>(number)); }

void CControllerSession::StartAfresh() {
    ReplaceRunningChain();
    m_reader.EnterIdle(true);
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
    m_afterReadBack = nullptr;  // it waited for the read-back this one replaces
    ReplaceRunningChain();
    m_state.m_nLiveChannels.fill(0);
    BeginConversation(std::make_shared<FullReadBack>(true));
}

void CControllerSession::AfterReadBack(std::function<void()> next) {
    if (m_runner.Running() && LeadsToReadBack(m_runner.Running()->Kind()))
        m_afterReadBack = std::move(next);
    else
        next();
}

void CControllerSession::RunAfterReadBack() {
    if (auto next = std::exchange(m_afterReadBack, nullptr)) next();
}

void CControllerSession::LoadReferenceSet(int set) {
    if (UploadRunning()) return;
    // What waited for the read-back it replaces waits for the one its echo starts.
    auto waiting = std::exchange(m_afterReadBack, nullptr);
    BeginConversation(std::make_shared<ReferenceSetChoice>(set));
    m_afterReadBack = std::move(waiting);
}

void CControllerSession::Restore(const ParameterValues& values) {
    if (UploadRunning()) return;
    ReplaceRunningChain();
    FillRestoreTable(values, m_state);
    BeginConversation(std::make_shared<RestoreWrite>());
}

bool CControllerSession::StartUpload(const FirmwareImage& image, IUploadListener& progress) {
    if (UploadRunning() || !image.IsLoaded()) return false;
    ReplaceRunningChain();
    StopStreamBeforeUpload();
    try {
        BeginConversation(std::make_shared<FirmwareUpload>(image, progress));
    } catch (const CommError&) {
        // The upload has ended as lost, in the serial control's words: its end has been told.
    }
    return true;
}

const FirmwareUpload* CControllerSession::RunningUpload() const {
    return dynamic_cast<const FirmwareUpload*>(m_runner.Running());
}

std::optional<UploadStage> CControllerSession::UploadStageNow() const {
    const FirmwareUpload* upload = RunningUpload();
    if (!upload) return std::nullopt;
    return upload->Stage();
}

void CControllerSession::StopStreamBeforeUpload() {
    if (m_reader.ReceiveMode() == RxMode::Live || m_reader.ReceiveMode() == RxMode::ReverseReread) {
        try {
            StopLiveDisplay();
        } catch (const CommError&) {
            return;  // the upload's own first send tells the line's state
        }
    }
    if (!m_streamStoppedAt) return;
    const auto since = m_clock.Now() - *m_streamStoppedAt;
    if (since < kStreamStopSettle)
        m_clock.Wait(
            std::chrono::duration_cast<std::chrono::milliseconds>(kStreamStopSettle - since));
}

void CControllerSession::EnterIdle(bool clearReceive) {
    if (UploadRunning()) return;
    ReplaceUnlessRead();
    m_reader.EnterIdle(clearReceive);
}

void CControllerSession::ReadChosen(QByteArrayView letters) {
    if (UploadRunning()) return;
    m_afterReadBack = nullptr;
    if (!letters.isEmpty())
        return BeginConversation(std::make_shared<ChosenRead>(letters.toByteArray()));
    ReplaceRunningChain();
    m_reader.EnterIdle(true);
    m_state.ResetReceive();
    m_listener.OnChainEnded({Chain::ChosenRead, ChainResult::Done});
}

void CControllerSession::SetAwaitingEcho(char letter, int shown) {
    if (UploadRunning()) return;
    const int version = m_state.m_nFwVersion;
    BeginConversation(std::make_shared<AwaitedEcho>(letter, WireFromShown(letter, shown, version)));
    StoreSent(letter, CachedAfterSend(letter, shown, version));
}

std::optional<std::pair<char, int>> CControllerSession::ClearLinkedRowAwaitingEcho(char letter,
                                                                                   int mask) {
    const std::optional<char> linked = LinkedRowOf(letter);
    if (!linked || UploadRunning()) return std::nullopt;
    const int cleared = MaskFromCache(*linked, m_state.m_nParamCache) & ~mask;
    m_clock.Wait(kLinkedRowPause);
    SetAwaitingEcho(*linked, cleared);
    return std::pair(*linked, cleared);
}

void CControllerSession::SetParameter(char letter, int shown, CacheUpdate update) {
    if (UploadRunning()) return;
    ReplaceUnlessRead();
    const int version = m_state.m_nFwVersion;
    m_reader.SendSetting(letter, WireFromShown(letter, shown, version));
    if (update == CacheUpdate::Store) StoreSent(letter, CachedAfterSend(letter, shown, version));
    if (letter == kAxisCountLetter) m_clock.Wait(kAxisCountSettle);
}

void CControllerSession::SetSwitchRow(char letter, int mask) {
    if (UploadRunning()) return;
    ReplaceUnlessRead();
    m_reader.SendMask(letter, mask, false);
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
    m_reader.SendMask(letter, mask, true);
    if (m_reader.ReceiveMode() == RxMode::SpecialSet && IsReverseLetter(letter))
        m_maskReread = SetCommand(letter, mask);
    StoreSent(letter, mask);
}

void CControllerSession::SetDeclination(int degrees) {
    if (UploadRunning()) return;
    const int wire = WireFromShown(kDeclinationLetter, degrees, m_state.m_nFwVersion);
    BeginConversation(std::make_shared<SingleEchoedSet>(SingleEchoedSet::Declination(wire)));
    StoreSent(kDeclinationLetter, degrees);
}

void CControllerSession::SetMotorDirections(int mask) {
    if (UploadRunning()) return;
    BeginConversation(std::make_shared<SingleEchoedSet>(SingleEchoedSet::Directions(mask)));
}

void CControllerSession::Calibrate(const std::array<int, 4>& cells) {
    if (UploadRunning()) return;
    BeginConversation(std::make_shared<Calibration>(cells));
}

void CControllerSession::SaveFrame(const std::array<int, 15>& record) {
    if (UploadRunning()) return;
    AfterReadBack([this, record] {
        if (UploadRunning()) return;
        BeginConversation(std::make_shared<FrameSave>(record));
    });
}

void CControllerSession::ReadFrame() {
    if (UploadRunning()) return;
    AfterReadBack([this] {
        if (UploadRunning()) return;
        ReplaceRunningChain();
        // Whatever waits then belongs to no reply of the frame read. Dropped only now: while a
        // read-back runs, what waits on the port is its own reply.
        if (m_comm.GetPortOpen()) {
            m_comm.SetInputLen(0);
            m_comm.GetInput();
            m_comm.SetHandshaking(CMSComm::comHandshakeNone);
        }
        BeginConversation(std::make_shared<FrameRead>());
    });
}

void CControllerSession::StartLiveDisplay() {
    if (UploadRunning()) return;
    BeginConversation(std::make_shared<LiveDisplay>());
}

void CControllerSession::StopLiveDisplay() {
    if (UploadRunning()) return;
    ReplaceUnlessRead();
    m_reader.StopLiveDisplay();
    m_streamStoppedAt = m_clock.Now();
}

std::optional<Chain> CControllerSession::RunningChain() const {
    if (!m_runner.Running()) return std::nullopt;
    return m_runner.Running()->Kind();
}

bool CControllerSession::AwaitsWithOwnTimeout() const {
    return m_runner.Running() && m_runner.Running()->SilenceLimit().count() > 0;
}

void CControllerSession::ReplaceRunningChain() {
    m_maskReread.clear();
    m_runner.Replace();
}

void CControllerSession::ReplaceUnlessRead() {
    if (m_runner.Running() && m_runner.Running()->GoesOnThroughPlainSends()) {
        m_maskReread.clear();
        return;
    }
    ReplaceRunningChain();
}

void CControllerSession::BeginConversation(std::shared_ptr<Conversation> conversation) {
    m_maskReread.clear();
    m_runner.Begin(std::move(conversation));
}

bool CControllerSession::TakeAnswer(const QByteArray& answer) {
    if (!m_maskReread.isEmpty() && m_reader.ReceiveMode() == RxMode::SpecialSet &&
        IsEchoOf(answer, m_maskReread)) {
        StartMaskReread(answer[1]);
        return true;
    }
    return m_runner.Take(answer);
}

void CControllerSession::ConversationClosed(const ChainEnd& end) {
    if (end.result != ChainResult::Done) m_maskReread.clear();
    // What waited for a read-back goes with it when the read-back cannot end.
    if (LeadsToReadBack(end.chain) && end.result != ChainResult::Done &&
        end.result != ChainResult::NoAnswer)
        m_afterReadBack = nullptr;
}

void CControllerSession::ConversationEnded(const ChainEnd& end) {
    if (end.chain != Chain::ReadBack) return;
    // The line is free again: what waited for the read-back to end goes out. After a read-back
    // given up this runs from the event loop, where no handler would report a CommError.
    if (end.result == ChainResult::Done) return RunAfterReadBack();
    if (end.result != ChainResult::NoAnswer) return;
    try {
        RunAfterReadBack();
    } catch (const CommError&) {
    }
}

void CControllerSession::StartMaskReread(char letter) {
    m_maskReread.clear();
    const auto reread = std::make_shared<ReverseReread>(letter);
    m_reader.SetAnswerMode(reread->ReceiveMode());
    reread->Start(m_line);
    m_runner.TakeOver(reread);
    m_listener.OnSpecialSetEchoed(letter);
}

void CControllerSession::StoreSent(char letter, int cached) {
    m_state.m_nParamCache.StoreSent(letter, cached);
}

void CControllerSession::OnFirmwareVersion(int version) { m_listener.OnFirmwareVersion(version); }

void CControllerSession::OnLiveFrame(const LiveFrame& frame) { m_listener.OnLiveFrame(frame); }

#include "ReceiveDispatcher.h"

#include <QDebug>
#include <algorithm>
#include <chrono>
#include <numeric>
#include <utility>

#include "BulkWriteChain.h"
#include "CMSComm.h"
#include "CommError.h"
#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "IClock.h"
#include "IProtocolListener.h"
#include "IUpgradeReceiver.h"
#include "ParamTable.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"

namespace {

using namespace std::chrono_literals;

constexpr char kReferenceSetLetter = 'j';

// The letter whose reply carries the firmware version; it opens the read-back.
constexpr char kVersionLetter = kReadBackOrder.front();
// The last coordinate of the frame-geometry read-back; after it the plan can be drawn.
constexpr char kLastFrameCoordinate = 'y';

constexpr auto kReferenceSetSettle = 10ms;
constexpr auto kChainLinkPause = 50ms;

// The buffer only ever has its first bytes (keys, values) and its last bytes (live frames,
// boot-loader answers) read. A line that keeps sending without being recognised must not make
// it grow without end, so past the limit the bytes between head and tail are dropped. The cut
// keeps the newest half of the limit: the bytes of the next 32 KB are then appended as they
// come, instead of the whole buffer being copied again at every receive event.
constexpr qsizetype kRxBufferLimit = 64 * 1024;
constexpr qsizetype kRxBufferHead = 16;
constexpr qsizetype kRxBufferKeptTail = kRxBufferLimit / 2;
// The count is only compared with small numbers; it stops growing here instead of overflowing.
constexpr qint64 kRxCountCeiling = 1 << 30;

bool IsAnswerMode(RxMode mode) {
    return mode == RxMode::ReadBack || mode == RxMode::BulkWrite || mode == RxMode::SpecialSet ||
           mode == RxMode::ReverseReread;
}

}  // namespace

CReceiveDispatcher::CReceiveDispatcher(ProtocolState& state, CMSComm& comm, IClock& clock,
                                       IProtocolListener& listener)
    : m_state(state), m_comm(comm), m_clock(clock), m_listener(listener) {
    m_replyTimer.onExpired = [this] { OnChainReplyMissing(); };
}

void CReceiveDispatcher::OnComm() {
    if (m_comm.GetCommEvent() == CMSComm::comEvReceive)
        Receive(m_comm.GetInput());
    else
        Evaluate({});
}

void CReceiveDispatcher::Receive(QByteArrayView bytes) {
    // Bytes of another exchange: the sender that changed the mode has given up the read-back.
    if (m_cAwaited != 0 && m_mode != RxMode::ReadBack) AbandonReadBack();
    if (m_mode == RxMode::Live) return EvaluateLiveData(bytes);
    Append(bytes);
    Evaluate(bytes);
}

void CReceiveDispatcher::ReceiveWaiting() {
    if (!m_comm.GetPortOpen()) return;
    const QByteArray waiting = m_comm.GetInput();
    if (!waiting.isEmpty()) Receive(waiting);
}

void CReceiveDispatcher::StartReadBack() {
    m_afterReadBack = nullptr;
    ClearReceive();
    m_state.ResetReceive();
    m_strChosenQueries.clear();
    ForgetAwaitedEchoes();
    m_mode = RxMode::ReadBack;
    m_bReadBackRunning = true;
    m_bAskedAgain = false;
    AskChainQuery(kVersionLetter);
}

void CReceiveDispatcher::StartFrameGeometryRead() {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    ClearReceive();
    m_bAskedAgain = false;
    AskChainQuery(kFrameGeometryOrder.front());
}

void CReceiveDispatcher::AfterReadBack(std::function<void()> next) {
    if (m_bReadBackRunning)
        m_afterReadBack = std::move(next);
    else
        next();
}

void CReceiveDispatcher::StartBulkWrite() {
    m_mode = RxMode::BulkWrite;
    ForgetAwaitedEchoes();
    ClearReceive();
    // Not every controller echoes the announcement, and nothing waits for it: what waits on the
    // line is dropped and the first value goes out at once. An echo of it that comes later is
    // not the first value's and is dropped by its letter.
    SendLink(SetCommand(kBulkWriteAnnouncementLetter, kBulkWriteAnnouncementValue));
    m_listener.OnBulkWriteLinkSent(kBulkWriteAnnouncementLetter);
    SendBulkWriteLink(kBulkWriteOrder.front());
}

void CReceiveDispatcher::StartReferenceSet(int set) {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    ClearReceive();
    // Its echo restarts the read-back; a query the chain still waited for is not asked again.
    m_cAwaited = 0;
    m_replyTimer.Stop();
    m_bReferenceSetEcho = true;
    m_strAwaitedEcho = SetCommand(kReferenceSetLetter, set);
    SendLink(m_strAwaitedEcho);
}

void CReceiveDispatcher::StartChosenRead(QByteArrayView letters) {
    AbandonReadBack();
    ClearReceive();
    m_state.ResetReceive();
    ForgetAwaitedEchoes();
    m_mode = RxMode::ReadBack;
    m_strChosenQueries = letters.toByteArray();
    if (m_strChosenQueries.isEmpty()) {
        m_listener.OnChosenReadFinished();
        return;
    }
    SendLink(QueryCommand(m_strChosenQueries.front()));
}

void CReceiveDispatcher::SendAwaitingEcho(char letter, int wire) {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    ClearReceive();
    m_strAwaitedEcho = SetCommand(letter, wire);
    SendLink(m_strAwaitedEcho);
}

void CReceiveDispatcher::SendSetting(char letter, int wire) {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    m_comm.SetOutput(SetCommand(letter, wire));
}

void CReceiveDispatcher::SendMask(char letter, int wire, bool keepMode) {
    // Whatever waits in the input belongs to no reply of this command.
    m_comm.GetInput();
    if (!keepMode) {
        m_mode = RxMode::ReadBack;
        ForgetAwaitedEchoes();
    }
    const QByteArray frame = SetCommand(letter, wire);
    // In mode 15 the mask's echo asks the mask back (the reverse re-read).
    if (m_mode == RxMode::SpecialSet && (letter == 'N' || letter == 'O')) m_strReverseEcho = frame;
    m_comm.SetOutput(frame);
}

void CReceiveDispatcher::SendSpecialSet(char letter, int wire) {
    m_mode = RxMode::SpecialSet;
    ForgetAwaitedEchoes();
    m_strAwaitedEcho = SetCommand(letter, wire);
    m_comm.SetOutput(m_strAwaitedEcho);
}

void CReceiveDispatcher::StartCalibration(const std::array<int, 4>& cells) {
    m_nCalibration = cells;
    SendSpecialSet('0', cells[0]);
}

void CReceiveDispatcher::StartFrameSave(const std::array<int, 15>& record) {
    m_nFrameRecord = record;
    SendSpecialSet(kFrameGeometryOrder.front(), record[0]);
}

void CReceiveDispatcher::StartLiveDisplay() {
    m_mode = RxMode::Live;
    ForgetAwaitedEchoes();
    ClearReceive();
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetRThreshold(1);
    m_comm.SetInputLen(0);
    m_comm.GetInput();
    m_comm.SetOutput(kLiveDisplayOn);
}

void CReceiveDispatcher::StopLiveDisplay() {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetOutput(kLiveDisplayOff);
}

void CReceiveDispatcher::EnterIdle(bool clearReceive) {
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    if (clearReceive) ClearReceive();
}

void CReceiveDispatcher::EndBulkWrite() {
    if (m_mode != RxMode::BulkWrite) return;
    m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
    ClearReceive();
}

void CReceiveDispatcher::EndSpecialSet() {
    if (m_mode == RxMode::SpecialSet || m_mode == RxMode::ReverseReread) m_mode = RxMode::ReadBack;
    ForgetAwaitedEchoes();
}

void CReceiveDispatcher::ForgetAwaitedEchoes() {
    m_strAwaitedEcho.clear();
    m_bReferenceSetEcho = false;
    m_strReverseEcho.clear();
    m_cRereadLetter = 0;
}

void CReceiveDispatcher::SetUploadMode(RxMode mode) {
    Q_ASSERT(IsUpgradeMode(mode) || mode == RxMode::ReadBack);
    m_mode = mode;
    ForgetAwaitedEchoes();
}

void CReceiveDispatcher::Append(QByteArrayView bytes) {
    QByteArray& buffer = m_state.m_strRxBuf;
    if (buffer.size() + bytes.size() <= kRxBufferLimit) {
        buffer.append(bytes);
    } else {
        const qsizetype head = std::min(kRxBufferHead, buffer.size());
        const QByteArrayView newest = bytes.last(std::min(bytes.size(), kRxBufferKeptTail));
        const qsizetype older = std::min(buffer.size() - head, kRxBufferKeptTail - newest.size());
        QByteArray kept;
        kept.reserve(kRxBufferLimit);
        kept.append(QByteArrayView(buffer).first(head));
        kept.append(QByteArrayView(buffer).last(older));
        kept.append(newest);
        buffer = std::move(kept);
    }
    m_state.m_nRxCount =
        int(std::min<qint64>(qint64(m_state.m_nRxCount) + bytes.size(), kRxCountCeiling));
}

void CReceiveDispatcher::Evaluate(QByteArrayView received) {
    switch (m_mode) {
        case RxMode::ReadBack:
        case RxMode::BulkWrite:
        case RxMode::SpecialSet:
        case RxMode::ReverseReread:
            return EvaluateAnswers();
        case RxMode::BootReady:
        case RxMode::UploadData:
        case RxMode::UploadEnd:
        case RxMode::UploadConfirm:
        case RxMode::UploadFinal:
        case RxMode::DeviceTag:
            return EvaluateUpgrade(received);
        case RxMode::Live:
            return;  // live frames are looked for as their bytes arrive
    }
}

// Every complete answer in the buffer is handled on its own, in arrival order: a stale copy in
// front of the awaited answer is dropped and never hides it.
void CReceiveDispatcher::EvaluateAnswers() {
    while (IsAnswerMode(m_mode)) {
        QByteArray dropped;
        const std::optional<QByteArray> answer = CutAnswer(m_state.m_strRxBuf, &dropped);
        m_state.m_nRxCount = int(m_state.m_strRxBuf.size());
        if (!dropped.isEmpty()) LogDropped(dropped, "they begin no answer");
        if (!answer) return;
        HandleAnswer(*answer);
    }
}

void CReceiveDispatcher::HandleAnswer(const QByteArray& answer) {
    bool taken = false;
    switch (m_mode) {
        case RxMode::ReadBack:
            taken = answer[0] == '?' ? TakeReadBackReply(answer) : TakeEchoInModeZero(answer);
            break;
        case RxMode::BulkWrite:
            taken = TakeBulkWriteEcho(answer);
            break;
        case RxMode::SpecialSet:
            taken = TakeSpecialSetEcho(answer);
            break;
        case RxMode::ReverseReread:
            taken = TakeRereadReply(answer);
            break;
        default:
            break;
    }
    if (!taken) LogDropped(answer, "no chain waits for this answer");
}

// Mode 0: the reply to the query the read-back waits for. Any other reply (a repeated copy, a
// late answer to a query asked again) is not taken: taken as new, it would send a second next
// query and fork the chain.
bool CReceiveDispatcher::TakeReadBackReply(const QByteArray& answer) {
    const char letter = answer[1];
    const char awaited = m_strChosenQueries.isEmpty() ? m_cAwaited : m_strChosenQueries.front();
    if (awaited == 0 || !IsChainQuery(letter) || !IsReplyTo(answer, awaited)) return false;
    m_bAskedAgain = false;
    HandleChainReply(letter, ReplyValue(answer));
    return true;
}

// Mode 0: the echo a caller waits for (SendAwaitingEcho) or the reference-set choice's echo,
// which restarts the read-back. Echoes of ordinary set commands are not awaited.
bool CReceiveDispatcher::TakeEchoInModeZero(const QByteArray& answer) {
    if (m_strAwaitedEcho.isEmpty()) return false;
    const bool referenceSet = m_bReferenceSetEcho;
    if (referenceSet ? !IsReferenceSetEcho(answer) : !IsEchoOf(answer, m_strAwaitedEcho))
        return false;
    const char letter = answer[1];
    const QByteArray sent = std::exchange(m_strAwaitedEcho, {});
    ForgetAwaitedEchoes();
    if (referenceSet) {
        m_listener.OnReferenceSetEchoed();
        RestartReadBackAfterReferenceSet();
    } else {
        TellOtherValue(answer, sent);
        m_listener.OnSetEchoed(letter);
    }
    return true;
}

// Mode 7: the echo of the link last sent sends the next restored value.
bool CReceiveDispatcher::TakeBulkWriteEcho(const QByteArray& answer) {
    if (m_strAwaitedEcho.isEmpty() || !IsEchoOf(answer, m_strAwaitedEcho)) return false;
    const char letter = answer[1];
    TellOtherValue(answer, std::exchange(m_strAwaitedEcho, {}));
    // The controller stores each value before it takes the next one.
    m_clock.Wait(kChainLinkPause);
    const BulkWriteStep step = BulkWriteStepAfter(letter);
    switch (step.kind) {
        case BulkWriteStep::Kind::Next:
            SendBulkWriteLink(step.next);
            break;
        case BulkWriteStep::Kind::Finished:
            m_mode = RxMode::ReadBack;
            m_bReadBackRunning = true;
            m_bAskedAgain = false;
            AskChainQuery(kVersionLetter);
            m_listener.OnBulkWriteFinished();
            break;
        case BulkWriteStep::Kind::NotInChain:
            break;
    }
    return true;
}

// Mode 15: the echo of the link last sent (the calibration sums, the frame record, the
// declination, the directions), or of a reverse mask sent meanwhile (the reverse re-read).
bool CReceiveDispatcher::TakeSpecialSetEcho(const QByteArray& answer) {
    const char letter = answer[1];
    if (!m_strReverseEcho.isEmpty() && IsEchoOf(answer, m_strReverseEcho)) {
        m_clock.Wait(kChainLinkPause);
        ForgetAwaitedEchoes();
        m_mode = RxMode::ReverseReread;
        m_cRereadLetter = letter;
        SendLink(QueryCommand(letter));
        m_listener.OnSpecialSetEchoed(letter);
        return true;
    }
    if (m_strAwaitedEcho.isEmpty() || !IsEchoOf(answer, m_strAwaitedEcho)) return false;
    TellOtherValue(answer, std::exchange(m_strAwaitedEcho, {}));
    m_clock.Wait(kChainLinkPause);
    HandleSpecialSetEcho(letter);
    m_listener.OnSpecialSetEchoed(letter);
    return true;
}

void CReceiveDispatcher::HandleSpecialSetEcho(char letter) {
    const auto& cells = m_nCalibration;
    if (letter >= '0' && letter <= '2') {
        // Each cell tap gets the voltage up to it: the running sum of the cells.
        const int cellCount = letter - '0' + 2;
        SendAwaitedSet(SetCommand(char(letter + 1),
                                  std::accumulate(cells.begin(), cells.begin() + cellCount, 0)));
    } else if (letter == '3') {
        m_mode = RxMode::ReadBack;
        m_listener.OnCalibrationFinished();
    } else if (letter >= kFrameGeometryOrder.front() && letter < kLastFrameCoordinate) {
        // The frame record holds axis count, extents and coordinates in the order l .. y.
        const char next = char(letter + 1);
        SendAwaitedSet(SetCommand(
            next, WireFromShown(next, m_nFrameRecord[next - kFrameGeometryOrder.front()],
                                m_state.m_nFwVersion)));
    }
}

// Mode 20: the reverse flags just written, read back; then the live display resumes.
bool CReceiveDispatcher::TakeRereadReply(const QByteArray& answer) {
    const char letter = m_cRereadLetter;
    if (letter == 0 || !IsReplyTo(answer, letter)) return false;
    m_cRereadLetter = 0;
    ClearReceive();
    ApplyValue(letter, ReplyValue(answer) & 0xFF);
    m_mode = RxMode::Live;
    SendLink(kLiveDisplayOn);
    m_listener.OnReverseReread(letter);
    return true;
}

void CReceiveDispatcher::ContinueChosenRead() {
    QByteArray& chosen = m_strChosenQueries;
    chosen.remove(0, 1);
    if (!chosen.isEmpty()) {
        SendLink(QueryCommand(chosen.front()));
        return;
    }
    DiscardInput();
    m_listener.OnChosenReadFinished();
}

void CReceiveDispatcher::RestartReadBackAfterReferenceSet() {
    // The controller is loading the chosen set; give it a moment before asking it back.
    m_clock.Wait(kReferenceSetSettle);
    ClearReceive();
    m_bReadBackRunning = true;
    m_bAskedAgain = false;
    AskChainQuery(kVersionLetter);
}

void CReceiveDispatcher::HandleChainReply(char letter, int wire) {
    m_listener.OnQueryReply(letter, wire);
    ApplyValue(letter, wire);
    if (letter == kLastFrameCoordinate) m_listener.OnFrameGeometryRead();

    // A zero may be a reply the controller was not ready to give: ask again while retries last.
    if (m_state.m_nQueryRetries > 0 && wire == 0) {
        --m_state.m_nQueryRetries;
        AskChainQuery(letter);
        return;
    }
    m_state.m_nQueryRetries = ProtocolState::kFullRetries;
    if (!m_strChosenQueries.isEmpty()) {
        ContinueChosenRead();
        return;
    }
    if (const auto next = NextQueryAfter(letter)) {
        AskChainQuery(*next);
        return;
    }
    m_cAwaited = 0;
    m_replyTimer.Stop();
    if (letter == kFrameGeometryOrder.back()) m_listener.OnFrameReadFinished();
    if (letter == kReadBackOrder.back()) {
        DiscardInput();
        m_listener.OnReadBackFinished();
        m_bReadBackRunning = false;
        if (auto next = std::exchange(m_afterReadBack, nullptr)) next();
    }
}

void CReceiveDispatcher::ApplyValue(char letter, int wire) {
    if (letter == kVersionLetter) {
        m_state.m_nFwVersion = wire;
        m_listener.OnFirmwareVersion(wire);
        return;
    }
    if (IsDiscardedOnRead(letter)) return;
    const int shown = ShownFromWire(letter, wire, m_state.m_nFwVersion);
    m_state.m_nParamCache.StoreRead(letter, shown);
    m_listener.OnValueRead(letter, shown);
}

// Mode 10: live data frames. The receive buffer and count are the parser's: what it has not
// yet recognised, never more than one frame's length. A sender that empties them (the start
// of the live display) starts the parser afresh.
void CReceiveDispatcher::EvaluateLiveData(QByteArrayView bytes) {
    m_live.Resume(m_state.m_strRxBuf, m_state.m_nRxCount);
    const std::vector<LiveFrame> frames = m_live.Feed(bytes);
    m_state.m_strRxBuf.resize(0);
    m_state.m_strRxBuf.append(m_live.Pending());
    m_state.m_nRxCount = m_live.Count();
    for (const LiveFrame& frame : frames) {
        if (frame.kind == LiveFrame::Kind::Receiver)
            std::copy(frame.values.begin(), frame.values.end(), m_state.m_nLiveChannels.begin());
        else if (frame.kind == LiveFrame::Kind::Outputs)
            std::copy(frame.values.begin(), frame.values.end(),
                      m_state.m_nLiveChannels.begin() + frame.values.size());
        m_listener.OnLiveFrame(frame);
    }
}

// Mode 30 (the device tag) and modes 2 to 6 (the boot loader's answers): the firmware upload.
void CReceiveDispatcher::EvaluateUpgrade(QByteArrayView received) {
    if (m_upgrade) m_upgrade->OnUpgradeReceive(received);
}

void CReceiveDispatcher::SendBulkWriteLink(char letter) {
    m_strAwaitedEcho = BulkWriteFrame(letter, m_state);
    SendLink(m_strAwaitedEcho);
    m_listener.OnBulkWriteLinkSent(letter);
}

void CReceiveDispatcher::ClearReceive() {
    if (!m_state.m_strRxBuf.isEmpty() && m_mode != RxMode::Live)
        LogDropped(m_state.m_strRxBuf, "not complete when the receive buffer was emptied");
    m_state.m_strRxBuf.clear();
    m_state.m_nRxCount = 0;
}

void CReceiveDispatcher::SendLink(const QByteArray& frame) {
    DiscardInput();
    m_comm.SetOutput(frame);
}

void CReceiveDispatcher::SendAwaitedSet(const QByteArray& frame) {
    m_strAwaitedEcho = frame;
    SendLink(frame);
}

void CReceiveDispatcher::DiscardInput() {
    const QByteArray stale = m_comm.GetInput();
    if (!stale.isEmpty()) LogDropped(stale, "discarded before a send");
}

void CReceiveDispatcher::TellOtherValue(const QByteArray& echo, const QByteArray& sent) {
    if (!EchoCarriesOtherValue(echo, sent)) return;
    qDebug().nospace() << "The controller echoed " << echo << " to " << sent
                       << ": it answered with another value";
    m_listener.OnEchoWithOtherValue(echo[1], LeadingDigits(QByteArrayView(echo).sliced(2)));
}

void LogDropped(const QByteArray& bytes, const char* why) {
    qDebug().nospace() << "Dropped " << bytes.size() << " received byte(s) " << bytes << ": "
                       << why;
}

void CReceiveDispatcher::AskChainQuery(char letter) {
    // A read of chosen letters keeps its own account of what it waits for, and is timed by the
    // program that asked for it.
    if (!m_strChosenQueries.isEmpty()) return SendLink(QueryCommand(letter));
    m_cAwaited = letter;
    try {
        SendLink(QueryCommand(letter));
    } catch (const CommError&) {
        // Nothing was asked: no read-back runs, and nothing waits for one to end.
        AbandonReadBack();
        throw;
    }
    m_replyTimer.Start(kChainReplyTimeout);
}

// What waited for the read-back goes with it, as when a new read-back replaces it.
void CReceiveDispatcher::AbandonReadBack() {
    m_cAwaited = 0;
    m_replyTimer.Stop();
    m_bReadBackRunning = false;
    m_afterReadBack = nullptr;
}

void CReceiveDispatcher::OnChainReplyMissing() {
    const char letter = m_cAwaited;
    // The reply may have come while the program was busy: it is taken first, and if it was the
    // awaited one the chain has moved on (a new query and its own time-out, or its end).
    try {
        ReceiveWaiting();
    } catch (const CommError&) {
    }
    if (m_replyTimer.IsActive() || m_cAwaited != letter) return;
    // Another exchange has the line now (a sender changed the mode), or the port is gone and
    // the status line already says so: the read-back is over without a word of its own.
    if (m_mode != RxMode::ReadBack || !m_comm.GetPortOpen())
        return AbandonReadBack();
    if (m_replyTimer.RestartIfLate(kChainReplyTimeout)) return;
    m_cAwaited = 0;
    // This runs from the event loop, where no handler would report a CommError: a send that
    // fails counts as unanswered, and a lost line is reported by the serial control.
    if (!m_bAskedAgain) {
        m_bAskedAgain = true;
        // Whatever sits in the buffer kept the reply from being recognised; start afresh.
        ClearReceive();
        try {
            AskChainQuery(letter);
            return;
        } catch (const CommError&) {
            m_cAwaited = 0;
        }
    }
    m_listener.OnReadBackIncomplete(letter);
    // The line is free again: what waited for the read-back to end (a frame save) goes out.
    m_bReadBackRunning = false;
    try {
        if (auto next = std::exchange(m_afterReadBack, nullptr)) next();
    } catch (const CommError&) {
    }
}

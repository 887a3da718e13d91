#include "ReceiveDispatcher.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <utility>

#include "BulkWriteChain.h"
#include "CMSComm.h"
#include "CommError.h"
#include "CommandFrames.h"
#include "IClock.h"
#include "IProtocolListener.h"
#include "IUpgradeReceiver.h"
#include "ParamTable.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"

namespace {

using namespace std::chrono_literals;

// A query reply: the echo "?", letter, "\r" in bytes 0-2, the value digits in bytes 4-7.
constexpr int kQueryReplyLength = 10;
constexpr qsizetype kValueAt = 4;
constexpr qsizetype kValueLength = 4;
// The echo of a set command in the special set chains, recognised at exactly this length.
constexpr int kSpecialEchoLength = 8;
// The echo of a set command in the bulk write, recognised at this length or more.
constexpr int kBulkEchoLength = 7;
// The echo of a reference-set choice, recognised once the count is above this.
constexpr int kReferenceEchoMinimum = 4;
constexpr QByteArrayView kReferenceEcho = "Sj0";
constexpr char kReferenceSetLetter = 'j';
// The controller's answer to an ordinary set command in mode 0: "S", the letter, the four
// digits and two more bytes. Nothing waits for it.
constexpr qsizetype kSetEchoLength = 8;

// The letter whose reply carries the firmware version; it opens the read-back.
constexpr char kVersionLetter = kReadBackOrder.front();
// The last coordinate of the frame-geometry read-back; after it the plan can be drawn.
constexpr char kLastFrameCoordinate = 'y';

constexpr auto kReferenceSetSettle = 10ms;
constexpr auto kChainLinkPause = 50ms;
// How long a read-back query waits for its reply before it is asked once more.
constexpr auto kChainReplyTimeout = 1s;

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

QByteArrayView ValueText(const QByteArray& buffer) {
    return QByteArrayView(buffer)
        .sliced(std::min(kValueAt, buffer.size()))
        .first(std::clamp<qsizetype>(buffer.size() - kValueAt, 0, kValueLength));
}

bool IsQueryKey(const QByteArray& buffer) {
    return buffer.size() >= 3 && buffer[0] == '?' && buffer[2] == '\r';
}

bool IsSetKey(const QByteArray& buffer) { return buffer.size() >= 2 && buffer[0] == 'S'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A complete set echo at `at` that is not the reference-set echo (which restarts the read-back).
bool IsOrdinarySetEcho(const QByteArray& buffer, qsizetype at) {
    if (buffer.size() - at < kSetEchoLength || buffer[at] != 'S') return false;
    const QByteArrayView echo = QByteArrayView(buffer).sliced(at, kSetEchoLength);
    if (echo.startsWith(kReferenceEcho)) return false;
    return std::all_of(echo.begin() + 2, echo.begin() + 2 + kValueLength, IsDigit);
}

// A set echo is taken from its seventh byte, and the rest of its line end may come only after
// that, in front of the next echo. It belongs to no echo and is dropped.
void DropLeadingLineEnds(ProtocolState& state) {
    QByteArray& buffer = state.m_strRxBuf;
    qsizetype ends = 0;
    while (ends < buffer.size() && (buffer[ends] == '\r' || buffer[ends] == '\n')) ++ends;
    if (ends == 0) return;
    buffer.remove(0, ends);
    state.m_nRxCount = std::max(0, state.m_nRxCount - int(ends));
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

void CReceiveDispatcher::StartReadBack() {
    m_afterReadBack = nullptr;
    m_state.ResetReceive();
    m_mode = RxMode::ReadBack;
    m_bReadBackRunning = true;
    m_bAskedAgain = false;
    AskChainQuery(kVersionLetter);
}

void CReceiveDispatcher::StartFrameGeometryRead() {
    m_mode = RxMode::ReadBack;
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
    ClearReceive();
    SendBulkWriteLink(kBulkWriteAnnouncementLetter);
}

void CReceiveDispatcher::StartReferenceSet(int set) {
    m_mode = RxMode::ReadBack;
    ClearReceive();
    // Its echo restarts the read-back; a query the chain still waited for is not asked again.
    m_cAwaited = 0;
    m_replyTimer.Stop();
    SendLink(SetCommand(kReferenceSetLetter, set));
}

void CReceiveDispatcher::StartChosenRead(QByteArrayView letters) {
    AbandonReadBack();
    m_state.ResetReceive();
    m_mode = RxMode::ReadBack;
    m_state.m_strChosenQueries = letters.toByteArray();
    if (m_state.m_strChosenQueries.isEmpty()) {
        m_listener.OnChosenReadFinished();
        return;
    }
    SendLink(QueryCommand(m_state.m_strChosenQueries.front()));
}

void CReceiveDispatcher::SendAwaitingEcho(char letter, int wire) {
    m_mode = RxMode::ReadBack;
    ClearReceive();
    m_state.m_cAwaitedEcho = letter;
    SendLink(SetCommand(letter, wire));
}

void CReceiveDispatcher::SendSetting(char letter, int wire) {
    m_mode = RxMode::ReadBack;
    m_comm.SetOutput(SetCommand(letter, wire));
}

void CReceiveDispatcher::SendMask(char letter, int wire, bool keepMode) {
    // Whatever waits in the input belongs to no reply of this command.
    m_comm.GetInput();
    if (!keepMode) m_mode = RxMode::ReadBack;
    m_comm.SetOutput(SetCommand(letter, wire));
}

void CReceiveDispatcher::SendSpecialSet(char letter, int wire) {
    m_mode = RxMode::SpecialSet;
    m_comm.SetOutput(SetCommand(letter, wire));
}

void CReceiveDispatcher::StartLiveDisplay() {
    m_mode = RxMode::Live;
    ClearReceive();
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetRThreshold(1);
    m_comm.SetInputLen(0);
    m_comm.GetInput();
    m_comm.SetOutput(kLiveDisplayOn);
}

void CReceiveDispatcher::StopLiveDisplay() {
    m_mode = RxMode::ReadBack;
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetOutput(kLiveDisplayOff);
}

void CReceiveDispatcher::EnterIdle(bool clearReceive) {
    m_mode = RxMode::ReadBack;
    if (clearReceive) ClearReceive();
}

void CReceiveDispatcher::EndBulkWrite() {
    if (m_mode != RxMode::BulkWrite) return;
    m_mode = RxMode::ReadBack;
    ClearReceive();
}

void CReceiveDispatcher::EndSpecialSet() {
    if (m_mode == RxMode::SpecialSet || m_mode == RxMode::ReverseReread) m_mode = RxMode::ReadBack;
}

void CReceiveDispatcher::SetUploadMode(RxMode mode) {
    Q_ASSERT(IsUpgradeMode(mode) || mode == RxMode::ReadBack);
    m_mode = mode;
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
            return EvaluateReadBack();
        case RxMode::BootReady:
        case RxMode::UploadData:
        case RxMode::UploadEnd:
        case RxMode::UploadConfirm:
        case RxMode::UploadFinal:
        case RxMode::DeviceTag:
            return EvaluateUpgrade(received);
        case RxMode::BulkWrite:
            return EvaluateBulkWrite();
        case RxMode::Live:
            return;  // live frames are looked for as their bytes arrive
        case RxMode::SpecialSet:
            return EvaluateSpecialSet();
        case RxMode::ReverseReread:
            return EvaluateReverseReread();
        default:
            return;
    }
}

// Mode 0: read-back replies and the echo of a reference-set choice.
void CReceiveDispatcher::EvaluateReadBack() {
    DropSetEchoes();
    if (TakeAwaitedEcho()) return;
    if (m_state.m_nRxCount > kReferenceEchoMinimum &&
        m_state.m_strRxBuf.startsWith(kReferenceEcho)) {
        RestartReadBackAfterReferenceSet();
        return;
    }
    if (m_state.m_nRxCount != kQueryReplyLength) return;
    // A reply that matches no query keeps its bytes: later replies queue up behind its key and
    // are not recognised until the buffer is cleared.
    m_state.m_nRxCount = 0;
    const QByteArray& buffer = m_state.m_strRxBuf;
    if (!IsQueryKey(buffer) || !IsChainQuery(buffer[1])) return;
    const char letter = buffer[1];
    const int wire = LeadingDigits(ValueText(buffer));
    m_state.m_strRxBuf.clear();
    // A reply the chain is not waiting for (a repeated copy, a late answer to a query asked
    // again) is dropped: taken as new, it would send a second next query and fork the chain.
    // A read of chosen letters likewise takes only the reply it waits for.
    const QByteArray& chosen = m_state.m_strChosenQueries;
    if (letter != (chosen.isEmpty() ? m_cAwaited : chosen.front())) return;
    m_bAskedAgain = false;
    HandleChainReply(letter, wire);
}

// Echoes of ordinary set commands (a slider released during the read-back, or at any time in
// mode 0) are taken out wherever a frame begins: left in the buffer, they would keep the count
// away from a reply's length and stop the read-back for good. Only done while count and buffer
// are in step; a reply that matched nothing keeps its bytes as before. The echo a sender awaits
// (SendAwaitingEcho) stays for TakeAwaitedEcho.
void CReceiveDispatcher::DropSetEchoes() {
    QByteArray& buffer = m_state.m_strRxBuf;
    if (m_state.m_nRxCount != buffer.size()) return;
    qsizetype at = 0;
    while (at < buffer.size()) {
        if (IsOrdinarySetEcho(buffer, at) && buffer[at + 1] != m_state.m_cAwaitedEcho) {
            buffer.remove(at, kSetEchoLength);
        } else if (buffer[at] == '?' && buffer.size() - at >= kQueryReplyLength) {
            at += kQueryReplyLength;
        } else {
            break;
        }
    }
    m_state.m_nRxCount = int(buffer.size());
}

bool CReceiveDispatcher::TakeAwaitedEcho() {
    const char letter = m_state.m_cAwaitedEcho;
    const QByteArray& buffer = m_state.m_strRxBuf;
    if (letter == 0 || m_state.m_nRxCount < kSpecialEchoLength || buffer.size() < 2 ||
        buffer[0] != 'S' || buffer[1] != letter)
        return false;
    ClearReceive();
    m_state.m_cAwaitedEcho = 0;
    m_listener.OnSetEchoed(letter);
    return true;
}

void CReceiveDispatcher::ContinueChosenRead() {
    QByteArray& chosen = m_state.m_strChosenQueries;
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
    if (!m_state.m_strChosenQueries.isEmpty()) {
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
    StoreInCache(letter, shown, m_state.m_nParamCache);
    m_listener.OnValueRead(letter, shown);
}

// Mode 7: each echo of the bulk write sends the next restored value.
void CReceiveDispatcher::EvaluateBulkWrite() {
    DropLeadingLineEnds(m_state);
    if (m_state.m_nRxCount < kBulkEchoLength) return;
    const QByteArray echo =
        m_state.m_strRxBuf.first(std::min<qsizetype>(2, m_state.m_strRxBuf.size()));
    ClearReceive();
    // The controller stores each value before it takes the next one; the announcement stores
    // nothing, and the first value follows its echo at once.
    const bool announced = IsSetKey(echo) && echo[1] == kBulkWriteAnnouncementLetter;
    if (!announced) m_clock.Wait(kChainLinkPause);
    if (!IsSetKey(echo)) return;
    const BulkWriteStep step = BulkWriteStepAfter(echo[1]);
    switch (step.kind) {
        case BulkWriteStep::Kind::Next:
            SendBulkWriteLink(step.next);
            return;
        case BulkWriteStep::Kind::Finished:
            m_mode = RxMode::ReadBack;
            m_bReadBackRunning = true;
            m_bAskedAgain = false;
            AskChainQuery(kVersionLetter);
            m_listener.OnBulkWriteFinished();
            return;
        case BulkWriteStep::Kind::NotInChain:
            return;
    }
}

// Mode 15: the calibration sums, the frame save chain and the reverse re-read.
void CReceiveDispatcher::EvaluateSpecialSet() {
    if (m_state.m_nRxCount != kSpecialEchoLength) return;
    const QByteArray echo =
        m_state.m_strRxBuf.first(std::min<qsizetype>(2, m_state.m_strRxBuf.size()));
    ClearReceive();
    m_clock.Wait(kChainLinkPause);
    if (!IsSetKey(echo)) return;
    HandleSpecialSetEcho(echo[1]);
    m_listener.OnSpecialSetEchoed(echo[1]);
}

void CReceiveDispatcher::HandleSpecialSetEcho(char letter) {
    const auto& cells = m_state.m_nCalibration;
    if (letter >= '0' && letter <= '2') {
        // Each cell tap gets the voltage up to it: the running sum of the cells.
        const int cellCount = letter - '0' + 2;
        SendLink(SetCommand(char(letter + 1),
                            std::accumulate(cells.begin(), cells.begin() + cellCount, 0)));
    } else if (letter == '3') {
        m_mode = RxMode::ReadBack;
        m_listener.OnCalibrationFinished();
    } else if (letter == 'N' || letter == 'O') {
        m_mode = RxMode::ReverseReread;
        SendLink(QueryCommand(letter));
    } else if (letter >= kFrameGeometryOrder.front() && letter < kLastFrameCoordinate) {
        // The frame record holds axis count, extents and coordinates in the order l .. y.
        const char next = char(letter + 1);
        SendLink(SetCommand(
            next, WireFromShown(next, m_state.m_nFrameRecord[next - kFrameGeometryOrder.front()],
                                m_state.m_nFwVersion)));
    }
}

// Mode 20: the reverse flags just written, read back; then the live display resumes.
void CReceiveDispatcher::EvaluateReverseReread() {
    if (m_state.m_nRxCount != kQueryReplyLength) return;
    const QByteArray& buffer = m_state.m_strRxBuf;
    if (!IsQueryKey(buffer) || (buffer[1] != 'N' && buffer[1] != 'O')) return;
    const char letter = buffer[1];
    const int wire = LeadingDigits(ValueText(buffer));
    ClearReceive();
    ApplyValue(letter, wire & 0xFF);
    m_mode = RxMode::Live;
    SendLink(kLiveDisplayOn);
    m_listener.OnReverseReread(letter);
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
    SendLink(letter == kBulkWriteAnnouncementLetter
                 ? SetCommand(letter, kBulkWriteAnnouncementValue)
                 : BulkWriteFrame(letter, m_state));
    m_listener.OnBulkWriteLinkSent(letter);
}

void CReceiveDispatcher::ClearReceive() {
    m_state.m_strRxBuf.clear();
    m_state.m_nRxCount = 0;
}

void CReceiveDispatcher::SendLink(const QByteArray& frame) {
    DiscardInput();
    m_comm.SetOutput(frame);
}

void CReceiveDispatcher::DiscardInput() { m_comm.GetInput(); }

void CReceiveDispatcher::AskChainQuery(char letter) {
    // A read of chosen letters keeps its own account of what it waits for, and is timed by the
    // program that asked for it.
    if (!m_state.m_strChosenQueries.isEmpty()) return SendLink(QueryCommand(letter));
    m_cAwaited = letter;
    SendLink(QueryCommand(letter));
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
    // Another exchange has the line now (a sender changed the mode), or the port is gone and
    // the status line already says so: the read-back is over without a word of its own.
    if (m_mode != RxMode::ReadBack || !m_comm.GetPortOpen())
        return AbandonReadBack();
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

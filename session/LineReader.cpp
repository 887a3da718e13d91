#include "LineReader.h"

#include <QDebug>
#include <algorithm>
#include <chrono>
#include <utility>

#include "CMSComm.h"
#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "IProtocolListener.h"
#include "ParamTable.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"

namespace {

// The letter whose reply carries the firmware version; it opens the read-back.
constexpr char kVersionLetter = kReadBackOrder.front();

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

LineReader::LineReader(ProtocolState& state, CMSComm& comm, IProtocolListener& listener)
    : m_state(state), m_comm(comm), m_listener(listener) {}

void LineReader::OnComm() {
    if (m_comm.GetCommEvent() == CMSComm::comEvReceive)
        Receive(m_comm.GetInput());
    else
        Evaluate({});
}

void LineReader::Receive(QByteArrayView bytes) {
    if (m_mode == RxMode::Live) return EvaluateLiveData(bytes);
    Append(bytes);
    Evaluate(bytes);
}

void LineReader::ReceiveWaiting() {
    if (!m_comm.GetPortOpen()) return;
    const QByteArray waiting = m_comm.GetInput();
    if (!waiting.isEmpty()) Receive(waiting);
}

void LineReader::SendSetting(char letter, int wire) {
    m_mode = RxMode::ReadBack;
    m_comm.SetOutput(SetCommand(letter, wire));
}

void LineReader::SendMask(char letter, int wire, bool keepMode) {
    // Whatever waits in the input belongs to no reply of this command.
    m_comm.GetInput();
    if (!keepMode) m_mode = RxMode::ReadBack;
    m_comm.SetOutput(SetCommand(letter, wire));
}

void LineReader::StartLiveDisplay() {
    m_mode = RxMode::Live;
    ClearReceive();
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetRThreshold(1);
    m_comm.SetInputLen(0);
    m_comm.GetInput();
    m_comm.SetOutput(kLiveDisplayOn);
}

void LineReader::StopLiveDisplay() {
    m_mode = RxMode::ReadBack;
    m_comm.SetInputMode(CMSComm::comInputModeBinary);
    m_comm.SetOutput(kLiveDisplayOff);
}

void LineReader::EnterIdle(bool clearReceive) {
    m_mode = RxMode::ReadBack;
    if (clearReceive) ClearReceive();
}

void LineReader::Append(QByteArrayView bytes) {
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

void LineReader::Evaluate(QByteArrayView received) {
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
            return HandOverBootBytes(received);
        case RxMode::Live:
            return;  // live frames are looked for as their bytes arrive
    }
}

// Every complete answer in the buffer is handled on its own, in arrival order: a stale copy in
// front of the awaited answer is dropped and never hides it.
void LineReader::EvaluateAnswers() {
    while (IsAnswerMode(m_mode)) {
        QByteArray dropped;
        const std::optional<QByteArray> answer = CutAnswer(m_state.m_strRxBuf, &dropped);
        m_state.m_nRxCount = int(m_state.m_strRxBuf.size());
        if (!dropped.isEmpty()) LogDropped(dropped, "they begin no answer");
        if (!answer) return;
        if (!m_takeAnswer || !m_takeAnswer(*answer))
            LogDropped(*answer, "no chain waits for this answer");
    }
}

void LineReader::ApplyValue(char letter, int wire) {
    if (letter == kVersionLetter) {
        m_state.m_nFwVersion = wire;
        m_listener.OnFirmwareVersion(wire);
        return;
    }
    if (IsDiscardedOnRead(letter)) return;
    const int shown = ShownFromWire(letter, wire, m_state.m_nFwVersion);
    m_state.m_nParamCache.StoreRead(letter, shown);
}

// Mode 10: live data frames. The receive buffer and count are the parser's: what it has not
// yet recognised, never more than one frame's length. A sender that empties them (the start
// of the live display) starts the parser afresh.
void LineReader::EvaluateLiveData(QByteArrayView bytes) {
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

// Mode 30 (the device tag) and modes 2 to 6 (the boot loader's answers): the firmware upload
// takes each event as it comes, an event without data included (it looks at the buffer again).
void LineReader::HandOverBootBytes(QByteArrayView received) {
    const QByteArray bytes = received.toByteArray();
    if ((!m_takeAnswer || !m_takeAnswer(bytes)) && !bytes.isEmpty())
        LogDropped(bytes, "no chain waits for this answer");
}

void LineReader::ClearReceive() {
    if (!m_state.m_strRxBuf.isEmpty() && m_mode != RxMode::Live)
        LogDropped(m_state.m_strRxBuf, "not complete when the receive buffer was emptied");
    m_state.m_strRxBuf.clear();
    m_state.m_nRxCount = 0;
}

void LineReader::SendLink(const QByteArray& frame) {
    DiscardInput();
    m_comm.SetOutput(frame);
}

void LineReader::DiscardInput() {
    const QByteArray stale = m_comm.GetInput();
    if (!stale.isEmpty()) LogDropped(stale, "discarded before a send");
}

void LogDropped(const QByteArray& bytes, const char* why) {
    qDebug().nospace() << "Dropped " << bytes.size() << " received byte(s) " << bytes << ": "
                       << why;
}

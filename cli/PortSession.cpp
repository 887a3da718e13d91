#include "PortSession.h"

#include <QEventLoop>
#include <algorithm>

#include "CommError.h"
#include "ParamTable.h"
#include "PrintableBytes.h"
#include "QueryReads.h"
#include "WireTap.h"

namespace {

std::unique_ptr<ICommBackend> Tapped(std::unique_ptr<ICommBackend> backend, WireTap** tap) {
    auto tapped = std::make_unique<WireTap>(std::move(backend));
    *tap = tapped.get();
    return tapped;
}

}  // namespace

PortSession::PortSession(std::unique_ptr<ICommBackend> backend, int portNumber,
                         std::chrono::milliseconds timeout, IClock& clock)
    : m_clock(clock),
      m_session(Tapped(std::move(backend), &m_tap), m_clock, *this),
      m_nPortNumber(portNumber),
      m_timeout(timeout) {
    m_tap->onWritten = [this](const QByteArray& frame) {
        m_lastFrame = frame;
        m_timer.Start(m_timeout);
    };
    m_timer.onExpired = [this] { OnSilence(); };
    m_session.WhenBytesArrive(this, [this] { HandleComm(); });
    m_session.WhenLineLost(this, [this](const QString& reason) { Finish(End::LineLost, reason); });
}

PortSession::~PortSession() { m_tap->onWritten = nullptr; }

void PortSession::Open() {
    m_session.ChoosePort(m_nPortNumber);
    m_session.OpenPort();
    m_session.PrepareLine();
}

PortSession::End PortSession::ReadBack() {
    return WaitForEnd(Chain::ReadBack, [this] { m_session.ReadBack(); });
}

PortSession::End PortSession::ReadChosen(const QByteArray& letters) {
    return WaitForEnd(Chain::ChosenRead, [&] { m_session.ReadChosen(letters); });
}

PortSession::End PortSession::SetAwaitingEcho(char letter, int shown) {
    m_otherValues.erase(letter);
    return WaitForEnd(Chain::AwaitedEcho, [&] { m_session.SetAwaitingEcho(letter, shown); });
}

PortSession::End PortSession::ClearLinkedRow(char letter, int mask, int& sent) {
    std::optional<std::pair<char, int>> linked;
    const End end = WaitForEnd(Chain::AwaitedEcho, [&] {
        linked = m_session.ClearLinkedRowAwaitingEcho(letter, mask);
        if (!linked) m_bAwaitedEndCame = true;
    });
    if (linked) {
        m_otherValues.erase(linked->first);
        sent = linked->second;
    }
    return end;
}

PortSession::End PortSession::LoadReferenceSet(int set) {
    return RunThenReadBack([this, set] { m_session.LoadReferenceSet(set); });
}

PortSession::End PortSession::RunThenReadBack(const std::function<void()>& start,
                                              const std::function<bool()>& stopped) {
    return WaitForEnd(Chain::ReadBack, start, stopped);
}

PortSession::End PortSession::WaitForEnd(Chain chain, const std::function<void()>& start,
                                         const std::function<bool()>& stopped) {
    m_awaitedEnd = chain;
    m_bAwaitedEndCame = false;
    const End end =
        Run(start, [this, &stopped] { return m_bAwaitedEndCame || (stopped && stopped()); });
    m_awaitedEnd.reset();
    return end;
}

PortSession::End PortSession::Run(const std::function<void()>& start,
                                  const std::function<bool()>& done) {
    if (m_bInterrupted) return End::Interrupted;
    try {
        start();
    } catch (const CommError& error) {
        if (m_bInterrupted) return End::Interrupted;
        m_reason = error.Text();
        return End::Failed;
    }
    // A frame of `start` held back by an interruption (its sender may have taken the refusal).
    if (m_bInterrupted) return End::Interrupted;
    return Wait(done);
}

PortSession::End PortSession::Wait(const std::function<bool()>& done) {
    if (done()) {
        m_timer.Stop();
        return End::Done;
    }
    QEventLoop loop;
    m_loop = &loop;
    m_done = done;
    m_end = End::Done;
    m_bEnding = false;
    m_reason.clear();
    if (!m_timer.IsActive()) m_timer.Start(m_timeout);
    loop.exec();
    m_loop = nullptr;
    m_done = nullptr;
    m_timer.Stop();
    return m_end;
}

// The first end of a wait is the one reported: a reply that comes after the time-out has
// ended the wait does not make it a success.
void PortSession::Finish(End end, const QString& reason) {
    if (!m_loop || m_bEnding) return;
    m_bEnding = true;
    m_end = end;
    m_reason = reason;
    m_loop->quit();
}

// An answer that came while the program was busy is taken before the silence counts; if it
// was awaited, the wait is done or a new frame has restarted the time-out.
void PortSession::OnSilence() {
    try {
        m_session.TakeWaitingAnswers();
    } catch (const CommError& error) {
        Finish(End::Failed, error.Text());
        return;
    }
    CheckDone();
    if (m_timer.IsActive() || m_timer.RestartIfLate(m_timeout)) return;
    // A chain, a read-back or an upload that ends by its own time-out says how it ended, in
    // its own words; the wait does not end before it.
    if (m_session.AwaitsWithOwnTimeout()) {
        m_timer.Start(m_timeout);
        return;
    }
    Finish(End::TimedOut);
}

void PortSession::HandleComm() {
    try {
        m_session.OnComm();
    } catch (const CommError& error) {
        Finish(End::Failed, error.Text());
        return;
    }
    CheckDone();
}

void PortSession::CheckDone() {
    if (m_done && m_done()) Finish(End::Done);
}

void PortSession::Heard() {
    if (m_loop) m_timer.Start(m_timeout);
}

void PortSession::Interrupt() {
    m_bInterrupted = true;
    Finish(End::Interrupted);
}

void PortSession::OnQueryReply(char /*letter*/, int /*wire*/) {
    ++m_nReplies;
    if (onProgress) onProgress();
}

void PortSession::OnBulkWriteLinkSent(char letter) {
    if (onBulkWriteLinkSent) onBulkWriteLinkSent(letter);
}

void PortSession::OnChainEnded(const ChainEnd& end) {
    if (end.chain == m_awaitedEnd && LastAnswerCame(end)) m_bAwaitedEndCame = true;
    if (onChainEnded) onChainEnded(end);
    // Unless the command has taken the end as its own, the wait ends as the chain did; an
    // upload says how it ended in its outcome.
    if (end.result != ChainResult::NoAnswer || end.upload) return;
    if (IsQueryRead(end.chain))
        return Finish(End::TimedOut,
                      QStringLiteral("no answer to \"?%1\" within %2 ms, asked twice")
                          .arg(QLatin1Char(end.letter))
                          .arg(TimedQueryRead::kReplyTimeout.count()));
    const std::chrono::milliseconds timeout = end.chain == Chain::Restore
                                                  ? CControllerSession::kRestoreEchoTimeout
                                                  : CControllerSession::kSpecialEchoTimeout;
    Finish(End::TimedOut, NoAnswerWithin(m_lastFrame, timeout));
}

QString PortSession::NoAnswerWithin(const QByteArray& frame, std::chrono::milliseconds timeout) {
    return QStringLiteral("no answer to %1 within %2 ms")
        .arg(FrameInMessage(frame))
        .arg(timeout.count());
}

void PortSession::OnLiveFrame(const LiveFrame& frame) {
    if (onLiveFrame) onLiveFrame(frame);
}

std::optional<int> PortSession::EchoedOtherValue(char letter) const {
    const auto found = m_otherValues.find(letter);
    if (found == m_otherValues.end()) return std::nullopt;
    return found->second;
}

std::optional<int> PortSession::ValueOf(char letter) const {
    const std::optional<int> wire = m_session.Record().WireOf(letter);
    if (!wire || IsDiscardedOnRead(letter)) return wire;
    return ShownFromWire(letter, *wire, m_session.FirmwareVersion());
}

QString PortSession::PortName() const {
    return QStringLiteral("COM%1 (%2)").arg(m_nPortNumber).arg(m_session.DeviceOf(m_nPortNumber));
}

QString PortSession::FrameInMessage(const QByteArray& frame) {
    if (std::any_of(frame.begin(), frame.end(), [](char c) { return quint8(c) >= 0x80; }))
        return QStringLiteral("the firmware packet");
    QString text = PrintableBytes(frame);
    if (text.endsWith(QLatin1String("\\r"))) text.chop(2);
    return QStringLiteral("\"%1\"").arg(text);
}

QString PortSession::Describe(End end) const {
    switch (end) {
        case End::Done:
            return {};
        case End::TimedOut:
            if (!m_reason.isEmpty())
                return QStringLiteral("%1: %2; check that the controller is connected and powered")
                    .arg(PortName(), m_reason);
            return QStringLiteral(
                       "%1: %2; check that the controller is connected and powered, or give "
                       "a longer --timeout")
                .arg(PortName(), NoAnswerWithin(m_lastFrame, m_timeout));
        case End::LineLost:
            return QStringLiteral("%1: the line was lost (%2); check the cable and the adapter")
                .arg(PortName(), m_reason);
        case End::Failed:
            return m_reason;
        case End::Interrupted:
            return QStringLiteral("%1: interrupted").arg(PortName());
    }
    return {};
}

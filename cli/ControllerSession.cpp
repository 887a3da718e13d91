#include "ControllerSession.h"

#include <QEventLoop>

#include "CommError.h"
#include "ControllerLine.h"
#include "ParamTable.h"
#include "PrintableBytes.h"
#include "WireTap.h"

namespace {

std::unique_ptr<ICommBackend> Tapped(std::unique_ptr<ICommBackend> backend, WireTap** tap) {
    auto tapped = std::make_unique<WireTap>(std::move(backend));
    *tap = tapped.get();
    return tapped;
}

}  // namespace

ControllerSession::ControllerSession(std::unique_ptr<ICommBackend> backend, int portNumber,
                                     std::chrono::milliseconds timeout)
    : m_comm(Tapped(std::move(backend), &m_tap)),
      m_dispatcher(m_state, m_comm, m_clock, *this),
      m_nPortNumber(portNumber),
      m_timeout(timeout) {
    m_tap->onWritten = [this](const QByteArray& frame) {
        m_lastFrame = frame;
        m_timer.Start(m_timeout);
    };
    m_timer.onExpired = [this] { Finish(End::TimedOut); };
    connect(&m_comm, &CMSComm::OnComm, this, &ControllerSession::HandleComm);
    connect(&m_comm, &CMSComm::LineLost, this,
            [this](const QString& reason) { Finish(End::LineLost, reason); });
}

ControllerSession::~ControllerSession() { m_tap->onWritten = nullptr; }

void ControllerSession::Open() {
    m_comm.SetInBufferSize(kControllerPortBuffer);
    m_comm.SetOutBufferSize(kControllerPortBuffer);
    m_comm.SetCommPort(static_cast<short>(m_nPortNumber));
    m_comm.SetPortOpen(true);
    ApplyControllerLineSettings(m_comm);
    m_comm.GetInput();  // whatever was waiting is not an answer to us
    m_comm.SetHandshaking(CMSComm::comHandshakeNone);
}

ControllerSession::End ControllerSession::ReadBack() {
    m_bReadBackFinished = false;
    return Run([this] { m_dispatcher.StartReadBack(); }, [this] { return m_bReadBackFinished; });
}

ControllerSession::End ControllerSession::ReadChosen(const QByteArray& letters) {
    m_bChosenReadFinished = false;
    return Run([&] { m_dispatcher.StartChosenRead(letters); },
               [this] { return m_bChosenReadFinished; });
}

ControllerSession::End ControllerSession::SetAwaitingEcho(char letter, int wire) {
    m_cEchoed = 0;
    return Run([&] { m_dispatcher.SendAwaitingEcho(letter, wire); },
               [this, letter] { return m_cEchoed == letter; });
}

ControllerSession::End ControllerSession::LoadReferenceSet(int set) {
    return RunThenReadBack([this, set] { m_dispatcher.StartReferenceSet(set); });
}

ControllerSession::End ControllerSession::RunThenReadBack(const std::function<void()>& start,
                                                          const std::function<bool()>& stopped) {
    m_bReadBackFinished = false;
    return Run(start, [this, &stopped] { return m_bReadBackFinished || (stopped && stopped()); });
}

ControllerSession::End ControllerSession::Run(const std::function<void()>& start,
                                              const std::function<bool()>& done) {
    if (m_bInterrupted) return End::Interrupted;
    try {
        start();
    } catch (const CommError& error) {
        m_reason = error.Text();
        return End::Failed;
    }
    return Wait(done);
}

ControllerSession::End ControllerSession::Wait(const std::function<bool()>& done) {
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
void ControllerSession::Finish(End end, const QString& reason) {
    if (!m_loop || m_bEnding) return;
    m_bEnding = true;
    m_end = end;
    m_reason = reason;
    m_loop->quit();
}

void ControllerSession::HandleComm() {
    try {
        m_dispatcher.OnComm();
    } catch (const CommError& error) {
        Finish(End::Failed, error.Text());
        return;
    }
    CheckDone();
}

void ControllerSession::CheckDone() {
    if (m_done && m_done()) Finish(End::Done);
}

void ControllerSession::Heard() {
    if (m_loop) m_timer.Start(m_timeout);
}

void ControllerSession::Interrupt() {
    m_bInterrupted = true;
    Finish(End::Interrupted);
}

void ControllerSession::OnValueRead(char letter, int shown) { m_values[letter] = shown; }

void ControllerSession::OnFirmwareVersion(int version) { m_nVersion = version; }

void ControllerSession::OnQueryReply(char letter, int wire) {
    if (IsDiscardedOnRead(letter)) m_values[letter] = wire;
    m_record.OnQueryReply(letter, wire);
    ++m_nReplies;
    if (onProgress) onProgress();
}

void ControllerSession::OnBulkWriteLinkSent(char letter) {
    if (onBulkWriteLinkSent) onBulkWriteLinkSent(letter);
}

void ControllerSession::OnBulkWriteFinished() {
    if (onBulkWriteFinished) onBulkWriteFinished();
}

void ControllerSession::OnLiveFrame(const LiveFrame& frame) {
    if (onLiveFrame) onLiveFrame(frame);
}

std::optional<int> ControllerSession::ValueOf(char letter) const {
    const auto found = m_values.find(letter);
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

QString ControllerSession::PortName() const {
    return QStringLiteral("COM%1 (%2)").arg(m_nPortNumber).arg(m_comm.DeviceOf(m_nPortNumber));
}

QString ControllerSession::Describe(End end) const {
    QString frame = PrintableBytes(m_lastFrame);
    if (frame.endsWith(QLatin1String("\\r"))) frame.chop(2);
    switch (end) {
        case End::Done:
            return {};
        case End::TimedOut:
            return QStringLiteral(
                       "%1: no answer to \"%2\" within %3 ms; check that the "
                       "controller is connected and powered, or give a longer "
                       "--timeout")
                .arg(PortName(), frame)
                .arg(m_timeout.count());
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

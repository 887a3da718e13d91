#include "CMSComm.h"

#include <QStringList>
#include <utility>

#include "CommError.h"

namespace {

LineSettings ParseSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    bool ok = parts.size() == 4;
    LineSettings s;
    if (ok) {
        bool b1 = false, b2 = false, b3 = false;
        s.baud = parts[0].trimmed().toInt(&b1);
        const QString parity = parts[1].trimmed().toLower();
        s.dataBits = parts[2].trimmed().toInt(&b2);
        s.stopBits = parts[3].trimmed().toInt(&b3);
        ok = b1 && b2 && b3 && parity.size() == 1 && QStringLiteral("neoms").contains(parity) &&
             s.baud > 0 && s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2);
        if (ok) s.parity = parity.at(0).toLatin1();
    }
    if (!ok) throw CommError(QStringLiteral("Invalid port settings \"%1\"").arg(text));
    return s;
}

}  // namespace

CMSComm::CMSComm(std::unique_ptr<ICommBackend> backend, QObject* parent)
    : QObject(parent), m_backend(std::move(backend)) {
    m_backend->onBytesArrived = [this] { BytesArrived(); };
    m_backend->onLineLost = [this](const QString& reason) { LostLine(reason); };
}

CMSComm::~CMSComm() {
    m_backend->onBytesArrived = nullptr;
    m_backend->onLineLost = nullptr;
    if (m_backend->IsOpen()) m_backend->Close();
}

void CMSComm::SetCommPort(short port) {
    if (GetPortOpen()) throw CommError(QStringLiteral("Port already open"));
    if (port < 1) throw CommError(QStringLiteral("Invalid port number %1").arg(port));
    m_nCommPort = port;
}

void CMSComm::SetSettings(const QString& settings) {
    ParseSettings(settings);
    m_strSettings = settings;
    if (GetPortOpen()) ApplySettings();
}

void CMSComm::SetPortOpen(bool open) {
    if (open == GetPortOpen()) {
        if (open) throw CommError(QStringLiteral("Port already open"));
        return;
    }
    if (!open) {
        m_backend->Close();
        m_pending.clear();
        return;
    }
    m_backend->Open(m_nCommPort);
    m_pending.clear();
    ApplySettings();
    m_backend->SetHardwareHandshake(m_nHandshaking == comHandshakeRtsCts);
}

bool CMSComm::GetPortOpen() const { return m_backend->IsOpen(); }

void CMSComm::SetHandshaking(long handshaking) {
    m_nHandshaking = handshaking;
    if (GetPortOpen()) m_backend->SetHardwareHandshake(handshaking == comHandshakeRtsCts);
}

void CMSComm::SetOutput(const QByteArray& bytes) {
    RequireOpen("Output");
    m_backend->Write(bytes);
}

QByteArray CMSComm::GetInput() {
    RequireOpen("Input");
    m_pending += m_backend->ReadAll();
    if (m_nInputLen <= 0 || m_pending.size() <= m_nInputLen) return std::exchange(m_pending, {});
    QByteArray head = m_pending.left(m_nInputLen);
    m_pending.remove(0, m_nInputLen);
    return head;
}

QString CMSComm::DeviceOf(int port) const { return m_backend->DeviceOf(port); }

void CMSComm::RequireOpen(const char* operation) const {
    if (!GetPortOpen())
        throw CommError(QStringLiteral("%1: operation valid only when the port is open (COM%2)")
                            .arg(QLatin1String(operation))
                            .arg(m_nCommPort));
}

void CMSComm::ApplySettings() { m_backend->Configure(ParseSettings(m_strSettings)); }

void CMSComm::BytesArrived() {
    if (m_nRThreshold <= 0) return;
    m_nCommEvent = comEvReceive;
    emit OnComm();
}

void CMSComm::LostLine(const QString& reason) {
    m_pending.clear();
    emit LineLost(reason);
}

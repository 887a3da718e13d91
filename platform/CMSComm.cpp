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
             s.baud > 0 && s.dataBits >= 5 && s.dataBits <= 8 &&
             (s.stopBits == 1 || s.stopBits == 2);
        if (ok) s.parity = parity.at(0).toLatin1();
    }
    if (!ok)
        throw CommError(QStringLiteral("Invalid port settings \"%1\": expected baud,parity,data "
                                       "bits,stop bits such as 115200,n,8,1")
                            .arg(text),
                        QStringLiteral("串口参数“%1”无效：应为 波特率,校验,数据位,停止位，"
                                       "例如 115200,n,8,1")
                            .arg(text));
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

// Any number is taken; one that leads to no device fails when the port is opened, where the
// caller catches it and shows the port as not opened.
void CMSComm::SetCommPort(short port) {
    if (GetPortOpen())
        throw CommError(QStringLiteral("COM%1 is open: close it before choosing another port")
                            .arg(m_nCommPort),
                        QStringLiteral("COM%1 已打开：请先关闭它再选择其他串口").arg(m_nCommPort));
    m_nCommPort = port;
}

// A text the line refuses is not taken: the line goes back to the settings it had.
void CMSComm::SetSettings(const QString& settings) {
    const LineSettings parsed = ParseSettings(settings);
    if (GetPortOpen()) {
        try {
            m_backend->Configure(parsed);
        } catch (const CommError&) {
            RestoreSettings();
            throw;
        }
    }
    m_strSettings = settings;
}

void CMSComm::SetPortOpen(bool open) {
    if (open == GetPortOpen()) {
        if (open)
            throw CommError(QStringLiteral("COM%1 is already open").arg(m_nCommPort),
                            QStringLiteral("COM%1 已经打开").arg(m_nCommPort));
        return;
    }
    m_pending.clear();
    if (!open) {
        m_backend->Close();
        return;
    }
    m_backend->Open(m_nCommPort);
    // An open port runs as the properties say, or it is not open.
    try {
        ApplySettings();
        m_backend->SetHardwareHandshake(m_nHandshaking == comHandshakeRtsCts);
    } catch (const CommError&) {
        m_backend->Close();
        throw;
    }
}

bool CMSComm::GetPortOpen() const { return m_backend->IsOpen(); }

void CMSComm::SetHandshaking(long handshaking) {
    if (GetPortOpen()) m_backend->SetHardwareHandshake(handshaking == comHandshakeRtsCts);
    m_nHandshaking = handshaking;
}

void CMSComm::SetOutput(const QByteArray& bytes) {
    RequireOpen("nothing can be sent", "无法发送数据");
    m_backend->Write(bytes);
}

QByteArray CMSComm::GetInput() {
    RequireOpen("nothing can be read", "无法读取数据");
    m_pending += m_backend->ReadAll();
    if (m_nInputLen <= 0 || m_pending.size() <= m_nInputLen) return std::exchange(m_pending, {});
    QByteArray head = m_pending.left(m_nInputLen);
    m_pending.remove(0, m_nInputLen);
    return head;
}

QString CMSComm::DeviceOf(int port) const { return m_backend->DeviceOf(port); }

void CMSComm::RequireOpen(const char* consequence, const char* chineseConsequence) const {
    if (!GetPortOpen())
        throw CommError(QStringLiteral("COM%1 is not open: %2")
                            .arg(m_nCommPort)
                            .arg(QLatin1String(consequence)),
                        QStringLiteral("COM%1 未打开：%2")
                            .arg(m_nCommPort)
                            .arg(QString::fromUtf8(chineseConsequence)));
}

void CMSComm::ApplySettings() { m_backend->Configure(ParseSettings(m_strSettings)); }

void CMSComm::RestoreSettings() {
    try {
        ApplySettings();
    } catch (const CommError&) {
        // The line refuses its earlier settings too; the caller reports the first refusal.
    }
}

void CMSComm::BytesArrived() {
    if (m_nRThreshold <= 0) return;
    m_nCommEvent = comEvReceive;
    emit OnComm();
}

void CMSComm::LostLine(const QString& reason) {
    m_pending.clear();
    emit LineLost(reason);
}

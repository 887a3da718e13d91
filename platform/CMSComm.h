#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "ICommBackend.h"

// The serial communications control: the property model the rest of the program relies on,
// over a backend that is a real port, an in-memory line or the simulated controller.
// Operations that cannot be carried out throw CommError.
class CMSComm : public QObject {
    Q_OBJECT

public:
    static constexpr short comEvReceive = 2;
    static constexpr long comInputModeText = 0;
    static constexpr long comInputModeBinary = 1;
    static constexpr long comHandshakeNone = 0;
    static constexpr long comHandshakeRtsCts = 2;

    explicit CMSComm(std::unique_ptr<ICommBackend> backend, QObject* parent = nullptr);
    ~CMSComm() override;

    void SetCommPort(short port);
    short GetCommPort() const { return m_nCommPort; }
    // "baud,parity,data,stop", e.g. "115200,n,8,1"; applied now when open, else at open.
    // Throws for a text that is no such setting, or one the open port refuses.
    void SetSettings(const QString& settings);
    QString GetSettings() const { return m_strSettings; }
    void SetPortOpen(bool open);
    bool GetPortOpen() const;
    void SetInBufferSize(short size) { m_nInBufferSize = size; }
    void SetOutBufferSize(short size) { m_nOutBufferSize = size; }
    void SetInputMode(long mode) { m_nInputMode = mode; }
    long GetInputMode() const { return m_nInputMode; }
    // 0: no receive events; n >= 1: an event whenever bytes arrive.
    void SetRThreshold(short threshold) { m_nRThreshold = threshold; }
    // 0: Input returns everything waiting; n: at most n bytes.
    void SetInputLen(short length) { m_nInputLen = length; }
    void SetHandshaking(long handshaking);

    // Sends exactly these bytes; they have reached the operating system when it returns.
    void SetOutput(const QByteArray& bytes);
    // The bytes received so far (at most InputLen when that is set), removed from the buffer.
    QByteArray GetInput();
    short GetCommEvent() const { return m_nCommEvent; }

    // The device a port number leads to, for the port list's tooltip.
    QString DeviceOf(int port) const;

signals:
    // Raised on the GUI thread when bytes have arrived (CommEvent 2).
    void OnComm();
    // The line went away under an open port (adapter pulled); the port is closed by then.
    void LineLost(const QString& reason);

private:
    void RequireOpen(const char* consequence, const char* chineseConsequence) const;
    void ApplySettings();
    void RestoreSettings();
    void BytesArrived();
    void LostLine(const QString& reason);

    std::unique_ptr<ICommBackend> m_backend;
    QByteArray m_pending;  // bytes read from the backend beyond InputLen
    short m_nCommPort = 1;
    QString m_strSettings = QStringLiteral("9600,n,8,1");
    short m_nInBufferSize = 1024;
    short m_nOutBufferSize = 512;
    long m_nInputMode = comInputModeText;
    short m_nRThreshold = 0;
    short m_nInputLen = 0;
    long m_nHandshaking = comHandshakeNone;
    short m_nCommEvent = 0;
};

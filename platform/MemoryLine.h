#pragma once

#include <QByteArray>
#include <QObject>
#include <chrono>
#include <functional>
#include <set>
#include <vector>

#include "ICommBackend.h"

class IClock;

// An in-memory serial line. The program's side is the backend interface; the far side
// (a test or a scripted controller) feeds bytes in and reads back every frame sent, each with
// the time it left on the injected clock.
class MemoryLine : public QObject, public ICommBackend {
    Q_OBJECT

public:
    struct SentFrame {
        QByteArray bytes;
        std::chrono::nanoseconds at;
    };

    explicit MemoryLine(const IClock& clock, QObject* parent = nullptr);

    // ICommBackend
    void Open(int portNumber) override;
    void Close() override;
    bool IsOpen() const override { return m_bOpen; }
    void Configure(const LineSettings& settings) override { m_settings = settings; }
    void SetHardwareHandshake(bool on) override { m_bHandshake = on; }
    void Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    QString DeviceOf(int portNumber) const override;

    // Far side. Feed queues the arrival notification as a real port would (safe to call from
    // onWritten); Inject delivers it at once, for tests that split replies across events.
    void Feed(const QByteArray& bytes);
    void Inject(const QByteArray& bytes);
    // The adapter is pulled: the port closes and the line-lost notification is queued (and
    // dropped when the port is opened again before it is delivered).
    void HangUp();
    // Ports that refuse to open, as an absent or busy device would.
    void SetUnavailable(int portNumber, bool unavailable = true);

    const std::vector<SentFrame>& Sent() const { return m_sent; }
    QByteArray SentBytes() const;
    void ClearSent() { m_sent.clear(); }
    int OpenedPort() const { return m_nOpenedPort; }
    int OpenCount() const { return m_nOpenCount; }
    const LineSettings& Settings() const { return m_settings; }
    qsizetype PendingBytes() const { return m_rx.size(); }

    // Called after every Write with the bytes written (a scripted controller answers here).
    std::function<void(const QByteArray&)> onWritten;

private:
    const IClock& m_clock;
    bool m_bOpen = false;
    bool m_bHandshake = false;
    int m_nOpenedPort = 0;
    int m_nOpenCount = 0;
    LineSettings m_settings;
    QByteArray m_rx;
    std::vector<SentFrame> m_sent;
    std::set<int> m_unavailable;
};

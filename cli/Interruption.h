#pragma once

#include <QObject>
#include <atomic>

// A request to stop, from SIGINT or SIGTERM: every session ends its wait, the ports are closed
// (their locks go with them) and vexactl leaves by its normal path.
class Interruption : public QObject {
    Q_OBJECT

public:
    bool IsRequested() const { return m_bRequested; }
    void Request();
    // SIGINT, SIGTERM and SIGHUP call Request from the event loop of the calling thread.
    void CatchSignals();

signals:
    void Requested();

private:
    std::atomic<bool> m_bRequested = false;
};

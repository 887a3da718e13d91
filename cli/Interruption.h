#pragma once

#include <QObject>
#include <atomic>

// A request to stop, from SIGINT or SIGTERM: every session ends its wait, the ports are closed
// (their locks go with them) and vexactl leaves by its normal path.
class Interruption : public QObject {
    Q_OBJECT

public:
    Interruption();
    ~Interruption() override;

    bool IsRequested() const { return m_bRequested; }
    // Readable once a stop was requested (and from then on): code that waits outside the
    // event loop (a write to a stdout nobody reads) polls it beside what it waits for.
    int StopDescriptor() const { return m_stopPipe[0]; }
    void Request();
    // SIGINT, SIGTERM and SIGHUP call Request from the event loop of the calling thread.
    void CatchSignals();

signals:
    void Requested();

private:
    std::atomic<bool> m_bRequested = false;
    int m_stopPipe[2] = {-1, -1};
};

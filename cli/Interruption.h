#pragma once

#include <QObject>
#include <atomic>

// A request to stop, from SIGINT, SIGTERM or SIGHUP: every session ends its wait, the ports are closed
// (their locks go with them) and vexactl leaves by its normal path.
class Interruption : public QObject {
    Q_OBJECT

public:
    Interruption();
    ~Interruption() override;

    // Asked for, or a termination signal arrived (from the moment its handler ran, on any
    // thread, before the event loop has seen it).
    bool IsRequested() const;
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
    bool m_bCatching = false;
    int m_stopPipe[2] = {-1, -1};
};

#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as a notification on the event loop, so that the program ends the
// normal way (the port closed, its lock file gone) instead of dying where it stands. The
// handler only notes the signal and writes its number to a pipe; a socket notifier on the
// pipe's other end raises Requested once, at the first signal. The pipe is never emptied: from
// the first signal on its read end stays readable, the stop descriptor. One instance at a
// time; the default handling returns when it is destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // The last termination signal that arrived in this process, 0 before any (true from the
    // moment its handler ran, on any thread, before the event loop has seen it): for code that
    // waits outside the event loop and must stop when its blocking call returns EINTR.
    static int Caught();
    // Readable from the first termination signal on (-1 while no instance catches them): a
    // thread blocked outside the event loop (a write to a full pipe) polls it beside what it
    // waits for and wakes at the signal itself, not only once the event loop has run.
    static int StopDescriptor();

signals:
    // Once, for the last signal that had arrived when the event loop saw the first.
    void Requested(int signalNumber);

private:
    void Notice();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

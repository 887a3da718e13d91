#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as a notification on the event loop, so that the program ends the
// normal way (the port closed, its lock file gone) instead of dying where it stands. The
// handler only writes the signal's number to a pipe; a socket notifier on the pipe's other end
// raises Requested. One instance at a time; the default handling returns when it is destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // The last termination signal that arrived in this process, 0 before any: for code that
    // waits outside the event loop and must stop when its blocking call returns EINTR.
    static int Caught();
    // The handler also writes a byte to fd (a pipe's non-blocking write end; -1: none): a
    // thread blocked outside the event loop (a write to a full pipe, polled beside the pipe's
    // other end) wakes at the signal itself, not only once the event loop has run.
    static void AlsoWake(int fd);

signals:
    void Requested(int signalNumber);

private:
    void Drain();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

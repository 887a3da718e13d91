#include "TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;

void OnSignal(int signalNumber) {
    const int saved = errno;
    g_caught = signalNumber;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Once the pipe is full (a flood of signals) the write fails; it stays readable anyway.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void Handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a call that blocks (opening a FIFO, writing to a full pipe) returns EINTR
    // instead of waiting on; Qt's own calls and the event loop retry by themselves.
    action.sa_flags = 0;
    for (int signalNumber : kSignals) sigaction(signalNumber, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::Notice);
    Handle(OnSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier) return;
    Handle(SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int TerminationSignals::Caught() { return g_caught; }

int TerminationSignals::StopDescriptor() { return g_pipe[0]; }

void TerminationSignals::Notice() {
    // The pipe keeps its bytes, so the notifier would fire on and on: once is enough, the
    // request stands from then on.
    m_notifier->setEnabled(false);
    if (const int last = g_caught; last != 0) emit Requested(last);
}

#else

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
int TerminationSignals::Caught() { return 0; }
int TerminationSignals::StopDescriptor() { return -1; }
void TerminationSignals::Notice() {}

#endif

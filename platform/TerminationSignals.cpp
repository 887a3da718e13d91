#include "TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;
std::atomic<int> g_wake = -1;
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signalNumber) {
    const int saved = errno;
    g_caught = signalNumber;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    if (const int wake = g_wake.load(); wake >= 0) [[maybe_unused]]
        const ssize_t woken = ::write(wake, &byte, 1);
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
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::Drain);
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

void TerminationSignals::AlsoWake(int fd) { g_wake = fd; }

void TerminationSignals::Drain() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) last = byte;
    if (last != 0) emit Requested(last);
}

#else

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
int TerminationSignals::Caught() { return 0; }
void TerminationSignals::AlsoWake(int) {}
void TerminationSignals::Drain() {}

#endif

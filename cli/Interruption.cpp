#include "Interruption.h"

#include "TerminationSignals.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

Interruption::Interruption() {
#ifdef Q_OS_UNIX
    if (::pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) m_stopPipe[0] = m_stopPipe[1] = -1;
#endif
}

Interruption::~Interruption() {
#ifdef Q_OS_UNIX
    if (m_bCatching) TerminationSignals::AlsoWake(-1);
    for (int fd : m_stopPipe)
        if (fd >= 0) ::close(fd);
#endif
}

void Interruption::Request() {
    // The byte stays in the pipe: the descriptor reads as ready for every later wait too.
    if (!m_bRequested.exchange(true) && m_stopPipe[1] >= 0) [[maybe_unused]]
        const auto written = ::write(m_stopPipe[1], "!", 1);
    emit Requested();
}

bool Interruption::IsRequested() const {
    return m_bRequested || (m_bCatching && TerminationSignals::Caught() != 0);
}

void Interruption::CatchSignals() {
    auto* termination = new TerminationSignals(this);
    connect(termination, &TerminationSignals::Requested, this, [this](int) { Request(); });
    // The signal itself makes the stop descriptor readable: a write waiting on a full pipe on
    // this thread wakes without the event loop.
    TerminationSignals::AlsoWake(m_stopPipe[1]);
    m_bCatching = true;
}

// Termination signals: from the first one on the stop descriptor reads as ready (for a write
// that waits outside the event loop), the event loop hears of them once, and nothing stays
// open once they are no longer caught.
#include <gtest/gtest.h>
#include <poll.h>

#include <QDir>
#include <csignal>

#include "EventLoop.h"
#include "TerminationSignals.h"

namespace {

bool Readable(int fd) {
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, 0) == 1 && (wait.revents & POLLIN);
}

qsizetype OpenDescriptors() { return QDir(QStringLiteral("/proc/self/fd")).count(); }

TEST(TerminationSignals, TheStopDescriptorStaysReadableFromTheFirstSignalOnAndIsClosedAfter) {
    const qsizetype before = OpenDescriptors();
    {
        TerminationSignals termination;
        std::vector<int> requested;
        QObject::connect(&termination, &TerminationSignals::Requested,
                         [&requested](int signalNumber) { requested.push_back(signalNumber); });
        const int stop = TerminationSignals::StopDescriptor();
        ASSERT_GE(stop, 0);
        EXPECT_FALSE(Readable(stop));
        std::raise(SIGHUP);
        std::raise(SIGTERM);
        EXPECT_EQ(TerminationSignals::Caught(), SIGTERM);
        for (int turn = 0; turn < 3; ++turn) {
            RunEventsFor(20);
            EXPECT_TRUE(Readable(stop)) << "turn " << turn;
        }
        EXPECT_EQ(requested, std::vector<int>{SIGTERM});
    }
    EXPECT_EQ(TerminationSignals::StopDescriptor(), -1);
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace

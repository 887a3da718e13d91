#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <memory>

#include "CMSComm.h"
#include "ClockTimer.h"
#include "CommError.h"
#include "FakeClock.h"
#include "MemoryLine.h"
#include "SteadyClock.h"

namespace {

using namespace std::chrono_literals;

class CommOnMemoryLine : public ::testing::Test {
protected:
    CommOnMemoryLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        m_comm = std::make_unique<CMSComm>(std::move(line));
        m_comm->SetCommPort(3);
    }

    void Open() {
        m_comm->SetPortOpen(true);
        m_comm->SetSettings(QStringLiteral("115200,n,8,1"));
        m_comm->SetInputMode(CMSComm::comInputModeBinary);
        m_comm->SetRThreshold(1);
        m_comm->SetInputLen(0);
    }

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    std::unique_ptr<CMSComm> m_comm;
};

TEST_F(CommOnMemoryLine, SettingsTextIsCheckedAndAppliedAtOpenAndWhileOpen) {
    m_comm->SetSettings(QStringLiteral("115200,n,8,1"));
    m_comm->SetPortOpen(true);
    EXPECT_EQ(m_line->Settings().baud, 115200);
    EXPECT_EQ(m_line->Settings().parity, 'n');
    EXPECT_EQ(m_line->Settings().dataBits, 8);
    EXPECT_EQ(m_line->Settings().stopBits, 1);

    m_comm->SetSettings(QStringLiteral(" 9600 , E , 7 , 2 "));
    EXPECT_EQ(m_line->Settings().baud, 9600);
    EXPECT_EQ(m_line->Settings().parity, 'e');
    EXPECT_EQ(m_line->Settings().dataBits, 7);
    EXPECT_EQ(m_line->Settings().stopBits, 2);

    for (const char* bad :
         {"", "115200", "115200,n,8", "115200,n,8,1,1", "fast,n,8,1", "0,n,8,1", "115200,x,8,1",
          "115200,no,8,1", "115200,n,9,1", "115200,n,4,1", "115200,n,8,3"}) {
        EXPECT_THROW(m_comm->SetSettings(QString::fromLatin1(bad)), CommError) << bad;
    }
    EXPECT_EQ(m_comm->GetSettings(), QStringLiteral(" 9600 , E , 7 , 2 "));
    EXPECT_EQ(m_line->Settings().baud, 9600);
}

TEST_F(CommOnMemoryLine, PortOpenAndCommPortFollowTheControlsRules) {
    m_comm->SetPortOpen(false);  // closing a closed port is no error
    Open();
    EXPECT_THROW(m_comm->SetPortOpen(true), CommError);
    EXPECT_TRUE(m_comm->GetPortOpen());
    EXPECT_EQ(m_line->OpenCount(), 1);
    EXPECT_THROW(m_comm->SetCommPort(4), CommError);
    EXPECT_EQ(m_comm->GetCommPort(), 3);

    m_comm->SetPortOpen(false);
    m_comm->SetCommPort(4);
    m_line->SetUnavailable(4);
    EXPECT_THROW(m_comm->SetPortOpen(true), CommError);
    EXPECT_FALSE(m_comm->GetPortOpen());

    // A number with no port is taken, and refused when the port is opened.
    m_comm->SetCommPort(0);
    EXPECT_THROW(m_comm->SetPortOpen(true), CommError);
    m_comm->SetCommPort(21);
    EXPECT_THROW(m_comm->SetPortOpen(true), CommError);
    m_comm->SetCommPort(20);
    m_comm->SetPortOpen(true);
    EXPECT_EQ(m_line->OpenedPort(), 20);
}

TEST_F(CommOnMemoryLine, InputHandsOverWaitingBytesInOrderAndInputLenLimitsEachRead) {
    Open();
    m_line->Inject(QByteArrayLiteral("abcde"));
    m_line->Inject(QByteArray("\x00\xff", 2));
    EXPECT_EQ(m_comm->GetInput(), QByteArray("abcde\x00\xff", 7));
    EXPECT_EQ(m_comm->GetInput(), QByteArray());

    m_comm->SetInputLen(2);
    m_line->Inject(QByteArrayLiteral("12345"));
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("12"));
    m_line->Inject(QByteArrayLiteral("67"));
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("34"));
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("56"));
    m_comm->SetInputLen(0);
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("7"));

    // Bytes left from one connection do not reach the next.
    m_comm->SetInputLen(1);
    m_line->Inject(QByteArrayLiteral("old"));
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("o"));
    m_comm->SetPortOpen(false);
    m_comm->SetPortOpen(true);
    EXPECT_EQ(m_comm->GetInput(), QByteArray());
}

TEST_F(CommOnMemoryLine, OnCommComesFromTheEventLoopAndRThresholdZeroSilencesIt) {
    Open();
    QSignalSpy events(m_comm.get(), &CMSComm::OnComm);
    EXPECT_EQ(m_comm->GetCommEvent(), 0);
    m_line->Feed(QByteArrayLiteral("ab"));
    m_line->Feed(QByteArrayLiteral("cd"));
    EXPECT_EQ(events.count(), 0);  // queued, as from a real port
    QCoreApplication::processEvents();
    EXPECT_GE(events.count(), 1);
    EXPECT_EQ(m_comm->GetCommEvent(), CMSComm::comEvReceive);
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("abcd"));

    m_comm->SetRThreshold(0);
    events.clear();
    m_line->Inject(QByteArrayLiteral("x"));
    QCoreApplication::processEvents();
    EXPECT_EQ(events.count(), 0);
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("x"));
}

TEST_F(CommOnMemoryLine, OutputSendsExactlyTheBytesWithTheTimeEachFrameLeft) {
    try {
        m_comm->SetOutput("?V\r");
        ADD_FAILURE() << "Output on a closed port";
    } catch (const CommError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("COM3 is not open: nothing can be sent"));
    }
    EXPECT_THROW(m_comm->GetInput(), CommError);
    EXPECT_TRUE(m_line->Sent().empty());

    Open();
    m_comm->SetOutput("?V\r");
    m_clock.Wait(50ms);
    m_comm->SetOutput(QByteArray("S\x00\x01\r", 4));
    ASSERT_EQ(m_line->Sent().size(), 2u);
    EXPECT_EQ(m_line->SentBytes(), QByteArray("?V\rS\x00\x01\r", 7));
    EXPECT_EQ(m_line->Sent()[1].at - m_line->Sent()[0].at, 50ms);
}

TEST_F(CommOnMemoryLine, HangUpClosesThePortAndIsAnnouncedOnce) {
    Open();
    QSignalSpy lost(m_comm.get(), &CMSComm::LineLost);
    m_line->Inject(QByteArrayLiteral("unread"));
    m_line->HangUp();
    m_line->HangUp();
    EXPECT_FALSE(m_comm->GetPortOpen());
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_THROW(m_comm->SetOutput("?V\r"), CommError);
    m_comm->SetPortOpen(true);
    EXPECT_EQ(m_comm->GetInput(), QByteArray());

    // A loss not yet announced when the port is opened again belongs to the old connection.
    m_line->HangUp();
    m_comm->SetPortOpen(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(CommOnMemoryLine, NotificationsStillQueuedWhenTheControlGoesAwayAreDropped) {
    Open();
    m_line->Feed(QByteArrayLiteral("late"));
    m_line->HangUp();
    m_comm.reset();
    QCoreApplication::processEvents();  // must not touch the destroyed control
}

TEST(SteadyClockTest, WaitSleepsAtLeastTheWholeDuration) {
    SteadyClock clock;
    const auto before = clock.Now();
    clock.Wait(15ms);
    EXPECT_GE(clock.Now() - before, 15ms);
}

// Time-outs run from the event loop, once, never from inside the call that starts them; a
// cancelled one never runs, also when it is cancelled from inside another one.
TEST(SteadyClockTest, TimersRunOnceFromTheLoopAndCancelledOnesNever) {
    SteadyClock clock;
    std::vector<int> ran;
    ClockTimer first(clock);
    ClockTimer second(clock);
    int cancelled = 0;
    first.onExpired = [&] {
        ran.push_back(1);
        clock.CancelTimer(cancelled);
        second.Start(5ms);
    };
    second.onExpired = [&] { ran.push_back(2); };
    first.Start(5ms);
    cancelled = clock.StartTimer(10ms, [&] { ran.push_back(3); });
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(first.IsActive());
    QElapsedTimer elapsed;
    elapsed.start();
    while (ran.size() < 2 && elapsed.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QTest::qWait(30);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_FALSE(first.IsActive());
    EXPECT_FALSE(second.IsActive());
}

TEST(SteadyClockTest, ATimerDestroyedBeforeItRunsNeverCallsBack) {
    SteadyClock clock;
    bool ran = false;
    {
        ClockTimer timer(clock);
        timer.onExpired = [&] { ran = true; };
        timer.Start(1ms);
    }
    QTest::qWait(20);
    EXPECT_FALSE(ran);
}

}  // namespace

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "CommError.h"
#include "ControllerSim.h"
#include "FakeClock.h"
#include "SimBackend.h"
#include "SimDriver.h"

namespace {

using namespace std::chrono_literals;

// At 115200 baud a byte takes 86.8 us on the wire.
constexpr auto kByte = std::chrono::nanoseconds(10'000'000'000LL / 115200);

TEST(SimDriverPacing, ReplyArrivesWholeOnlyAfterQueryAndReplyHaveCrossedTheLine) {
    FakeClock clock;
    ControllerSim sim;
    SimDriver driver(sim, clock);
    driver.SetBaud(115200);
    driver.Receive("?V\r");
    // 3 bytes in, then 10 bytes out: 13 byte times in all.
    clock.Advance(kByte * 13 - 1ns);
    EXPECT_EQ(driver.TakeDue(), "");
    EXPECT_EQ(driver.Pending(), 10);
    clock.Advance(1ns);
    EXPECT_EQ(driver.TakeDue(), "?V\r=1218\r\n");

    // Two replies queue one behind the other.
    driver.Receive("?C\r?A\r");
    clock.Advance(kByte * 16);
    EXPECT_EQ(driver.TakeDue(), "?C\r=0045\r\n");
    clock.Advance(kByte * 10);
    EXPECT_EQ(driver.TakeDue(), "?A\r=0005\r\n");
}

TEST(SimDriverPacing, ByteByByteReleasesWhatTheLineHasCarried) {
    FakeClock clock;
    ControllerSim sim;
    SimDriver driver(sim, clock);
    driver.SetBaud(115200);
    driver.SetByteByByte(true);
    driver.Receive("?V\r");
    clock.Advance(kByte * 7);
    EXPECT_EQ(driver.TakeDue(), "?V\r=");
    clock.Advance(kByte * 6);
    EXPECT_EQ(driver.TakeDue(), "1218\r\n");
}

TEST(SimDriverPacing, UnpacedOutputIsDueAtOnceAndDiscardLosesIt) {
    FakeClock clock;
    ControllerSim sim;
    SimDriver driver(sim, clock);
    driver.Receive("?V\r");
    EXPECT_EQ(driver.TakeDue(), "?V\r=1218\r\n");
    driver.Receive("?V\r");
    driver.Discard();
    EXPECT_EQ(driver.Pending(), 0);
    EXPECT_EQ(driver.TakeDue(), "");
}

// Runs the event loop until `done` or two seconds have passed.
template <typename Done>
bool RunUntil(Done done) {
    QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

void RunFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

class SimBackendTest : public ::testing::Test {
protected:
    void OpenAt115200() {
        backend.Open(3);
        backend.Configure({115200, 'n', 8, 1});
        backend.onBytesArrived = [this] {
            ++notifications;
            received += backend.ReadAll();
        };
    }

    SimBackend backend;
    int notifications = 0;
    QByteArray received;
};

TEST_F(SimBackendTest, RepliesAreAnnouncedFromTheEventLoopNeverInsideWrite) {
    OpenAt115200();
    EXPECT_EQ(backend.DeviceOf(7), QStringLiteral("simulator"));
    backend.Write("?V\r");
    EXPECT_EQ(notifications, 0);
    ASSERT_TRUE(RunUntil([&] { return received.size() >= 10; }));
    EXPECT_EQ(received, "?V\r=1218\r\n");
}

TEST_F(SimBackendTest, ReadAllGivesWhatHasArrivedBeforeTheAnnouncement) {
    OpenAt115200();
    backend.Write("Sj0004\r");
    // A handler that discards pending input before its next frame drops this echo.
    EXPECT_EQ(backend.ReadAll(), "Sj0004\r\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(notifications, 0);
}

TEST_F(SimBackendTest, LiveStreamFlowsWhileOnAndStopsWhenOff) {
    OpenAt115200();
    backend.Driver().SetLiveRate(200);
    backend.Write("S~0001\r");
    ASSERT_TRUE(RunUntil([&] { return received.count("SSDA") >= 2; }));
    EXPECT_TRUE(received.contains("CHDA"));
    EXPECT_TRUE(received.contains("MSDA"));
    backend.Write("S~0000\r");
    RunUntil([&] { return received.endsWith("S~0000\r\n"); });
    EXPECT_FALSE(backend.Controller().LiveOn());
}

TEST_F(SimBackendTest, WrongLineSettingsOrAClosedPortGetNoAnswer) {
    backend.onBytesArrived = [this] { received += backend.ReadAll(); };
    EXPECT_THROW(backend.Write("?V\r"), CommError);
    backend.Open(1);
    backend.Configure({9600, 'n', 8, 1});
    backend.Write("?V\r");
    RunFor(50);
    EXPECT_TRUE(received.isEmpty());
    EXPECT_EQ(backend.ReadAll(), "");
}

}  // namespace

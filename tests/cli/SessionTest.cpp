// A vexactl session on a pseudo-terminal whose far end the test plays: every wait ends, with
// what ended it.
#include <gtest/gtest.h>

#include <QThread>
#include <QTimer>

#include "ComPortTable.h"
#include "CommandLine.h"
#include "MonitorCommand.h"
#include "PortSession.h"
#include "PtyPair.h"
#include "SerialPortBackend.h"
#include "SteadyClock.h"

using namespace std::chrono_literals;

namespace {

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        m_ports.Override(3, m_far.Path());
        m_session = std::make_unique<PortSession>(std::make_unique<SerialPortBackend>(m_ports),
                                                  3, 200ms, m_clock);
        m_session->Open();
    }

    SteadyClock m_clock;
    PtyPair m_far;
    ComPortTable m_ports;
    std::unique_ptr<PortSession> m_session;
};

TEST_F(SessionTest, EveryWaitEndsAndSaysWhy) {
    using End = PortSession::End;
    // No answer: the time-out after the frame sent, which the message names.
    EXPECT_EQ(m_session->ReadChosen("C"), End::TimedOut);
    EXPECT_TRUE(m_session->Describe(End::TimedOut).contains(QLatin1String("\"?C\" within 200 ms")));
    EXPECT_EQ(m_far.ReadFar(), "?C\r");

    // The answer, split across two writes, ends the wait at once.
    QTimer::singleShot(20ms, [this] { m_far.WriteFar("?C\r=00"); });
    QTimer::singleShot(40ms, [this] { m_far.WriteFar("45\r\n"); });
    EXPECT_EQ(m_session->ReadChosen("C"), End::Done);
    EXPECT_EQ(m_session->ValueOf('C'), 45);

    // The reply comes while the program is busy past the time-out: the time-out and the
    // reply are both due, and the reply wins.
    QTimer::singleShot(20ms, [this] {
        m_far.WriteFar("?C\r=0046\r\n");
        QThread::msleep(300);
    });
    EXPECT_EQ(m_session->ReadChosen("C"), End::Done);
    EXPECT_EQ(m_session->ValueOf('C'), 46);
    EXPECT_EQ(m_far.ReadFar(), "?C\r?C\r");  // the two asks above, each once

    // The adapter is pulled while a reply is awaited.
    QTimer::singleShot(20ms, [this] { m_far.CloseMaster(); });
    EXPECT_EQ(m_session->SetAwaitingEcho('C', 50), End::LineLost);
    EXPECT_TRUE(m_session->Describe(End::LineLost).contains(QLatin1String("lost")));
    // Sending on the lost line fails without throwing out of the session.
    EXPECT_EQ(m_session->ReadChosen("C"), End::Failed);
    EXPECT_FALSE(m_session->Describe(End::Failed).isEmpty());

    m_session->Interrupt();
    EXPECT_EQ(m_session->ReadBack(), End::Interrupted);
}

TEST_F(SessionTest, MonitorPrintsNoMoreFramesThanCountedWhenTheyArriveTogether) {
    Invocation invocation;
    invocation.count = 2;
    invocation.csv = true;
    QStringList printed;
    const CommandOutput output{{}, [&](const QString& line) {
                                   printed << line;
                                   return true;
                               }};
    QTimer::singleShot(20ms, [this] {
        m_far.WriteFar(
            "CHDA10001100120013001400150016001700\r\n"
            "MSDA11501250135014501500160017001000\r\n"
            "CHDA20001100120013001400150016001700\r\n");
    });
    EXPECT_EQ(Monitor(*m_session, invocation, output).status, 0);
    ASSERT_EQ(printed.size(), 3) << printed.join('\n').toStdString();
    EXPECT_TRUE(printed[0].startsWith(QLatin1String("time_s,frame,CH1")));
    EXPECT_TRUE(printed[1].contains(QLatin1String(",CHDA,1000,1100,1300,1200,")));
    EXPECT_TRUE(printed[2].contains(QLatin1String(",MSDA,,")));
    EXPECT_EQ(m_far.ReadFar(), "S~0001\rS~0000\r");
}

}  // namespace

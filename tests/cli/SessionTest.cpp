// A vexactl session on a pseudo-terminal whose far end the test plays: every wait ends, with
// what ended it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "ComPortTable.h"
#include "CommandLine.h"
#include "FirmwareImage.h"
#include "FlashCommand.h"
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
        OpenAgain();
    }
    // A session of its own on the same line, as each vexactl run has.
    void OpenAgain() {
        m_session.reset();
        m_session = std::make_unique<PortSession>(std::make_unique<SerialPortBackend>(m_ports), 3,
                                                  200ms, m_clock);
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

// A boot loader that answers the start packet and then stays silent while the program is held
// up past every time-out (a stop signal, a starved machine): the command's wait never ends
// before the upload's own, so the failure is told in the upload's words, never as a binary frame.
TEST_F(SessionTest, AHeldUpFlashIsToldTheUploadsOwnEnd) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fw.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(150, '\x5a'));
    file.close();
    FirmwareImage image;
    ASSERT_EQ(image.Load(file.fileName()), FirmwareCheck::Ok);
    QByteArray heard;
    bool held = false;
    QTimer bootLoader;
    QObject::connect(&bootLoader, &QTimer::timeout, [&] {
        heard += m_far.ReadFar();
        if (heard.startsWith("?W\r")) m_far.WriteFar("?W\r=QZMCBL\r\n");
        if (heard.startsWith("UPQZMC\r")) m_far.WriteFar("RADY\r\n");
        if (heard.size() >= 64 && !held) {
            QByteArray answer(64, '\0');
            answer[4] = 2;  // the start packet answered; then silence
            m_far.WriteFar(answer);
            held = true;
            QTimer::singleShot(50ms, [] { QThread::msleep(4500); });
        }
        if (heard.startsWith("?W\r") || heard.startsWith("UPQZMC\r") || heard.size() >= 64)
            heard.clear();
    });
    bootLoader.start(5ms);
    const CommandResult result = Flash(*m_session, image, [](const QString&) {});
    EXPECT_EQ(result.status, kExitLineFault);
    EXPECT_TRUE(result.error.contains(QLatin1String("did not answer within 3 s (after packet 2")))
        << result.error.toStdString();
    EXPECT_FALSE(result.error.contains(QLatin1String("\\x"))) << result.error.toStdString();
}

// However stdout takes the lines (all of them, not past the header's first frame because the
// disk is full or the reader went away, or a stop asked for while it took nothing), monitoring
// ends with "S~0000"; only a failed write is a fault, named with its reason.
TEST_F(SessionTest, MonitorEndsAsStdoutAllowsAndSaysWhenItFailed) {
    using Kind = StdoutWrite::Kind;
    // `second`: what became of the first frame's line; `says`: what the error names.
    const struct { const char* what; StdoutWrite second; int status, printed; const char* says; }
        cases[] = {
        {"every line taken", {}, 0, 3, ""},
        {"a full disk", {Kind::Failed, "No space left on device"}, 4, 1, "No space left on device"},
        {"the reader gone", {Kind::ReaderGone, "Broken pipe"}, 0, 1, ""},
        {"a stop while stdout took nothing", {Kind::Stopped, {}}, 0, 1, ""},
    };
    for (const auto& c : cases) {
        OpenAgain();
        Invocation invocation;
        invocation.count = 2;
        invocation.csv = true;
        QStringList printed;
        const CommandOutput output{{}, [&](const QString& line) {
                                       if (printed.size() == 1 && c.second.kind != Kind::Written)
                                           return c.second;
                                       printed << line;
                                       return StdoutWrite{};
                                   }};
        QTimer::singleShot(20ms, [this] {
            m_far.WriteFar(
                "CHDA10001100120013001400150016001700\r\n"
                "MSDA11501250135014501500160017001000\r\n"
                "CHDA20001100120013001400150016001700\r\n");
        });
        const CommandResult result = Monitor(*m_session, invocation, output);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_TRUE(result.error.contains(QLatin1String(c.says))) << c.what;
        EXPECT_EQ(result.error.isEmpty(), c.status == 0) << c.what;
        // Frames that arrive together with the last one counted are not printed.
        ASSERT_EQ(printed.size(), c.printed) << printed.join('\n').toStdString();
        EXPECT_TRUE(printed[0].startsWith(QLatin1String("time_s,frame,CH1")));
        if (c.printed == 3) {
            EXPECT_TRUE(printed[1].contains(QLatin1String(",CHDA,1000,1100,1300,1200,")));
            EXPECT_TRUE(printed[2].contains(QLatin1String(",MSDA,,")));
        }
        EXPECT_EQ(m_far.ReadFar(), "S~0001\rS~0000\r") << c.what;
    }
}

}  // namespace

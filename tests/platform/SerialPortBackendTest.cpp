#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>

#include <QSerialPort>
#include <QSignalSpy>
#include <cerrno>
#include <memory>

#include "CMSComm.h"
#include "ComPortTable.h"
#include "CommError.h"
#include "EventLoop.h"
#include "PtyPair.h"
#include "SerialPortBackend.h"

namespace {

constexpr short kPort = 3;

double CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

QString OpenError(CMSComm& comm) {
    try {
        comm.SetPortOpen(true);
    } catch (const CommError& error) {
        return error.Text();
    }
    return {};
}

// COM3 leads to a pseudo-terminal, as "--com 3=/dev/pts/N" does in the program.
class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.IsValid());
        m_table.Override(kPort, m_pty.Path());
        auto backend = std::make_unique<SerialPortBackend>(m_table);
        m_backend = backend.get();
        m_comm = std::make_unique<CMSComm>(std::move(backend));
        m_comm->SetCommPort(kPort);
    }

    // The order of every (re)configuration in the program.
    void OpenAsTheProgramDoes() {
        m_comm->SetInBufferSize(1024);
        m_comm->SetOutBufferSize(1024);
        m_comm->SetPortOpen(true);
        m_comm->SetSettings(QStringLiteral("115200,n,8,1"));
        m_comm->SetInputMode(CMSComm::comInputModeBinary);
        m_comm->SetRThreshold(1);
        m_comm->SetInputLen(0);
        m_comm->GetInput();
        m_comm->SetHandshaking(CMSComm::comHandshakeNone);
    }

    termios SlaveTermios() const {
        termios t{};
        tcgetattr(m_pty.Slave(), &t);
        return t;
    }

    QSerialPort* Port() { return m_backend->findChild<QSerialPort*>(); }

    PtyPair m_pty;
    ComPortTable m_table;
    SerialPortBackend* m_backend = nullptr;
    std::unique_ptr<CMSComm> m_comm;
};

TEST_F(SerialPortTest, OpensThePseudoTerminalWithTheSettingsGiven) {
    OpenAsTheProgramDoes();
    ASSERT_TRUE(m_comm->GetPortOpen());
    EXPECT_FALSE(m_backend->LowLatency());  // refused by a pseudo-terminal; the port works on

    termios t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);

    m_comm->SetSettings(QStringLiteral("9600,n,8,2"));
    m_comm->SetHandshaking(CMSComm::comHandshakeRtsCts);
    t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
}

// A pseudo-terminal always keeps 8 bits without parity. Settings it refuses are an error, and
// the line keeps running as the control says it does.
TEST_F(SerialPortTest, SettingsTheDeviceRefusesAreAnErrorAndTheLineKeepsItsSettings) {
    OpenAsTheProgramDoes();
    try {
        m_comm->SetSettings(QStringLiteral("9600,e,7,1"));
        ADD_FAILURE() << "7 bits with parity on a pseudo-terminal";
    } catch (const CommError& error) {
        EXPECT_TRUE(
            error.Text().contains(QStringLiteral("does not accept the line settings "
                                                 "9600,e,7,1")))
            << error.what();
    }
    EXPECT_EQ(m_comm->GetSettings(), QStringLiteral("115200,n,8,1"));
    termios t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_TRUE(m_comm->GetPortOpen());

    // Opening with such settings leaves the port closed.
    m_comm->SetPortOpen(false);
    m_comm->SetSettings(QStringLiteral("9600,e,8,1"));  // taken while closed: not checked yet
    EXPECT_THROW(m_comm->SetPortOpen(true), CommError);
    EXPECT_FALSE(m_comm->GetPortOpen());
}

TEST_F(SerialPortTest, OutputHasReachedTheFarEndWhenItReturns) {
    OpenAsTheProgramDoes();
    m_comm->SetOutput(QByteArrayLiteral("?V\r"));
    EXPECT_EQ(m_pty.ReadFar(), QByteArrayLiteral("?V\r"));  // no event loop in between

    const QByteArray binary("\x00\xff\x7f\r\n\x80", 6);
    m_comm->SetOutput(binary);
    EXPECT_EQ(m_pty.ReadFar(), binary);
}

// The dispatcher must not run in the middle of a send: bytes that arrived before an Output
// are announced by the event loop afterwards, not from inside the Output call.
TEST_F(SerialPortTest, OutputNeverRaisesOnCommFromInsideTheSend) {
    OpenAsTheProgramDoes();
    int events = 0;
    bool sending = false;
    int eventsWhileSending = 0;
    QObject::connect(m_comm.get(), &CMSComm::OnComm, [&] {
        ++events;
        if (sending) ++eventsWhileSending;
    });
    m_pty.WriteFar("reply");
    usleep(20'000);
    sending = true;
    m_comm->SetOutput(QByteArrayLiteral("S~0000\r"));
    sending = false;
    RunEventsFor(50);
    EXPECT_EQ(eventsWhileSending, 0);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("reply"));
}

// A far end that takes nothing fills the line; Output then fails after its time limit
// instead of hanging, and a full buffer is not mistaken for a pulled adapter.
TEST_F(SerialPortTest, OutputToALineThatTakesNothingTimesOutAndThePortStaysOpen) {
    OpenAsTheProgramDoes();
    m_comm->SetSettings(QStringLiteral("4000000,n,8,1"));  // keeps the time limit short
    QSignalSpy lost(m_comm.get(), &CMSComm::LineLost);
    try {
        m_comm->SetOutput(QByteArray(64 * 1024, 'x'));
        ADD_FAILURE() << "Output returned although the far end reads nothing";
    } catch (const CommError& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("timed out"))) << error.what();
    }
    RunEventsFor(50);
    EXPECT_TRUE(m_comm->GetPortOpen());
    EXPECT_EQ(lost.count(), 0);
}

TEST_F(SerialPortTest, ArrivingBytesRaiseOnCommUnlessRThresholdIsZero) {
    OpenAsTheProgramDoes();
    QSignalSpy events(m_comm.get(), &CMSComm::OnComm);
    m_pty.WriteFar(QByteArray("\x01\x02\x03", 3));
    ASSERT_TRUE(events.wait(2000));
    EXPECT_EQ(m_comm->GetCommEvent(), CMSComm::comEvReceive);
    EXPECT_EQ(m_comm->GetInput(), QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(m_comm->GetInput(), QByteArray());

    m_comm->SetRThreshold(0);
    events.clear();
    m_pty.WriteFar("quiet");
    RunEventsFor(100);
    EXPECT_EQ(events.count(), 0);
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("quiet"));
}

TEST_F(SerialPortTest, InputAlsoTakesBytesTheDriverHoldsBeforeTheEventLoopRuns) {
    OpenAsTheProgramDoes();
    QSignalSpy events(m_comm.get(), &CMSComm::OnComm);
    m_pty.WriteFar("SC0045\r\n");
    usleep(50000);  // the bytes reach the driver; no event is processed meanwhile
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("SC0045\r\n"));
    EXPECT_EQ(events.count(), 0) << "Input must not raise OnComm from inside";
    RunEventsFor(100);
    EXPECT_EQ(events.count(), 0) << "bytes already taken are not announced again";
    EXPECT_TRUE(m_comm->GetPortOpen());
}

TEST_F(SerialPortTest, AbsentDeviceIsReportedAsNotPresent) {
    m_table.Override(kPort, QStringLiteral("/dev/ttyUSB-vexa-absent"));
    const QString text = OpenError(*m_comm);
    EXPECT_TRUE(text.contains(QStringLiteral("COM3 (/dev/ttyUSB-vexa-absent) is not present")))
        << text.toStdString();
    EXPECT_FALSE(m_comm->GetPortOpen());
}

TEST_F(SerialPortTest, PortHeldByAnotherOpenerIsReportedAsInUse) {
    OpenAsTheProgramDoes();
    ComPortTable table;
    table.Override(7, m_pty.Path());
    CMSComm other(std::make_unique<SerialPortBackend>(table));
    other.SetCommPort(7);
    const QString text = OpenError(other);
    EXPECT_TRUE(text.contains(QStringLiteral("is in use by another program")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("dialout")));
    EXPECT_FALSE(other.GetPortOpen());

    // The holder is not disturbed by the refused attempt.
    m_comm->SetOutput(QByteArrayLiteral("?V\r"));
    EXPECT_EQ(m_pty.ReadFar(), QByteArrayLiteral("?V\r"));
}

TEST_F(SerialPortTest, NumbersAndDevicesThatAreNoSerialPortAreRefused) {
    for (short port : {0, 21, -4}) {
        m_comm->SetCommPort(port);
        const QString text = OpenError(*m_comm);
        EXPECT_TRUE(text.contains(QStringLiteral("There is no port COM%1").arg(port)))
            << text.toStdString();
    }
    const std::pair<const char*, const char*> devices[] = {
        {"/dev/null", "COM3 (/dev/null) is not a serial port"},
        {"/tmp", "COM3 (/tmp) cannot be opened (Is a directory)"}};
    for (const auto& [device, expected] : devices) {
        m_table.Override(kPort, QString::fromLatin1(device));
        m_comm->SetCommPort(kPort);
        const QString text = OpenError(*m_comm);
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << text.toStdString();
        EXPECT_FALSE(m_comm->GetPortOpen());
    }
}

// The child drops to an unprivileged user when run as root, since root opens any device.
TEST(SerialPortDeathTest, DeviceTheUserMayNotOpenNamesTheDialoutGroup) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    ASSERT_EQ(fchmod(pty.Slave(), 0), 0);
    ComPortTable table;
    table.Override(kPort, pty.Path());
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
            SerialPortBackend backend(table);
            try {
                backend.Open(kPort);
            } catch (const CommError& error) {
                fprintf(stderr, "%s\n", error.what());
                _exit(error.Text().contains(QStringLiteral("in use")) ? 4 : 0);
            }
            _exit(3);
        },
        ::testing::ExitedWithCode(0), "may not be opened by this user.*dialout group");
}

// The far end is closed under the open port, as when the adapter is pulled. What Qt 6.4 makes
// of the hang-up depends on the errno left over when its read returns 0: EAGAIN or EIO give
// one ResourceError; anything else gives ReadError on every turn of the event loop.
class PulledAdapterTest : public SerialPortTest, public ::testing::WithParamInterface<int> {};

TEST_P(PulledAdapterTest, EndsTheConnectionOnceAndTheCpuStaysIdle) {
    OpenAsTheProgramDoes();
    QSerialPort* port = Port();
    ASSERT_NE(port, nullptr);
    int errors = 0;
    QObject::connect(port, &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError) ++errors;
    });
    QSignalSpy events(m_comm.get(), &CMSComm::OnComm);
    QSignalSpy lost(m_comm.get(), &CMSComm::LineLost);

    m_pty.WriteFar("last");
    ASSERT_TRUE(events.wait(2000));
    EXPECT_EQ(m_comm->GetInput(), QByteArrayLiteral("last"));

    m_pty.CloseMaster();
    errno = GetParam();
    const double cpuBefore = CpuMilliseconds();
    RunEventsFor(300);
    const double cpu = CpuMilliseconds() - cpuBefore;
    RecordProperty("cpu_ms_after_hangup", std::to_string(cpu));

    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(m_comm->GetPortOpen());
    EXPECT_LE(errors, 2);
    EXPECT_EQ(events.count(), 1);
    EXPECT_LT(cpu, 100.0);
    EXPECT_THROW(m_comm->SetOutput("?V\r"), CommError);
}

INSTANTIATE_TEST_SUITE_P(LeftOverErrno, PulledAdapterTest, ::testing::Values(0, EAGAIN, EIO));

// Pulled between two sends: Output fails with the loss, and the loss is announced once, by
// the event loop afterwards, not from inside Output.
TEST_F(SerialPortTest, AdapterPulledBeforeASendFailsTheSendAndIsAnnouncedOnce) {
    OpenAsTheProgramDoes();
    QSignalSpy lost(m_comm.get(), &CMSComm::LineLost);
    m_pty.CloseMaster();
    try {
        m_comm->SetOutput(QByteArrayLiteral("?V\r"));
        ADD_FAILURE() << "Output on a hung-up line";
    } catch (const CommError& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("lost"))) << error.what();
    }
    EXPECT_EQ(lost.count(), 0);
    EXPECT_FALSE(m_comm->GetPortOpen());
    RunEventsFor(100);
    EXPECT_EQ(lost.count(), 1);
}

}  // namespace

// How vexactl names a port in its messages: as the user gave it.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "PortTarget.h"

namespace {

PortTarget Target(const QString& port) {
    Invocation invocation;
    invocation.ports << port;
    invocation.comAssignments << QStringLiteral("4=/dev/vexa-test-absent");
    QString error;
    return ResolvePorts(invocation, &error).front();
}

TEST(PortTarget, MessagesNameThePortAsTheUserGaveIt) {
    struct Case {
        const char* port;
        const char* message;  // as the serial control words it
        const char* expected;
    };
    const Case cases[] = {
        // A path no COM number leads to is opened as COM3; the number means nothing to the user.
        {"/dev/pts/7", "COM3 (/dev/pts/7): write failed (gone)", "/dev/pts/7: write failed (gone)"},
        // A path the COM table knows.
        {"/dev/ttyUSB0", "COM1 (/dev/ttyUSB0) is in use by another program (busy)",
         "/dev/ttyUSB0 is in use by another program (busy)"},
        {"/dev/vexa-test-absent", "COM4 (/dev/vexa-test-absent) is not open",
         "/dev/vexa-test-absent is not open"},
        // A COM number keeps its device beside it.
        {"com4", "COM4 (/dev/vexa-test-absent) is not open",
         "COM4 (/dev/vexa-test-absent) is not open"},
        {"/dev/pts/7", "the line was lost", "the line was lost"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InUserTerms(Target(QString::fromLatin1(c.port)), QString::fromLatin1(c.message)),
                  QString::fromLatin1(c.expected))
            << c.port;
}

TEST(PortTarget, AnAbsentDeviceSaysHowToListPortsAndHowToTryWithoutHardware) {
    struct Case {
        const char* port;
        bool advised;
    };
    const Case cases[] = {
        {"/dev/vexa-no-such-device", true},
        {"COM4", true},        // led to a device that does not exist
        {"/dev/null", false},  // there, but no serial port: the advice would not help
    };
    for (const Case& c : cases) {
        const PortTarget target = Target(QString::fromLatin1(c.port));
        const QString reason =
            QStringLiteral("COM%1 (%2) cannot be opened").arg(target.number).arg(target.Device());
        const QString text = OpenFailure(target, reason);
        EXPECT_TRUE(text.startsWith(target.Description())) << text.toStdString();
        EXPECT_EQ(text.contains(QLatin1String("vexactl ports")), c.advised) << c.port;
        EXPECT_EQ(text.contains(QLatin1String("--demo")), c.advised) << c.port;
    }
}

}  // namespace

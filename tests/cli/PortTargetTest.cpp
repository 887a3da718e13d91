// How vexactl names a port in its messages: as the user gave it.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "PortTarget.h"

namespace {

PortTarget Target(const char* port) {
    Invocation invocation;
    invocation.ports << QString::fromLatin1(port);
    invocation.comAssignments << QStringLiteral("4=/dev/vexa-test-absent");
    QString error;
    return ResolvePorts(invocation, &error).front();
}

TEST(PortTarget, MessagesNameThePortAsGiven) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // A path no COM number leads to is opened as COM3, a number that means nothing here.
        {"/dev/pts/7", "COM3 (/dev/pts/7): write failed", "/dev/pts/7: write failed"},
        {"/dev/ttyUSB0", "COM1 (/dev/ttyUSB0) is in use", "/dev/ttyUSB0 is in use"},
        {"com4", "COM4 (/dev/vexa-test-absent) is not open",
         "COM4 (/dev/vexa-test-absent) is not open"},
    };
    for (const auto& [port, message, expected] : cases)
        EXPECT_EQ(InUserTerms(Target(port), QString::fromLatin1(message)),
                  QString::fromLatin1(expected));
    // How to list ports and try without hardware, only where the device is not there.
    EXPECT_TRUE(OpenFailure(Target("COM4"), "x").contains(QLatin1String("vexactl ports")));
    EXPECT_FALSE(OpenFailure(Target("/dev/null"), "x").contains(QLatin1String("--demo")));
}

}  // namespace

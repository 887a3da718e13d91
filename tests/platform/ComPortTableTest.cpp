#include <gtest/gtest.h>

#include "ComPortTable.h"

namespace {

TEST(ComPortTableTest, NumbersLeadToUsbThenAcmDevices) {
    const ComPortTable table;
    EXPECT_EQ(table.DeviceOf(1), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(table.DeviceOf(3), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(table.DeviceOf(10), QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(table.DeviceOf(11), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(table.DeviceOf(20), QStringLiteral("/dev/ttyACM9"));
    for (int none : {-1, 0, 21, 100}) EXPECT_TRUE(table.DeviceOf(none).isEmpty()) << none;
}

TEST(ComPortTableTest, OptionsOverrideSingleEntries) {
    ComPortTable table;
    EXPECT_EQ(
        table.ApplyOptions({QStringLiteral("3=/dev/pts/7"), QStringLiteral(" 12 = /dev/ttyS0 "),
                            QStringLiteral("3=/dev/pts/8")}),
        QString());
    EXPECT_EQ(table.DeviceOf(3), QStringLiteral("/dev/pts/8"));  // the last one counts
    EXPECT_EQ(table.DeviceOf(12), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(table.DeviceOf(4), QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(ComPortTable::DefaultDeviceOf(3), QStringLiteral("/dev/ttyUSB2"));
}

TEST(ComPortTableTest, BadOptionsAreNamedAndChangeNothing) {
    for (const char* bad : {"3", "=/dev/x", "3=", "3=  ", "0=/dev/x", "21=/dev/x", "x=/dev/x"}) {
        ComPortTable table;
        const QString error =
            table.ApplyOptions({QStringLiteral("5=/dev/pts/1"), QString::fromLatin1(bad)});
        EXPECT_TRUE(error.contains(QString::fromLatin1(bad))) << bad;
        EXPECT_TRUE(error.contains(QStringLiteral("N=DEVICE"))) << bad;
        EXPECT_EQ(table.DeviceOf(5), QStringLiteral("/dev/ttyUSB4")) << bad;
    }
}

}  // namespace

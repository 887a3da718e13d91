#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>

#include "ComPortTable.h"
#include "FakeClock.h"
#include "ScriptedPrompter.h"
#include "SerialPortBackend.h"
#include "VexaDlg.h"

namespace {

// A pseudo-terminal whose slave side the program opens as a serial port.
struct Terminal {
    int master = -1;
    int slave = -1;
    QString device;
    Terminal() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        device = QString::fromLocal8Bit(name);
    }
    ~Terminal() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
    QByteArray ReadAvailable(int waitMs) {
        QByteArray bytes;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < waitMs) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(master, &set);
            timeval tv{0, 20000};
            if (select(master + 1, &set, nullptr, nullptr, &tv) > 0) {
                char buffer[256];
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n > 0) bytes.append(buffer, n);
            }
            QCoreApplication::processEvents();
        }
        return bytes;
    }
};

}  // namespace

TEST(PortTerminalTest, PortHeldByAnotherProgramIsReportedAndStillRecorded) {
    Terminal terminal;
    ASSERT_FALSE(terminal.device.isEmpty());
    QSerialPort holder(terminal.device);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ComPortTable ports;
    ports.Override(3, terminal.device);
    FakeClock clock;
    ScriptedPrompter prompter;
    {
        CVexaDlg dlg(std::make_unique<SerialPortBackend>(ports), clock, prompter);
        EXPECT_FALSE(dlg.Comm().GetPortOpen());
        EXPECT_EQ(dlg.m_strStatus, "串口未打开");
        ASSERT_EQ(prompter.Shown().size(), 1u);
        EXPECT_EQ(prompter.Shown()[0].icon, PromptIcon::Stop);
        EXPECT_TRUE(prompter.Shown()[0].text.contains("in use"))
            << prompter.Shown()[0].text.toStdString();
    }
    QFile file(QStringLiteral("qzmcconfig.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("3\0", 2));
    QDir::setCurrent(previous);
}

TEST(PortTerminalTest, MainWindowOpensAPseudoTerminalAndAsksForTheVersion) {
    Terminal terminal;
    ASSERT_FALSE(terminal.device.isEmpty());
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ComPortTable ports;
    ports.Override(3, terminal.device);
    FakeClock clock;
    ScriptedPrompter prompter;
    {
        CVexaDlg dlg(std::make_unique<SerialPortBackend>(ports), clock, prompter);
        EXPECT_TRUE(dlg.Comm().GetPortOpen());
        EXPECT_EQ(terminal.ReadAvailable(300), "?V\r");
        EXPECT_TRUE(prompter.Shown().empty());
    }
    QFile file(QStringLiteral("qzmcconfig.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("3\0", 2));
    QDir::setCurrent(previous);
}

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSerialPort>
#include <QTemporaryDir>

#include "ComPortTable.h"
#include "ControlLookup.h"
#include "FakeClock.h"
#include "ResourceIds.h"
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

// A main window whose COM3 is a pseudo-terminal, started in a fresh current directory.
class PortTerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_terminal.device.isEmpty());
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_ports.Override(3, m_terminal.device);
    }
    void TearDown() override {
        m_dlg.reset();
        QDir::setCurrent(m_previous);
    }
    CVexaDlg& Start() {
        m_dlg = std::make_unique<CVexaDlg>(std::make_unique<SerialPortBackend>(m_ports), m_clock,
                                           m_prompter);
        return *m_dlg;
    }
    static QByteArray PortFile() {
        QFile file(QStringLiteral("qzmcconfig.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Terminal m_terminal;
    QTemporaryDir m_dir;
    QString m_previous;
    ComPortTable m_ports;
    FakeClock m_clock;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CVexaDlg> m_dlg;
};

}  // namespace

TEST_F(PortTerminalTest, PortHeldByAnotherProgramIsReportedAndNotRecorded) {
    QSerialPort holder(m_terminal.device);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    CVexaDlg& dlg = Start();
    EXPECT_EQ(FindControlAs<QLineEdit>(&dlg, IDC_STATUS)->text(), "串口未打开");
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains("正被其他程序使用"))
        << m_prompter.Shown()[0].text.toStdString();
    EXPECT_TRUE(PortFile().isEmpty());
    EXPECT_EQ(m_terminal.ReadAvailable(300), "") << "nothing reached the line";
}

TEST_F(PortTerminalTest, MainWindowOpensAPseudoTerminalAndAsksForTheVersion) {
    CVexaDlg& dlg = Start();
    EXPECT_EQ(m_terminal.ReadAvailable(300), "?V\r");
    EXPECT_EQ(FindControlAs<QLineEdit>(&dlg, IDC_STATUS)->text(), "正在读取参数 0/49…");
    EXPECT_TRUE(m_prompter.Shown().empty());
    EXPECT_EQ(PortFile(), QByteArray("3\0", 2));
}

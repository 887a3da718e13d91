#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <variant>

#include "BasicPage.h"
#include "ComPortTable.h"
#include "ControlLookup.h"
#include "CustomPage.h"
#include "FakeClock.h"
#include "ParameterFileReader.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "ScriptedPrompter.h"
#include "SerialPortBackend.h"
#include "SimLiveStream.h"
#include "SimProcess.h"
#include "SteadyClock.h"
#include "VexaDlg.h"

// The main window on the real serial path (QSerialPort on a pseudo-terminal) against vexa-sim.
namespace {

class LineTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override {
        m_dlg.reset();
        m_sim.reset();
        QDir::setCurrent(m_previousDir);
    }

    // Starts vexa-sim with the given options and a main window whose COM3 leads to it.
    CVexaDlg& Start(const QStringList& simOptions) {
        m_sim = std::make_unique<SimProcess>(simOptions);
        EXPECT_FALSE(m_sim->Device().isEmpty());
        m_ports.Override(3, m_sim->Device());
        m_dlg = std::make_unique<CVexaDlg>(std::make_unique<SerialPortBackend>(m_ports), m_clock,
                                           m_prompter);
        return *m_dlg;
    }

    bool WaitForReadBack(int timeoutMs = 10000) {
        QSignalSpy settled(m_dlg.get(), &CVexaDlg::ReadBackSettled);
        return settled.wait(timeoutMs);
    }

    // Runs the event loop for a while (the window stays responsive).
    static void Pump(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) QTest::qWait(20);
    }

    QString Box(int id) const {
        auto* box = FindControlAs<QLineEdit>(&m_dlg->BasicPage(), id);
        return box ? box->text() : QString();
    }

    QString m_previousDir;
    QTemporaryDir m_dir;
    ComPortTable m_ports;
    SteadyClock m_clock;
    ScriptedPrompter m_prompter;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<CVexaDlg> m_dlg;
};

}  // namespace

TEST_F(LineTest, ReadBackShowsTheControllersValuesAndRefreshReadsThemAgain) {
    CVexaDlg& dlg = Start({QStringLiteral("--set"), QStringLiteral("C=47"), QStringLiteral("--set"),
                           QStringLiteral("E=23")});
    ASSERT_TRUE(WaitForReadBack());
    EXPECT_EQ(Box(IDC_BASIC_EDIT_MAIN_STAB), "47");
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "23");
    EXPECT_EQ(FindControlAs<QLineEdit>(&dlg, IDC_VERSION)->text(), "1.218");
    EXPECT_EQ(m_sim->QueriedLetters(), std::string(kReadBackOrder));

    QTest::mouseClick(FindControl(&dlg, IDC_REFRESH), Qt::LeftButton);
    ASSERT_TRUE(WaitForReadBack());
    EXPECT_EQ(m_sim->QueriedLetters(), std::string(kReadBackOrder) + std::string(kReadBackOrder));
    EXPECT_TRUE(m_prompter.Shown().empty());

    // The window's save writes what was read.
    const QString path = m_dir.filePath(QStringLiteral("saved.txt"));
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    m_prompter.QueueFile(path);
    QTest::mouseClick(FindControl(&dlg, IDC_SAVE_DATA), Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto read = ReadParameterFile(file.readAll());
    ASSERT_TRUE(std::holds_alternative<ParameterValues>(read));
    EXPECT_EQ(std::get<ParameterValues>(read)[3], 47);  // C, main stability
    EXPECT_EQ(std::get<ParameterValues>(read)[5], 23);  // E, dynamic stability
}

TEST_F(LineTest, ZeroReplyIsAskedAgainThreeTimesBeforeTheChainGoesOn) {
    Start({QStringLiteral("--zero"), QStringLiteral("E:3")});
    ASSERT_TRUE(WaitForReadBack());
    const std::string letters = m_sim->QueriedLetters();
    EXPECT_NE(letters.find("DEEEEF"), std::string::npos) << letters;
    EXPECT_EQ(letters.size(), kReadBackOrder.size() + 3);
}

TEST_F(LineTest, DroppedReplyIsAskedOnceMoreThenTheReadBackEndsIncomplete) {
    CVexaDlg& dlg = Start({QStringLiteral("--drop"), QStringLiteral("?E")});
    ASSERT_TRUE(WaitForReadBack(5000));
    const std::string letters = m_sim->QueriedLetters();
    EXPECT_EQ(letters, std::string(kReadBackOrder.substr(0, kReadBackOrder.find('E') + 1)) + "E");
    EXPECT_EQ(FindControlAs<QLineEdit>(&dlg, IDC_STATUS)->text(), "参数读取未完成");
    // The window still answers the operator: a page switch goes out at once.
    QTest::mouseClick(FindControl(&dlg, IDC_PAGE_GPS), Qt::LeftButton);
    EXPECT_EQ(dlg.CurrentPage(), 2);
    Pump(200);
    EXPECT_TRUE(m_prompter.Shown().empty());
}

TEST_F(LineTest, LiveDisplayShowsTheSimulatorsStreamUntilAPageChangeSwitchesItOff) {
    CVexaDlg& dlg = Start({QStringLiteral("--live-rate"), QStringLiteral("20")});
    ASSERT_TRUE(WaitForReadBack());
    QTest::mouseClick(FindControl(&dlg, IDC_PAGE_CUSTOM), Qt::LeftButton);
    QSignalSpy shown(&dlg, &CVexaDlg::LiveFrameShown);
    QTest::mouseClick(FindControl(&dlg.CustomPage(), IDC_DISPLAY_TOGGLE), Qt::LeftButton);
    while (shown.count() < 6 && shown.wait(3000)) {
    }
    ASSERT_GE(shown.count(), 6);

    // The receiver boxes hold one round of the simulator's pattern, channels 3 and 4 in their
    // places although the wire carries them the other way round.
    const auto value = [&](int id) {
        return FindControlAs<QLineEdit>(&dlg.CustomPage(), id)->text().toInt();
    };
    bool oneRound = false;
    for (int round = 0; round < 2000 && !oneRound; ++round) {
        const std::array<int, 8> wire = SimLiveStream::Channels(round);
        oneRound = value(IDC_RECEIVER_CH1) == wire[0] && value(IDC_RECEIVER_CH1 + 1) == wire[1] &&
                   value(IDC_RECEIVER_CH1 + 2) == wire[3] &&
                   value(IDC_RECEIVER_CH1 + 3) == wire[2] && value(IDC_RECEIVER_CH1 + 7) == wire[7];
    }
    EXPECT_TRUE(oneRound);
    EXPECT_GE(value(IDC_OUTPUT_1), 1000);
    EXPECT_TRUE(FindControlAs<QLineEdit>(&dlg.CustomPage(), IDC_MONITOR_LONGITUDE)
                    ->text()
                    .startsWith(QStringLiteral("113.12")));

    QTest::mouseClick(FindControl(&dlg, IDC_PAGE_BASIC), Qt::LeftButton);
    Pump(300);
    const QByteArray log = m_sim->Log();
    const qsizetype on = log.indexOf("rx S~0001");
    EXPECT_NE(on, -1);
    EXPECT_GT(log.indexOf("rx S~0000", on), on);
    EXPECT_TRUE(m_prompter.Shown().empty());
}

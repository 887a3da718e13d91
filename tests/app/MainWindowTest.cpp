#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include "CustomPage.h"
#include "GbkCodec.h"
#include "MainWindowFixture.h"
#include "ParameterNames.h"
#include "ResourceIds.h"
#include "ScriptedController.h"

using namespace std::chrono_literals;

namespace {
const QString kFirmwareHint =
    QStringLiteral("<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!");
}

TEST_F(MainWindowTest, StartsOnBasicPageWithFirstEntriesAndUpgradeDisabled) {
    CVexaDlg& dlg = Start();
    EXPECT_EQ(dlg.CurrentPage(), 0);
    EXPECT_EQ(Control<QComboBox>(IDC_PORT_LIST)->currentText(), "COM3");
    EXPECT_EQ(Control<QComboBox>(IDC_PORT_LIST)->count(), 20);
    EXPECT_EQ(Control<QComboBox>(IDC_FRAME_TYPE)->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(IDC_FRAME_TYPE)->count(), 16);
    EXPECT_EQ(Control<QComboBox>(IDC_ESC_RATE)->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(IDC_ESC_RATE)->count(), 7);
    EXPECT_EQ(Control<QComboBox>(IDC_SERVO_RATE)->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(IDC_SERVO_RATE)->count(), 4);
    EXPECT_EQ(Control<QComboBox>(IDC_RESTORE_LIST)->count(), 5);
    EXPECT_FALSE(Control(IDC_START_UPGRADE)->isEnabled());
    EXPECT_FALSE(Control(IDC_FRAME_EDIT)->isVisible());
    EXPECT_FALSE(Control(IDC_UPLOAD_PROGRESS)->isVisible());
    for (int hidden : {IDC_SENSOR_BATTERY, IDC_SENSOR_RECEIVER, IDC_SENSOR_GYRO, IDC_SENSOR_ACCEL})
        EXPECT_FALSE(Control(hidden)->isVisible()) << hidden;
    EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(), kFirmwareHint);
    EXPECT_EQ(Saved('P'), 1) << "a save before any read-back writes the servo rate's first entry";
    EXPECT_FALSE(dlg.IsEnglish());
    EXPECT_TRUE(dlg.windowTitle().startsWith(QStringLiteral("瑞翎航模调参工具Ｖ1.218")));
    EXPECT_FALSE(dlg.windowIcon().isNull());
}

TEST_F(MainWindowTest, FirstStartCreatesPortFileAndAsksForTheVersionOnCom3) {
    Start();
    EXPECT_EQ(m_line->OpenedPort(), 3);
    EXPECT_EQ(PortFileBytes(), QByteArray("3\0", 2));
    EXPECT_EQ(Sent(), "?V\r");
    EXPECT_EQ(m_line->Settings().baud, 115200);
    EXPECT_EQ(m_line->Settings().parity, 'n');
    EXPECT_EQ(m_line->Settings().dataBits, 8);
    EXPECT_EQ(m_line->Settings().stopBits, 1);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "正在读取参数 0/49…");
    EXPECT_TRUE(m_prompter.Shown().empty());
    // The read-back waits for the version's reply with its full budget: a zero is asked for
    // three more times, the fourth moves on.
    for (int zero = 0; zero < 4; ++zero) m_line->Inject("?V\r=0000\r\n");
    EXPECT_EQ(Sent(), "?V\r?V\r?V\r?V\r?C\r");
}

// The program's start: the window is built without touching the port, shown and painted once,
// and only then opens the port of the port file and asks for the version.
TEST_F(MainWindowTest, WindowBuiltToOpenLaterTouchesThePortOnlyWhenAsked) {
    auto line = std::make_unique<MemoryLine>(m_clock);
    m_line = line.get();
    CVexaDlg::Options options;
    options.openPortAtStart = false;
    m_dlg = std::make_unique<CVexaDlg>(std::move(line), m_clock, m_prompter, options);
    QSignalSpy painted(m_dlg.get(), &CVexaDlg::FirstPainted);
    m_dlg->show();
    EXPECT_TRUE(painted.wait(5000));
    m_dlg->repaint();
    EXPECT_EQ(painted.count(), 1);
    EXPECT_EQ(m_line->OpenCount(), 0);
    EXPECT_TRUE(PortFileBytes().isEmpty());

    m_dlg->OpenPortFromFile();
    EXPECT_EQ(m_line->OpenedPort(), 3);
    EXPECT_EQ(PortFileBytes(), QByteArray("3\0", 2));
    EXPECT_EQ(Sent(), "?V\r");
}

TEST_F(MainWindowTest, ChosenPortIsRecordedAndReopenedAtTheNextStart) {
    Start();
    auto* ports = Control<QComboBox>(IDC_PORT_LIST);
    ports->setCurrentIndex(11);
    emit ports->activated(11);
    EXPECT_EQ(m_line->OpenedPort(), 12);
    EXPECT_EQ(PortFileBytes(), "12");
    EXPECT_EQ(Sent(), "?V\r?V\r");

    m_dlg.reset();
    Start();
    EXPECT_EQ(Control<QComboBox>(IDC_PORT_LIST)->currentText(), "COM12");
    EXPECT_EQ(m_line->OpenedPort(), 12);
}

TEST_F(MainWindowTest, PortFileIsReadByItsLeadingNumberAndNeverTruncated) {
    WriteFile(QStringLiteral("qzmcconfig.ini"), QByteArray("  7\0tail-left-by-someone", 24));
    Start();
    EXPECT_EQ(m_line->OpenedPort(), 7);
    // The two bytes of the port overwrite the start; the rest of the file stays.
    EXPECT_EQ(PortFileBytes(), QByteArray("7\0"
                                          "7\0tail-left-by-someone",
                                          24));
}

TEST_F(MainWindowTest, PortFileWithoutAPortNumberOpensNothingAndKeepsTheFile) {
    for (const QByteArray& content :
         {QByteArray("abc"), QByteArray("0"), QByteArray("21"), QByteArray("-4")}) {
        WriteFile(QStringLiteral("qzmcconfig.ini"), content);
        CVexaDlg& dlg = Start();
        EXPECT_EQ(Control<QComboBox>(IDC_PORT_LIST)->currentIndex(), -1) << content.constData();
        EXPECT_EQ(m_line->OpenCount(), 0);
        EXPECT_TRUE(Sent().isEmpty());
        EXPECT_TRUE(dlg.PortOpenFailed());
        EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
        EXPECT_EQ(PortFileBytes(), content);
        m_dlg.reset();
    }
}

// The port file keeps the last port that opened: a port that does not open is not tried again
// at the next start.
TEST_F(MainWindowTest, PortThatCannotBeOpenedIsReportedAndNotRecorded) {
    CVexaDlg& dlg = Start([](MemoryLine& line) { line.SetUnavailable(5); });
    auto* ports = Control<QComboBox>(IDC_PORT_LIST);
    ports->setCurrentIndex(4);
    emit ports->activated(4);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
    EXPECT_TRUE(dlg.PortOpenFailed());
    EXPECT_EQ(PortFileBytes(), QByteArray("3\0", 2));
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains("COM5"));

    dlg.ToggleLanguage();
    emit ports->activated(4);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "COM Not Opened");
}

TEST_F(MainWindowTest, RefreshAndReselectionReopenThePortAndReadEverythingAgain) {
    CVexaDlg& dlg = Start();
    dlg.Session().SetMotorDirections(0);  // an echo chain has the line
    m_line->Inject("?V\r=12");            // the start of a reply, waiting for its last bytes
    m_line->ClearSent();
    Click(IDC_REFRESH);
    EXPECT_EQ(m_line->OpenCount(), 2);
    EXPECT_EQ(Sent(), "?V\r");
    EXPECT_FALSE(Control(IDC_START_UPGRADE)->isEnabled());
    // What came before the refresh is gone: its last bytes complete no reply, and the
    // read-back's own reply moves it on.
    m_line->Inject("18\r\n");
    EXPECT_EQ(Sent(), "?V\r");
    m_line->Inject("?V\r=1218\r\n");
    EXPECT_EQ(Sent(), "?V\r?C\r");
    EXPECT_EQ(Control<QLineEdit>(IDC_VERSION)->text(), "1.218");

    m_line->ClearSent();
    m_line->Inject("?V\r=12");
    auto* ports = Control<QComboBox>(IDC_PORT_LIST);
    emit ports->activated(ports->currentIndex());
    EXPECT_EQ(m_line->OpenCount(), 3);
    EXPECT_EQ(m_line->OpenedPort(), 3);
    EXPECT_EQ(Sent(), "?V\r");
    m_line->Inject("17\r\n");
    EXPECT_EQ(Sent(), "?V\r");
    m_line->Inject("?V\r=1217\r\n");
    EXPECT_EQ(Sent(), "?V\r?C\r");
    EXPECT_EQ(Control<QLineEdit>(IDC_VERSION)->text(), "1.217");
}

TEST_F(MainWindowTest, CloseAsksInTheCurrentLanguageAndNoKeepsTheWindow) {
    CVexaDlg& dlg = Start();
    m_prompter.QueueAnswer(PromptAnswer::No);
    dlg.close();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].text, "你确定要关闭本程序吗？");
    EXPECT_EQ(m_prompter.Shown()[0].caption, "瑞翎航模提示：");
    EXPECT_EQ(m_prompter.Shown()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Question);
    EXPECT_TRUE(dlg.isVisible());

    dlg.ToggleLanguage();
    m_prompter.QueueAnswer(PromptAnswer::Yes);
    dlg.close();
    EXPECT_EQ(m_prompter.Shown()[1].text, "Are you sure to close the Window？");
    EXPECT_EQ(m_prompter.Shown()[1].caption, "Velmora Mentioned：");
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(MainWindowTest, EnterAndEscapeInTheUpperPanelDoNothing) {
    CVexaDlg& dlg = Start();
    m_line->ClearSent();
    for (int id : {IDC_DECLINATION, IDC_FW_PATH, IDC_PORT_HINT, IDC_REFRESH}) {
        QWidget* control = Control(id);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
        QTest::keyClick(control, Qt::Key_Return);
        QTest::keyClick(control, Qt::Key_Enter);
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(m_prompter.Shown().empty());
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(MainWindowTest, PageButtonsSwitchPagesAndReturnToTheIdleState) {
    CVexaDlg& dlg = Start();
    Control<QLineEdit>(IDC_FW_PATH)->setText("/tmp/firmware.bin");
    Control(IDC_START_UPGRADE)->setEnabled(true);
    m_line->ClearSent();
    const std::pair<int, int> buttons[] = {{IDC_PAGE_CUSTOM, 1},
                                           {IDC_PAGE_GPS, 2},
                                           {IDC_PAGE_GIMBAL, 3},
                                           {IDC_PAGE_VOLTAGE, 4},
                                           {IDC_PAGE_BASIC, 0}};
    for (const auto& [button, page] : buttons) {
        Click(button);
        EXPECT_EQ(dlg.CurrentPage(), page);
        EXPECT_EQ(Control<QTabWidget>(IDC_TAB)->currentIndex(), page);
    }
    EXPECT_EQ(Sent(), QByteArray("S~0000\r").repeated(5));
    EXPECT_FALSE(Control(IDC_START_UPGRADE)->isEnabled());
    EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(), kFirmwareHint);
    EXPECT_TRUE(m_dlg->CustomPage().DisplayStopped());
}

TEST_F(MainWindowTest, TabSelectionRestoresIdleStateExceptOnTheCustomPage) {
    CVexaDlg& dlg = Start();
    m_line->ClearSent();
    auto* tab = Control<QTabWidget>(IDC_TAB);
    tab->setCurrentIndex(1);
    EXPECT_EQ(dlg.CurrentPage(), 1);
    EXPECT_TRUE(Sent().isEmpty());
    tab->setCurrentIndex(2);
    EXPECT_EQ(Sent(), "S~0000\r");
}

TEST_F(MainWindowTest, DeclinationThatIsNotAnIntegerIsReportedAndTheSwitchGoesOn) {
    Start();
    Control<QLineEdit>(IDC_DECLINATION)->setText("4");
    Click(IDC_PAGE_BASIC);  // the window takes the box as it switches pages
    Control<QLineEdit>(IDC_DECLINATION)->setText("east");
    m_line->ClearSent();
    Click(IDC_PAGE_GPS);
    ASSERT_FALSE(m_prompter.Shown().empty());
    EXPECT_EQ(m_prompter.Shown()[0].text, "请键入一个整数。");
    EXPECT_EQ(Control<QLineEdit>(IDC_DECLINATION)->text(), "4");
    EXPECT_EQ(Sent(), "S~0000\r");
}

TEST_F(MainWindowTest, SendOnAClosedPortShowsTheErrorAndTheProgramGoesOn) {
    CVexaDlg& dlg = Start([](MemoryLine& line) { line.SetUnavailable(3); });
    ASSERT_EQ(m_prompter.Shown().size(), 1u);  // start-up could not open COM3
    // A page switch has no stream to stop on a closed port; a setting has to be sent.
    Click(IDC_PAGE_GIMBAL);
    EXPECT_EQ(dlg.CurrentPage(), 3);
    EXPECT_EQ(m_prompter.Shown().size(), 1u);
    Click(IDC_SENSOR_GPS);
    ASSERT_EQ(m_prompter.Shown().size(), 2u);
    EXPECT_EQ(m_prompter.Shown()[1].icon, PromptIcon::Stop);
    EXPECT_TRUE(m_line->Sent().empty());
}

TEST_F(MainWindowTest, PulledAdapterClosesThePortAndSaysSoOnce) {
    Start();
    m_line->HangUp();
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_line->IsOpen());
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
    EXPECT_TRUE(m_prompter.Shown().empty());
}

TEST_F(MainWindowTest, VersionReplyIsShownAsDigitPointThreeDigits) {
    CVexaDlg& dlg = Start();
    dlg.OnFirmwareVersion(1218);
    EXPECT_EQ(Control<QLineEdit>(IDC_VERSION)->text(), "1.218");
    EXPECT_EQ(Control<QLabel>(IDC_VERSION_CAPTION)->text(), "固件版本:V");
    dlg.ToggleLanguage();
    dlg.OnFirmwareVersion(1200);
    EXPECT_EQ(Control<QLineEdit>(IDC_VERSION)->text(), "1.200");
    EXPECT_EQ(Control<QLabel>(IDC_VERSION_CAPTION)->text(), "FW Version:V");
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "Reading parameters 0/49…");
}

TEST(ParameterLabels, AreThirteenGbkBytesEach) {
    const QStringList names = ParameterNames();
    ASSERT_EQ(names.size(), 200);
    for (int slot = 0; slot < 191; ++slot) {
        const auto bytes = gbk::Encode(names[slot]);
        ASSERT_TRUE(bytes.has_value()) << slot;
        EXPECT_EQ(bytes->size(), 13) << slot << " " << names[slot].toStdString();
    }
    for (int slot = 191; slot < 200; ++slot) EXPECT_TRUE(names[slot].isEmpty()) << slot;
    EXPECT_EQ(names[0], "多轴模式 选择");
    EXPECT_EQ(names[55], "自稳  CH5  低");
    EXPECT_EQ(names[174], "自动降落CH8高");
    EXPECT_EQ(names[58], "自稳  CH6  低");
    EXPECT_EQ(names[67], "3D特技 CH5 低");
    EXPECT_EQ(names[189], "6号电机纵坐标");
    EXPECT_EQ(names[190], "本地 磁 偏 角");
}

TEST_F(MainWindowTest, LanguageToggleSwitchesCaptionsTitleAndStatusAndSendsNothing) {
    CVexaDlg& dlg = Start();
    m_line->ClearSent();
    Click(IDC_LANGUAGE);
    EXPECT_TRUE(dlg.IsEnglish());
    EXPECT_EQ(Control<QPushButton>(IDC_LANGUAGE)->text(), "中文");
    EXPECT_TRUE(dlg.windowTitle().startsWith("Pellar Tools V1.218"));
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "Reading parameters 0/49…");
    EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(),
              "<-Please select FW file(*.bin),then click [upgrade]!");
    EXPECT_EQ(FindControlAs<QPushButton>(&m_dlg->CustomPage(), IDC_DISPLAY_TOGGLE)->text(),
              "Data Display");

    Click(IDC_LANGUAGE);
    EXPECT_FALSE(dlg.IsEnglish());
    EXPECT_EQ(Control<QPushButton>(IDC_SERVO_HINT)->text(), "舵机输出模式");
    EXPECT_TRUE(dlg.windowTitle().endsWith("！"));
    EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(), kFirmwareHint);
    EXPECT_TRUE(Sent().isEmpty());

    m_prompter.QueueAnswer(PromptAnswer::No);
    Click(IDC_LANGUAGE);
    dlg.close();
    EXPECT_EQ(m_prompter.Shown().back().text, "Are you sure to close the Window？");
}

// The read-back waits a second for a reply, asks once more, then says it is incomplete.
TEST_F(MainWindowTest, UnansweredReadBackSaysSoInTheStatusLineUntilRefreshed) {
    CVexaDlg& dlg = Start();
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    m_clock.Advance(1s);
    EXPECT_EQ(Sent(), "?V\r?V\r");
    m_clock.Advance(1s);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "参数读取未完成");
    EXPECT_EQ(settled.count(), 1);
    Click(IDC_LANGUAGE);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "Read incomplete");
    EXPECT_TRUE(m_prompter.Shown().empty());

    ScriptedController controller(*m_line);
    Click(IDC_REFRESH);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "Reading parameters 0/49…");
    for (int turn = 0; turn < 1000 && settled.count() < 2; ++turn)
        QCoreApplication::processEvents();
    Click(IDC_LANGUAGE);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口已打开");
}

// The adapter pulled in the middle of the read-back: one status, nothing more is sent, and
// the read-back's time-out ends quietly.
TEST_F(MainWindowTest, LineLostDuringTheReadBackGivesOneStatusAndNothingMore) {
    Start();
    ScriptedController controller(*m_line);
    controller.beforeAnswer = [this](const QByteArray& frame) {
        if (frame != "?E\r") return true;
        m_line->HangUp();
        return false;
    };
    Click(IDC_REFRESH);
    for (int turn = 0; turn < 100; ++turn) QCoreApplication::processEvents();
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
    const QByteArray sent = Sent();
    EXPECT_TRUE(sent.endsWith("?E\r"));

    m_clock.Advance(1s);
    m_clock.Advance(1s);
    EXPECT_EQ(Sent(), sent);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
    EXPECT_TRUE(m_prompter.Shown().empty());
    EXPECT_EQ(m_clock.PendingTimers(), 0u);
    EXPECT_FALSE(m_line->IsOpen());
}

TEST_F(MainWindowTest, PortFileThatCannotBeReadIsReportedOnceAndCom3IsUsed) {
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("qzmcconfig.ini")));
    Start();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].icon, PromptIcon::Warning);
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains(QDir::current().filePath("qzmcconfig.ini")));
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains("Is a directory"));
    EXPECT_EQ(m_line->OpenedPort(), 3);
    EXPECT_EQ(Sent(), "?V\r");

    Click(IDC_REFRESH);
    EXPECT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_line->OpenCount(), 2);
}

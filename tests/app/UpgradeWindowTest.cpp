#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>

#include "BasicPage.h"
#include "ControllerSim.h"
#include "CustomPage.h"
#include "FrameDlg.h"
#include "MainWindowFixture.h"
#include "ParamTable.h"
#include "ResourceIds.h"
#include "SimConfig.h"

// The window's firmware upgrade on the in-memory line, with the simulated controller answering.
namespace {

using namespace std::chrono_literals;

const QString kSelectHint =
    QStringLiteral("<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!");
QString SelectHint(bool english) {
    return english ? QStringLiteral("<-Please select FW file(*.bin),then click the [Upgrade]!")
                   : kSelectHint;
}

// Disabled when the upgrade starts, back only when it succeeds.
const std::vector<int> kSettingControls = {IDC_SERVO_RATE,   IDC_SAVE_DATA,   IDC_SELECT_FW,
                                           IDC_FRAME_HINT,   IDC_ESC_HINT,    IDC_FRAME_TYPE,
                                           IDC_ESC_RATE,     IDC_SERVO_HINT,  IDC_RESTORE_LIST,
                                           IDC_RESTORE_HINT, IDC_DECLINATION, IDC_DECLINATION_SET};
// Disabled only while the upload runs: whatever else would send, change the port or the page.
const std::vector<int> kLineControls = {
    IDC_START_UPGRADE, IDC_PORT_LIST,    IDC_REFRESH,    IDC_SENSOR_MAG,  IDC_SENSOR_BARO,
    IDC_SENSOR_SONAR,  IDC_SENSOR_GPS,   IDC_PAGE_BASIC, IDC_PAGE_CUSTOM, IDC_PAGE_GPS,
    IDC_PAGE_GIMBAL,   IDC_PAGE_VOLTAGE, IDC_TAB};

// The number before "%" in a status text; -1 when there is none.
int PercentIn(const QString& status) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("(\\d+)%")).match(status);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QByteArray Pattern(qsizetype length) {
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i) bytes[i] = char(i * 13 + 1);
    return bytes;
}

class UpgradeWindowTest : public MainWindowTest {
protected:
    // The window, with the simulated controller on its line from now on.
    CVexaDlg& StartWithController() { return StartWith(m_sim); }
    CVexaDlg& StartWith(ControllerSim& sim) {
        CVexaDlg& dlg = Start();
        m_line->onWritten = [&sim](const QByteArray& bytes) { sim.Receive(bytes); };
        sim.onOutput = [this](const QByteArray& bytes) { m_answers.push_back(bytes); };
        return dlg;
    }

    // Chooses a firmware file of `length` bytes with button 1001.
    void ChooseFirmware(qsizetype length, const QString& name = QStringLiteral("fw.bin")) {
        const QString path = m_dir.filePath(name);
        WriteFile(path, Pattern(length));
        m_prompter.QueueFile(path);
        Click(IDC_SELECT_FW);
    }

    // Delivers the controller's answers one receive event each, `count` of them or all.
    void Answer(int count = -1) {
        while (!m_answers.empty() && count-- != 0) {
            const QByteArray bytes = m_answers.front();
            m_answers.pop_front();
            m_line->Inject(bytes);
        }
    }

    // Button 1043 and the question before the first byte, answered with `answer`.
    void StartUpgrade(PromptAnswer answer = PromptAnswer::Ok) {
        const std::size_t shown = m_prompter.Shown().size();
        m_prompter.QueueAnswer(answer);
        Click(IDC_START_UPGRADE);
        ASSERT_EQ(m_prompter.Shown().size(), shown + 1);
        m_question = m_prompter.Shown().back();
        m_prompter.Clear();
    }

    QString Status() { return Control<QLineEdit>(IDC_STATUS)->text(); }
    QProgressBar* Bar() { return Control<QProgressBar>(IDC_UPLOAD_PROGRESS); }

    void ExpectEnabled(const std::vector<int>& ids, bool enabled) {
        for (int id : ids) EXPECT_EQ(Control(id)->isEnabled(), enabled) << id;
    }

    ControllerSim m_sim;
    std::deque<QByteArray> m_answers;
    PromptMessage m_question;
};

TEST_F(UpgradeWindowTest, ChosenFileIsCheckedBeforeTheUpgradeButtonComesOn) {
    struct Case {
        std::optional<QString> name;  // nothing: the dialog is cancelled (the good file stays)
        qsizetype length;
        bool english;
        const char* message;  // nullptr: accepted
    };
    const char* const corrupt = "文件已损坏，请重新选择升级文件";
    const Case cases[] = {
        {QStringLiteral("fwxbin"), 55, false, nullptr},
        {QStringLiteral("largest.bin"), 65535, false, nullptr},
        {QStringLiteral("FW.BIN"), 111, false, "你选择的不是升级文件，请重新选择升级文件"},
        {QStringLiteral("one.bin"), 1, false, corrupt},
        // Too large for the image buffer: the message names the limit instead of calling the
        // file damaged.
        {QStringLiteral("full.bin"), 65536, false,
         "文件太大：升级文件最大为 65535 字节，请重新选择升级文件"},
        {QStringLiteral("huge.bin"), 200000, true,
         "The file is too large: a Fw file holds at most 65535 bytes. Please select it again!"},
        {std::nullopt, 0, false, nullptr},
        {QStringLiteral("fw.hex"), 111, true,
         "The file was not the Fw for Pellar!Please select it again!"},
        {QString(), 0, true, "The Fw file was not selected!Please select it again!"},
    };
    CVexaDlg& dlg = Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.value_or(QStringLiteral("(cancelled)")).toStdString());
        if (dlg.IsEnglish() != c.english) Click(IDC_LANGUAGE);
        ChooseFirmware(111);  // a good file first: a refused one must switch the button off
        ASSERT_TRUE(Control(IDC_START_UPGRADE)->isEnabled());
        m_prompter.Clear();
        const QString path = c.name && !c.name->isEmpty() ? m_dir.filePath(*c.name) : QString();
        if (!path.isEmpty()) WriteFile(path, Pattern(c.length));
        m_prompter.QueueFile(c.name ? std::optional(path) : std::nullopt);
        Click(IDC_SELECT_FW);
        EXPECT_EQ(Control(IDC_START_UPGRADE)->isEnabled(), c.message == nullptr);
        // A refused file's path goes with the start button; a cancelled dialog changes nothing.
        const QString good = m_dir.filePath(QStringLiteral("fw.bin"));
        EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(), !c.name     ? good
                                                           : c.message ? SelectHint(c.english)
                                                                       : path);
        ASSERT_EQ(m_prompter.FileRequests().size(), 1u);
        EXPECT_EQ(m_prompter.FileRequests()[0].filter,
                  c.english ? "Velmora firmware files (*.bin)|*.bin|All files (*.*)|*.*||"
                            : "瑞翎航模升级文件(*.bin)|*.bin|所有文件(*.*)|*.*||");
        ASSERT_EQ(m_prompter.Shown().size(), c.message ? 1u : 0u);
        if (!c.message) continue;
        EXPECT_EQ(m_prompter.Shown()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(m_prompter.Shown()[0].caption,
                  c.english ? "Velmora Mentioned:" : "瑞翎航模提示:");
    }
}

TEST_F(UpgradeWindowTest, UpgradeRunsWithEverythingElseHeldAndEndsWithTheReadBack) {
    struct Language {
        bool english;
        const char* sending;
        const char* data;
        const char* finished;
        const char* portOpened;  // once the new firmware is read back
        const char* caption;
    };
    const Language languages[] = {
        {false, "正传输数据>>25%", "升级已完成50%", "升级已完成100%", "已读取 49 个参数",
         "瑞翎航模提示:"},
        {true, "Data Sending>>25%", "Finished50%", "Finished 100%",
         "The new firmware kept every parameter", "Velmora mentioned:"},
    };
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);  // N = 3: the bar runs 0 to 4
    // Chinese first; then, on the same window, once more in English.
    for (const Language& l : languages) {
        SCOPED_TRACE(l.english);
        if (l.english) Click(IDC_LANGUAGE);
        m_prompter.Clear();
        m_line->ClearSent();

        StartUpgrade();
        EXPECT_EQ(Status(), l.english ? "COM Not Opened" : "串口未打开");
        EXPECT_EQ(m_line->SentBytes(), "?W\r");
        EXPECT_TRUE(dlg.UpgradeRunning());
        ExpectEnabled(kSettingControls, false);
        ExpectEnabled(kLineControls, false);
        Answer(2);  // the tag, then "RADY": the start packet goes out
        EXPECT_TRUE(Bar()->isVisible());
        EXPECT_EQ(Bar()->minimum(), 0);
        EXPECT_EQ(Bar()->maximum(), 4);
        EXPECT_EQ(Bar()->value(), 1);
        EXPECT_EQ(Status(), QString::fromUtf8(l.sending));
        Answer(1);
        EXPECT_EQ(Bar()->value(), 2);
        EXPECT_EQ(Status(), QString::fromUtf8(l.data));

        // Nothing else reaches the line: senders are dropped and closing asks about the upgrade.
        const qsizetype sent = m_line->SentBytes().size();
        dlg.Session().SetParameter('C', 45);
        dlg.Session().StopLiveDisplay();
        m_prompter.QueueAnswer(PromptAnswer::No);
        dlg.close();
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_TRUE(
            m_prompter.Shown()[0].text.contains(l.english ? "upgrade is running" : "固件正在升级"));
        EXPECT_EQ(m_prompter.Shown()[0].defaultAnswer, PromptAnswer::No);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(m_line->SentBytes().size(), sent);
        m_prompter.Clear();

        // Nothing shown passes 100 %.
        QStringList statuses;
        const QMetaObject::Connection watching =
            QObject::connect(Control<QLineEdit>(IDC_STATUS), &QLineEdit::textChanged,
                             [&statuses](const QString& text) { statuses << text; });
        Answer();
        QObject::disconnect(watching);
        for (const QString& status : statuses)
            EXPECT_LE(PercentIn(status), 100) << status.toStdString();
        EXPECT_TRUE(statuses.contains(QString::fromUtf8(l.finished)));
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].caption, QString::fromUtf8(l.caption));
        EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith(l.english ? "Congratulations"
                                                                    : "恭喜你升级成功!"));
        EXPECT_TRUE(m_sim.BootLoader().Installed().startsWith(Pattern(111) + '\0'));
        EXPECT_FALSE(dlg.UpgradeRunning());
        EXPECT_FALSE(Bar()->isVisible());
        EXPECT_LE(Bar()->value(), Bar()->maximum());
        EXPECT_EQ(Status(), QString::fromUtf8(l.portOpened));
        ExpectEnabled(kSettingControls, true);
        ExpectEnabled(kLineControls, true);
        // The new firmware is read back, all of it, and then nothing waits on the line.
        EXPECT_TRUE(m_line->SentBytes().endsWith("?j\r")) << m_line->SentBytes().right(20).data();
        ExpectNothingAwaited();
    }
}

TEST_F(UpgradeWindowTest, EachFailureShowsOneMessageAndTheUpgradeCanStartAgain) {
    struct Case {
        const char* name;
        std::function<void(SimFaults&)> fault;
        const char* message;
        const char* cause;  // what the status says happened
    };
    const char* wrong = "飞控的应答有误";
    const Case cases[] = {
        {"data answer one too low", [](SimFaults& f) { f.BadAck(2); }, "数据传输错误，请重新升级!",
         wrong},
        {"last data answer one too low", [](SimFaults& f) { f.BadAck(3); }, "传输超时，请重新升级",
         wrong},
        {"end answer one too low", [](SimFaults& f) { f.BadAck(4); }, "数据校验错误，请重新升级!",
         wrong},
        {"another sum", [](SimFaults& f) { f.BadSum(); }, "数据校验错误，请重新升级!",
         "校验和不一致"},
        {"no answer", [](SimFaults& f) { f.DropPacketAnswer(3); }, "传输超时，请重新升级",
         "飞控3秒内无应答"},
    };
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    // Each failure leaves the controller in its boot loader; the next start uploads afresh.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim.Faults() = SimFaults();
        c.fault(m_sim.Faults());
        StartUpgrade();
        Answer();
        m_clock.Advance(3s);
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(m_prompter.Shown()[0].caption, "瑞翎航模提示:");
        EXPECT_FALSE(dlg.UpgradeRunning());
        EXPECT_FALSE(Bar()->isVisible());
        EXPECT_EQ(Status(), QStringLiteral("升级未完成（%1），可再次点击“开始升级”重新升级")
                                .arg(QString::fromUtf8(c.cause)));
        ExpectEnabled(kSettingControls, true);
        ExpectEnabled(kLineControls, true);
        m_prompter.Clear();
    }
    m_sim.Faults() = SimFaults();
    StartUpgrade();
    Answer();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith("恭喜你升级成功!"));
    EXPECT_TRUE(m_sim.BootLoader().Installed().startsWith(Pattern(111) + '\0'));
}

TEST_F(UpgradeWindowTest, PulledAdapterEndsTheUploadOnceAndReopensForTheNextTry) {
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    StartUpgrade();
    Answer(3);
    m_line->HangUp();
    QCoreApplication::processEvents();
    m_clock.Advance(10s);
    QCoreApplication::processEvents();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].text, "数据传输错误，请重新升级!");
    EXPECT_EQ(Status(), "升级未完成（串口连接已断开），可再次点击“开始升级”重新升级");
    EXPECT_FALSE(dlg.UpgradeRunning());
    EXPECT_EQ(m_clock.PendingTimers(), 0u);

    // The adapter is back: the upgrade button opens the port from the port file and starts.
    m_prompter.Clear();
    m_answers.clear();
    m_sim.PowerCycle();
    StartUpgrade();
    EXPECT_TRUE(m_line->IsOpen());
    EXPECT_EQ(m_line->OpenedPort(), 3);
    Answer();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith("恭喜你升级成功!"));
}

// A live display still streaming is switched off before the device tag is asked, so that no
// live frame mixes into the boot loader's answers; the page shows it stopped.
TEST_F(UpgradeWindowTest, AStreamingLiveDisplayIsStoppedBeforeTheFirstByteOfTheUpgrade) {
    StartWithController();
    Click(IDC_PAGE_CUSTOM);
    QPushButton* display = FindControlAs<QPushButton>(&m_dlg->CustomPage(), IDC_DISPLAY_TOGGLE);
    const QString stopped = display->text();
    QTest::mouseClick(display, Qt::LeftButton);
    m_sim.TickLive();
    Answer();
    ChooseFirmware(111);
    m_line->ClearSent();
    StartUpgrade();
    EXPECT_EQ(m_line->SentBytes(), "S~0000\r?W\r");
    EXPECT_EQ(display->text(), stopped);
    m_sim.TickLive();  // a stream still running would be heard here
    Answer();
    ASSERT_FALSE(m_prompter.Shown().empty());
    EXPECT_TRUE(m_prompter.Shown().front().text.startsWith(QStringLiteral("恭喜你升级成功")))
        << m_prompter.Shown().front().text.toStdString();
}

TEST_F(UpgradeWindowTest, CancelOnTheQuestionBeforeTheFirstByteSendsNothing) {
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    m_line->ClearSent();
    StartUpgrade(PromptAnswer::Cancel);
    EXPECT_EQ(m_question.buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(m_question.text.contains(QDir::toNativeSeparators(m_dir.filePath("fw.bin"))));
    EXPECT_TRUE(m_line->SentBytes().isEmpty());
    EXPECT_FALSE(dlg.UpgradeRunning());
    ExpectEnabled(kSettingControls, true);
}

TEST_F(UpgradeWindowTest, WhileTheUploadOwnsTheLineNoControlThatSendsIsEnabled) {
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    StartUpgrade();
    Answer(3);
    ASSERT_TRUE(dlg.UpgradeRunning());
    // Every control a click or a key acts on (not the window's scroll bars), but the language
    // button and those that only show.
    const QSet<QWidget*> showOnly = {Control(IDC_STATUS), Control(IDC_VERSION),
                                     Control(IDC_FW_PATH), Control(IDC_LANGUAGE)};
    int checked = 0;
    for (QWidget* control : dlg.findChildren<QWidget*>()) {
        const bool acts =
            qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
            (qobject_cast<QAbstractSlider*>(control) && !qobject_cast<QScrollBar*>(control)) ||
            qobject_cast<QLineEdit*>(control);
        if (!acts || showOnly.contains(control) || control->window() != &dlg) continue;
        if (qobject_cast<QComboBox*>(control->parentWidget())) continue;  // a list's own edit
        ++checked;
        EXPECT_FALSE(control->isEnabled()) << control->property("controlId").toInt();
    }
    EXPECT_GT(checked, 40);
    EXPECT_FALSE(dlg.FrameEditor().isEnabled());
}

TEST_F(UpgradeWindowTest, ValuesTheNewFirmwareChangedAreOfferedBackInOneQuestion) {
    struct Case {
        const char* name;
        bool reset;                          // the new firmware comes up with fresh values
        std::optional<PromptAnswer> answer;  // to the put-back question; none: no question
        int mainStability;                   // C at the end
        const char* status;
    };
    const Case cases[] = {
        {"put back", true, PromptAnswer::Yes, 50, "41 个参数已恢复并确认"},
        {"declined", true, PromptAnswer::No, 45, "升级前的参数没有恢复（备份文件中仍有）"},
        {"kept", false, std::nullopt, 50, "新固件保留了全部参数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimConfig config;
        config.resetOnUpgrade = c.reset;
        config.presets = {{'C', 50}};
        ControllerSim sim(config);
        CVexaDlg& dlg = StartWith(sim);
        Click(IDC_REFRESH);  // a complete read-back: C is 50
        Answer();
        ChooseFirmware(111);
        StartUpgrade();
        m_prompter.QueueAnswer(PromptAnswer::Ok);  // the success message
        if (c.answer) m_prompter.QueueAnswer(*c.answer);
        Answer();  // the upload, then the new firmware's read-back
        m_line->ClearSent();
        QCoreApplication::processEvents();
        ASSERT_EQ(m_prompter.Shown().size(), c.answer ? 2u : 1u);
        if (c.answer) {
            EXPECT_TRUE(m_prompter.Shown()[1].text.contains("C 主稳定度：升级前 50，现在 45"));
        }
        Answer();  // the put-back and its read-back, if any
        EXPECT_EQ(m_line->SentBytes().startsWith("Sj0004\r"), c.answer == PromptAnswer::Yes);
        // What the controller holds now, and what the window shows of it.
        EXPECT_EQ(sim.Parameters().Value('C'), c.mainStability);
        EXPECT_EQ(FindControlAs<QLineEdit>(&dlg.BasicPage(), IDC_BASIC_EDIT_MAIN_STAB)->text(),
                  QString::number(c.mainStability));
        EXPECT_TRUE(Status().startsWith(QString::fromUtf8(c.status))) << Status().toStdString();
        m_prompter.Clear();
        m_answers.clear();
    }
}

}  // namespace

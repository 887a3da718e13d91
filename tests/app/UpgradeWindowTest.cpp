#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "ControllerSim.h"
#include "MainWindowFixture.h"
#include "ResourceIds.h"
#include "SessionTestAccess.h"

// The window's firmware upgrade on the in-memory line, with the simulated controller answering.
namespace {

using namespace std::chrono_literals;

const QString kSelectHint =
    QStringLiteral("<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!");

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

QByteArray Pattern(qsizetype length) {
    QByteArray bytes(length, '\0');
    for (qsizetype i = 0; i < length; ++i) bytes[i] = char(i * 13 + 1);
    return bytes;
}

class UpgradeWindowTest : public MainWindowTest {
protected:
    // The window, with the simulated controller on its line from now on.
    CVexaDlg& StartWithController() {
        CVexaDlg& dlg = Start();
        m_line->onWritten = [this](const QByteArray& bytes) { m_sim.Receive(bytes); };
        m_sim.onOutput = [this](const QByteArray& bytes) { m_answers.push_back(bytes); };
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

    QString Status() { return Control<QLineEdit>(IDC_STATUS)->text(); }
    QProgressBar* Bar() { return Control<QProgressBar>(IDC_UPLOAD_PROGRESS); }

    void ExpectEnabled(const std::vector<int>& ids, bool enabled) {
        for (int id : ids) EXPECT_EQ(Control(id)->isEnabled(), enabled) << id;
    }

    ControllerSim m_sim;
    std::deque<QByteArray> m_answers;
};

TEST_F(UpgradeWindowTest, ChosenFileIsCheckedBeforeTheUpgradeButtonComesOn) {
    struct Case {
        std::optional<QString> name;  // nothing: the dialog is cancelled
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
        {std::nullopt, 0, false, corrupt},
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
        EXPECT_EQ(Control<QLineEdit>(IDC_FW_PATH)->text(), c.name ? path : kSelectHint);
        ASSERT_EQ(m_prompter.FileRequests().size(), 1u);
        EXPECT_EQ(m_prompter.FileRequests()[0].filter,
                  "瑞翎航模升级文件(*.bin)|*.bin|所有文件(*.*)|*.*||");
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
        const char* portOpened;
        const char* caption;
    };
    const Language languages[] = {
        {false, "正传输数据>>25%", "升级已完成50%", "升级已完成150%", "串口已打开",
         "瑞翎航模提示:"},
        {true, "Data Sending>>25%", "Finished50%", "Finished 150%", "COM Opened",
         "Velmora mentioned:"},
    };
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);  // N = 3: the bar runs 0 to 4
    // Chinese first; then, on the same window, once more in English.
    for (const Language& l : languages) {
        SCOPED_TRACE(l.english);
        if (l.english) Click(IDC_LANGUAGE);
        m_prompter.Clear();
        SessionTestAccess::State(dlg.Session()).m_nLiveChannels.fill(7);
        m_line->ClearSent();

        Click(IDC_START_UPGRADE);
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

        Answer();
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].caption, QString::fromUtf8(l.caption));
        EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith(l.english ? "Congratulations"
                                                                    : "恭喜你升级成功!"));
        EXPECT_TRUE(m_sim.BootLoader().Installed().startsWith(Pattern(111) + '\0'));
        EXPECT_FALSE(dlg.UpgradeRunning());
        EXPECT_FALSE(Bar()->isVisible());
        EXPECT_EQ(Status(), QString::fromUtf8(l.portOpened));
        ExpectEnabled(kSettingControls, true);
        ExpectEnabled(kLineControls, true);
        EXPECT_EQ(dlg.State().m_nLiveChannels, decltype(dlg.State().m_nLiveChannels){});
        // The new firmware is read back, all of it.
        EXPECT_TRUE(m_line->SentBytes().endsWith("?j\r")) << m_line->SentBytes().right(20).data();
        EXPECT_EQ(dlg.Session().Mode(), RxMode::ReadBack);
    }
}

TEST_F(UpgradeWindowTest, EachFailureShowsOneMessageAndTheUpgradeCanStartAgain) {
    struct Case {
        const char* name;
        std::function<void(SimFaults&)> fault;
        const char* message;
    };
    const Case cases[] = {
        {"data answer one too low", [](SimFaults& f) { f.BadAck(2); }, "数据传输错误，请重新升级!"},
        {"last data answer one too low", [](SimFaults& f) { f.BadAck(3); }, "传输超时，请重新升级"},
        {"end answer one too low", [](SimFaults& f) { f.BadAck(4); }, "数据校验错误，请重新升级!"},
        {"another sum", [](SimFaults& f) { f.BadSum(); }, "数据校验错误，请重新升级!"},
        {"no answer", [](SimFaults& f) { f.DropPacketAnswer(3); }, "传输超时，请重新升级"},
    };
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim.Faults() = SimFaults();
        c.fault(m_sim.Faults());
        m_prompter.Clear();
        Click(IDC_START_UPGRADE);
        Answer();
        m_clock.Advance(3s);
        ASSERT_EQ(m_prompter.Shown().size(), 1u);
        EXPECT_EQ(m_prompter.Shown()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(m_prompter.Shown()[0].caption, "瑞翎航模提示:");
        EXPECT_FALSE(dlg.UpgradeRunning());
        EXPECT_FALSE(Bar()->isVisible());
        EXPECT_EQ(Status(), "串口已打开");
        // The setting controls wait for a successful upgrade; the rest is given back.
        ExpectEnabled(kSettingControls, false);
        ExpectEnabled(kLineControls, true);
    }
    m_sim.Faults() = SimFaults();
    m_prompter.Clear();
    Click(IDC_START_UPGRADE);
    Answer();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith("恭喜你升级成功!"));
}

TEST_F(UpgradeWindowTest, PulledAdapterEndsTheUploadOnceAndReopensForTheNextTry) {
    CVexaDlg& dlg = StartWithController();
    ChooseFirmware(111);
    Click(IDC_START_UPGRADE);
    Answer(3);
    m_line->HangUp();
    QCoreApplication::processEvents();
    m_clock.Advance(10s);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(m_prompter.Shown()[0].text, "数据传输错误，请重新升级!");
    EXPECT_EQ(Status(), "串口未打开");
    EXPECT_FALSE(dlg.UpgradeRunning());
    EXPECT_EQ(m_clock.PendingTimers(), 0u);

    // The adapter is back: the upgrade button opens the port from the port file and starts.
    m_prompter.Clear();
    m_answers.clear();
    m_sim.PowerCycle();
    Click(IDC_START_UPGRADE);
    EXPECT_TRUE(dlg.Comm().GetPortOpen());
    EXPECT_EQ(m_line->OpenedPort(), 3);
    Answer();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith("恭喜你升级成功!"));
}

}  // namespace

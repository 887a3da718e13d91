#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "CommandFrames.h"
#include "CustomPage.h"
#include "LineReader.h"
#include "PageFixture.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "SpreadLabel.h"

namespace {

using namespace std::chrono_literals;

class CustomPageTest : public PageTest<CCustomPage> {
protected:
    void Tick(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }
    bool Ticked(int id) { return Control<QCheckBox>(id)->isChecked(); }
    std::vector<QByteArray> Frames() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_line->Sent()) frames.push_back(sent.bytes);
        return frames;
    }
    QByteArray LastFrame() const {
        return m_line->Sent().empty() ? QByteArray() : m_line->Sent().back().bytes;
    }
    // Bytes from the controller on the line.
    void Receive(const QByteArray& bytes) { m_line->Inject(bytes); }
    // Live data is shown: a receiver frame reaches the first channel's box.
    bool LiveFrameShown() {
        Receive("CHDA12341100120013001400150016001700\r\n");
        return Box(IDC_RECEIVER_CH1) == "1234";
    }
    QPushButton* DisplayButton() { return Control<QPushButton>(IDC_DISPLAY_TOGGLE); }
    void ExpectGridEnabled(bool enabled) {
        for (const auto& row : IDC_SWITCH_GRID)
            for (int id : row) ASSERT_EQ(Control(id)->isEnabled(), enabled) << id;
    }
};

const char kRowLetters[] = "abcdef=ghi";

TEST_F(CustomPageTest, ARowClickSendsTheWholeRowAndASaveKeepsItInItsOwnLines) {
    struct Case {
        int row;
        std::vector<int> columns;
        QByteArray frame;
    };
    const Case cases[] = {
        {0, {8}, "Sa0256\r"},                                  // channel 7 high
        {0, {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11}, "Sa4095\r"},  // then all twelve
        {1, {3}, "Sb0008\r"},                                  // id 113
        {6, {0, 11}, "S=2049\r"},                              // Z follow, two ends
        {1, {1}, "Sb0010\r"},  // rows 1 and 2 may share a position: nothing is enforced
    };
    for (const Case& c : cases) {
        const char letter = kRowLetters[c.row];
        for (int column : c.columns) Tick(IDC_SWITCH_GRID[c.row][column]);
        EXPECT_EQ(LastFrame(), c.frame) << letter;
        ExpectNothingAwaited();
        EXPECT_EQ(Saved(letter), c.frame.mid(2, 4).toInt()) << letter;
    }
    // Row 7's click touched no other row's lines.
    const ParameterValues saved = SavedFileValues();
    for (const char other : {'c', 'd', 'e', 'f', 'g', 'h', 'i'})
        EXPECT_EQ(MaskFromCache(other, saved), 0) << other;
    EXPECT_EQ(MaskFromCache('a', saved), 4095);
}

TEST_F(CustomPageTest, HeadingLockAndCareFreeSendOwnRowThenClearedPartnerTwentyMsLater) {
    ReadBack('e', 0b101);         // care-free on channel 5 low and high
    Tick(IDC_SWITCH_GRID[3][0]);  // heading lock on channel 5 low
    ASSERT_EQ(Frames(), (std::vector<QByteArray>{"Sd0001\r", "Se0004\r"}));
    EXPECT_GE(m_line->Sent()[1].at - m_line->Sent()[0].at, 20ms);
    EXPECT_FALSE(Ticked(IDC_SWITCH_GRID[4][0]));
    EXPECT_TRUE(Ticked(IDC_SWITCH_GRID[4][2]));
    EXPECT_EQ(Saved('e'), 4);

    // Unticking heading lock's last box sends 0000 and the partner unchanged.
    m_line->ClearSent();
    Tick(IDC_SWITCH_GRID[3][0]);
    EXPECT_EQ(Frames(), (std::vector<QByteArray>{"Sd0000\r", "Se0004\r"}));

    // The mirror: a care-free click clears heading lock's same position.
    ReadBack('d', 0b10);
    m_line->ClearSent();
    Tick(IDC_SWITCH_GRID[4][1]);
    EXPECT_EQ(Frames(), (std::vector<QByteArray>{"Se0006\r", "Sd0000\r"}));
    EXPECT_FALSE(Ticked(IDC_SWITCH_GRID[3][1]));
}

TEST_F(CustomPageTest, ReadBackFillsRowsAndMasksAndHiddenReverseBitsAreSentBack) {
    const auto reply = [](char letter, const char* digits) {
        return QueryCommand(letter) + ' ' + digits + "\r\n";
    };
    // The read-back reaches the switch rows after the letters before them.
    m_dlg->Session().ReadBack();
    for (char letter : kReadBackOrder.substr(0, kReadBackOrder.find('a')))
        Receive(reply(letter, "0001"));
    Receive(reply('a', "0257"));
    for (int k = 0; k < 12; ++k) EXPECT_EQ(Ticked(IDC_SWITCH_GRID[0][k]), k == 0 || k == 8) << k;
    // The boxes wait for the rest of the read-back.
    EXPECT_FALSE(m_page->isEnabled());
    for (char letter : kReadBackOrder.substr(kReadBackOrder.find('a') + 1))
        Receive(reply(letter, "0001"));
    EXPECT_TRUE(m_page->isEnabled());
    EXPECT_EQ(Saved('a'), 257);
    // A reverse mask with a hidden channel's bit set keeps it on the next click.
    EXPECT_TRUE(m_page->ShowReadBack('N', 0b0110));
    EXPECT_TRUE(Ticked(1199));
    Tick(1201);
    EXPECT_EQ(LastFrame(), "SN0022\r");
}

TEST_F(CustomPageTest, ReverseMasksLeaveTheReceiveModeAlone) {
    for (int hidden : {1198, 1199, 1200}) {
        EXPECT_FALSE(Control(hidden)->isVisible()) << hidden;
        EXPECT_FALSE(Control(hidden)->isEnabled()) << hidden;
    }
    m_dlg->Session().StartLiveDisplay();
    Tick(1205);
    EXPECT_EQ(LastFrame(), "SO0001\r");
    Tick(1205);
    for (int id : {1201, 1202, 1203, 1204}) Tick(id);
    EXPECT_EQ(LastFrame(), "SN0240\r");
    EXPECT_TRUE(LiveFrameShown()) << "the live data goes on being read";
    EXPECT_EQ(Saved('N'), 240);
}

TEST_F(CustomPageTest, DisplayStartsShowsTheStreamAndStopsWithTheUpgradeDisabled) {
    Tick(IDC_DISPLAY_TOGGLE);
    EXPECT_EQ(LastFrame(), "S~0001\r");
    EXPECT_EQ(DisplayButton()->text(), "停止显示");
    ExpectGridEnabled(false);
    EXPECT_FALSE(Control(1197)->isEnabled());
    for (int id : {1201, 1204, 1205, 1214}) EXPECT_TRUE(Control(id)->isEnabled()) << id;

    Receive(
        "CHDA10001100120013001400150016001700\r\n"
        "MSDA11501250135014501500160017001000\r\n"
        "SSDA1234056735907-113123456+22123456\r\n");
    const std::pair<int, const char*> shown[] = {{IDC_RECEIVER_CH1, "1000"},
                                                 {IDC_RECEIVER_CH1 + 2, "1300"},
                                                 {IDC_RECEIVER_CH1 + 3, "1200"},
                                                 {IDC_RECEIVER_CH1 + 7, "1700"},
                                                 {IDC_OUTPUT_1, "1150"},
                                                 {IDC_OUTPUT_1 + 7, "1000"},
                                                 {IDC_MONITOR_SONAR_HEIGHT, "1234"},
                                                 {IDC_MONITOR_BARO_HEIGHT, "567"},
                                                 {IDC_MONITOR_MAG_ANGLE, "359"},
                                                 {IDC_MONITOR_VIBRATION, "7"},
                                                 {IDC_MONITOR_LONGITUDE, "-113.123456"},
                                                 {IDC_MONITOR_LATITUDE, "22.123456"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(Box(id), text) << id;
    EXPECT_EQ(Slider(IDC_INDICATOR_CH5)->value(), 1400);
    EXPECT_EQ(Slider(IDC_INDICATOR_CH8)->value(), 1700);
    EXPECT_EQ(Slider(IDC_FAILSAFE_INDICATOR)->value(), 1400);

    // A reverse click while streaming is sent and the stream goes on being shown.
    Tick(1205);
    EXPECT_EQ(LastFrame(), "SO0001\r");
    Receive("CHDA19991100120013001400150016001700\r\n");
    EXPECT_EQ(Box(IDC_RECEIVER_CH1), "1999");

    FindControl(m_dlg.get(), IDC_START_UPGRADE)->setEnabled(true);
    Tick(IDC_DISPLAY_TOGGLE);
    EXPECT_EQ(LastFrame(), "S~0000\r");
    EXPECT_FALSE(LiveFrameShown()) << "a frame after the stop is not live data any more";
    EXPECT_EQ(DisplayButton()->text(), "显示数据");
    ExpectGridEnabled(true);
    EXPECT_TRUE(Control(1197)->isEnabled());
    EXPECT_FALSE(Control(1198)->isEnabled());
    EXPECT_FALSE(FindControl(m_dlg.get(), IDC_START_UPGRADE)->isEnabled());
    EXPECT_TRUE(
        FindControlAs<QLineEdit>(m_dlg.get(), IDC_FW_PATH)->text().startsWith("<-请先点击"));
}

TEST_F(CustomPageTest, DisplayCaptionFollowsTheLanguageOfTheMomentAndAPageChangeStops) {
    m_dlg->ToggleLanguage();
    Tick(IDC_DISPLAY_TOGGLE);
    EXPECT_EQ(DisplayButton()->text(), "Display Stop");
    m_dlg->ToggleLanguage();
    EXPECT_EQ(DisplayButton()->text(), "停止显示");

    m_line->ClearSent();
    QTest::mouseClick(FindControl(m_dlg.get(), IDC_PAGE_GPS), Qt::LeftButton);
    EXPECT_EQ(Frames(), std::vector<QByteArray>{"S~0000\r"});
    EXPECT_TRUE(m_page->DisplayStopped());
    EXPECT_EQ(DisplayButton()->text(), "显示数据");
    ExpectGridEnabled(true);
}

TEST_F(CustomPageTest, RefreshWhileStreamingSwitchesTheStreamOffBeforeReadingBack) {
    Tick(IDC_DISPLAY_TOGGLE);
    Receive("CHDA10001100120013001400150016001700\r\n");
    ASSERT_EQ(Box(IDC_RECEIVER_CH1), "1000");
    m_line->ClearSent();
    QTest::mouseClick(FindControl(m_dlg.get(), IDC_REFRESH), Qt::LeftButton);
    EXPECT_EQ(Frames(), (std::vector<QByteArray>{"S~0000\r", "?V\r"}));
    EXPECT_TRUE(m_page->DisplayStopped());
    EXPECT_EQ(DisplayButton()->text(), "显示数据");
    ExpectGridEnabled(true);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(Box(IDC_RECEIVER_CH1 + k), "") << k;
        EXPECT_EQ(Box(IDC_OUTPUT_1 + k), "") << k;
    }
}

// A mask the closed port refuses leaves its boxes as the controller holds them, the linked
// heading-lock and care-free rows included.
TEST_F(CustomPageTest, ARefusedMaskPutsItsBoxesBack) {
    ReadBack('a', 1);
    m_dlg->Session().ClosePort();
    const std::pair<int, bool> cases[] = {
        {IDC_SWITCH_GRID[0][0], true},   // ticked by the read-back: stays ticked
        {IDC_SWITCH_GRID[3][2], false},  // heading lock, linked to care-free
        {IDC_RECEIVER_REVERSE[7], false},
    };
    for (const auto& [id, tickedAfter] : cases) {
        Tick(id);
        EXPECT_EQ(Ticked(id), tickedAfter) << id;
    }
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CustomPageTest, LanguageSwitchesThePagesTextsAndEveryTextFitsItsControl) {
    // Each control with its English caption.
    const std::pair<int, const char*> texts[] = {
        {IDC_FUNCTION_HINT, "Funtion"},
        {IDC_SWITCH_INDICATOR_TITLE, "Switches"},
        {IDC_ROW_LABEL_FIRST, "AutoStabi"},
        {IDC_ROW_LABEL_FIRST + 9, "Autolanging"},
        {IDC_CHANNEL_HEAD_FIRST + 3, "8CH"},
        {IDC_POSITION_HEADS_FIRST, "L   M   H"},
        {IDC_FAILSAFE_LABEL, "FailSafe Indicator"},
        {IDC_FAILSAFE_CAPTION_FIRST + 4, "High"},
        {IDC_RECEIVER_DATA_CAPTION, "Receiver Channel Data(Check to reverse)"},
        {IDC_BARO_HEIGHT_CAPTION, "Ba_Height"},
        {IDC_DECIMETRES_UNIT, "dm"},
        {IDC_LATITUDE_CAPTION, "GPS Latitude"},
        {IDC_DISPLAY_TOGGLE, "Data Display"},
    };
    const auto textOf = [this](int id) {
        QWidget* control = Control(id);
        if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
        return qobject_cast<QAbstractButton*>(control)->text();
    };
    EXPECT_EQ(textOf(IDC_BARO_HEIGHT_CAPTION), "气压计高度");
    // Back in Chinese every caption reads as before the first switch (the template's spacing).
    std::map<int, QString> first;
    for (const auto& [id, inEnglish] : texts) first[id] = textOf(id);
    for (const bool english : {true, false}) {
        m_dlg->ToggleLanguage();
        for (const auto& [id, inEnglish] : texts)
            EXPECT_EQ(textOf(id), english ? QString::fromUtf8(inEnglish) : first[id]) << id;
        EXPECT_EQ(Control<QGroupBox>(IDC_MONITOR_GROUP)->title(),
                  english ? "Data Displaying Area" : "数据显示区");
        QCoreApplication::processEvents();
        for (QLabel* label : m_page->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            const int needed = qobject_cast<SpreadLabel*>(label)
                                   ? label->minimumSizeHint().width()
                                   : label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LE(needed, label->contentsRect().width()) << label->text().toStdString();
        }
    }
}

TEST_F(CustomPageTest, HintShowsTheFunctionRulesWithOkAndCancel) {
    Tick(IDC_FUNCTION_HINT);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    const PromptMessage& hint = m_prompter.Shown()[0];
    EXPECT_EQ(hint.caption, "瑞翎航模提示：");
    EXPECT_EQ(hint.buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(hint.text.startsWith("提示：请根据您的需要，自己定义相应功能选项：\r\r 1."));
    EXPECT_TRUE(hint.text.endsWith("同档位的“自动降落”功能将自动取消。"));
    EXPECT_TRUE(Frames().empty());
}

}  // namespace
